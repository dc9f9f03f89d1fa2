#include "setup/sourcepage/AdvancedSourceSave.h"

#include <set>

#include "engine/run/DestPaths.h"
#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "setup/categories/FileCategories.h"

namespace
{

bool SamePlace(const CString &a, const CString &b)
{
    return CutTrailingBackslashes(a).CompareNoCase(CutTrailingBackslashes(b)) == 0;
}

// A place the restore can write to: "X:\..." or "\\server\share...".
bool IsFullPath(const CString &path)
{
    const bool drive = path.GetLength() >= 3 && ::IsCharAlphaW(path[0]) && path[1] == L':' && path[2] == L'\\';
    return drive || path.Left(2) == L"\\\\";
}

// The part of place below folder (which it lies below), without a leading backslash.
CString RestBelow(const CString &place, const CString &folder)
{
    CString rest = place.Mid(CutTrailingBackslashes(folder).GetLength());
    rest.TrimLeft(L'\\');
    return rest;
}

SourceWrite Source(const CString &path, const CString &destination, BOOL rapid)
{
    return SourceWrite{SourceWrite::SOURCE, path, destination, rapid, CString()};
}

// What the kinds of files are restored from: the first stored place the backup wrote somewhere.
void PlanCategorySource(const std::map<CString, CString> &stored, bool toOtherFolder, SourceSavePlan &plan)
{
    for (const auto &entry : stored)
    {
        const CString &source = entry.first;
        const CString &dest = entry.second;
        if (source.IsEmpty() || dest.IsEmpty())
            continue;
        if (!toOtherFolder)
        {
            plan.writes.push_back(SourceWrite{SourceWrite::SOURCE_PATH, dest, source, FALSE, CString()});
        }
        else if (dest.Right(1) == L"\\")
        {
            plan.writes.push_back(Source(dest, CString(), FALSE));
        }
        else
        {
            const int slash = dest.ReverseFind(L'\\');
            plan.writes.push_back(
                SourceWrite{SourceWrite::FILE, dest.Left(slash + 1), CString(), FALSE, dest.Mid(slash + 1)});
        }
        return;
    }
}

} // namespace

SourceSavePlan PlanRestoreSave(const std::vector<CString> &places, const std::map<CString, CString> &stored,
                               const CString &jobDest, bool toOtherFolder)
{
    SourceSavePlan plan;
    bool categorySourceWritten = false;
    for (const CString &place : places)
    {
        if (IsCategoryText(place))
        {
            if (!categorySourceWritten)
                PlanCategorySource(stored, toOtherFolder, plan);
            categorySourceWritten = true;
            plan.include += place;
            continue;
        }
        CString target;
        bool found = false;
        for (const auto &entry : stored)
        {
            const CString &source = entry.first;
            const CString &dest = entry.second;
            if (source.IsEmpty() || dest.IsEmpty())
                continue;
            if (SamePlace(place, dest))
                target = source;
            else if (CSyncJobList::IsPathBelow(dest, place))
                target = JoinDestRoot(source) + RestBelow(place, dest);
            else
                continue;
            found = true;
            break;
        }
        if (!found && CSyncJobList::IsPathBelow(jobDest, place))
        {
            target = RestBelow(place, jobDest);
            // The backup keeps a drive's files under the drive's letter: "C\Users\" came from "C:\Users\".
            if (target.GetLength() >= 2 && target[1] == L'\\')
                target.Insert(1, L':');
            found = IsFullPath(target);
        }
        if (!found && !toOtherFolder)
        {
            plan.leftOut.push_back(place);
            continue;
        }
        plan.writes.push_back(Source(place, toOtherFolder ? CString() : target, TRUE));
    }
    return plan;
}

SourceSavePlan PlanBackupSave(const std::vector<CString> &places, BOOL rapid)
{
    SourceSavePlan plan;
    std::set<CString> folders;
    for (const CString &place : places)
    {
        if (place.Right(1) == L"\\")
        {
            const CString folder = CutTrailingBackslashes(place) + L"\\";
            if (folders.insert(folder).second)
                plan.writes.push_back(Source(folder, CString(), rapid));
            continue;
        }
        const int slash = place.ReverseFind(L'\\');
        if (slash < 0)
            continue;
        const CString folder = place.Left(slash + 1);
        if (folders.insert(folder).second)
            plan.writes.push_back(Source(folder, CString(), rapid));
        plan.writes.push_back(SourceWrite{SourceWrite::FILE, folder, CString(), rapid, place.Mid(slash + 1)});
    }
    return plan;
}

void ApplySourceWrites(CJobDef &def, const std::vector<SourceWrite> &writes)
{
    for (const SourceWrite &write : writes)
    {
        LPCWSTR destination = write.destination.IsEmpty() ? nullptr : write.destination.GetString();
        switch (write.kind)
        {
        case SourceWrite::SOURCE:
            def.AddSource(write.path, destination, write.rapid);
            break;
        case SourceWrite::SOURCE_PATH:
            def.AddSourcePath(write.path, destination);
            break;
        case SourceWrite::FILE:
            def.FindSource(write.path, write.name);
            break;
        }
    }
}
