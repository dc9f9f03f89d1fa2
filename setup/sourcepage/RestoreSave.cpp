#include "setup/sourcepage/RestoreSave.h"

#include <set>

#include "engine/run/DestPaths.h"
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

// A single file, not a folder: the run copies it onto its "destination" itself.
bool IsFilePlace(const CString &path)
{
    return path.GetLength() > 3 && path.Right(1) != L"\\";
}

CString KeyOf(const CString &path)
{
    CString key = CutTrailingBackslashes(path);
    key.MakeUpper();
    return key;
}

// Plans the restore of whole stored places: each backup folder once, back to its place (none into a folder of
// the user's), whole or through the kinds filter.
class RestoreWriter
{
  public:
    RestoreWriter(SourceSavePlan &plan, bool toOtherFolder) : m_plan(plan), m_toOtherFolder(toOtherFolder)
    {
    }
    void Write(const StoredSource &source, const CString &backup, bool whole)
    {
        if (!m_written.insert(KeyOf(backup)).second)
            return;
        const bool file = IsFilePlace(source.path);
        const CString path = file ? backup : CutTrailingBackslashes(backup) + L"\\";
        const CString place = file ? source.path : CutTrailingBackslashes(source.path) + L"\\";
        m_plan.writes.push_back(SourceWrite{SourceWrite::SOURCE, path, m_toOtherFolder ? CString() : place,
                                            whole ? TRUE : FALSE, CString()});
    }

  private:
    SourceSavePlan &m_plan;
    bool m_toOtherFolder;
    std::set<CString> m_written;
};

} // namespace

CString BackupFolderOf(const StoredSource &source, const BackupLayout &layout)
{
    if (!source.destination.IsEmpty())
        return source.destination;
    const bool file = IsFilePlace(source.path);
    CString folder;
    if (layout.folderToFolder)
    {
        const CString root = JoinDestRoot(layout.dest);
        if (root.IsEmpty() || !file)
            return root;
        return root + source.path.Mid(source.path.ReverseFind(L'\\') + 1);
    }
    if (layout.retainFullPath)
        return BuildDestFolderName(source.path, layout.dest, layout.computer, folder) ? folder : CString();
    if (!BuildPstFolder(source.path, layout.dest, folder))
        return CString();
    return file ? CutTrailingBackslashes(folder) : folder;
}

CString PlaceOfBackupFolder(const CString &folder, const BackupLayout &layout)
{
    if (layout.dest.IsEmpty() || !CSyncJobList::IsPathBelow(layout.dest, folder))
        return CString();
    const CString rest = PathBelow(folder, layout.dest);
    const int slash = rest.Find(L'\\');
    const CString first = slash < 0 ? rest : rest.Left(slash);
    const CString below = slash < 0 ? CString() : rest.Mid(slash + 1);
    // A drive's files lie under the drive's letter ("C\Users\" came from "C:\Users\"), or, where the job keeps
    // full paths, under the computer's name and the letter ("PC_C\Users\").
    const CString computerPrefix = layout.computer + L"_";
    wchar_t letter = 0;
    if (first.GetLength() == 1)
        letter = first[0];
    else if (!layout.computer.IsEmpty() && first.GetLength() == computerPrefix.GetLength() + 1 &&
             first.Left(computerPrefix.GetLength()).CompareNoCase(computerPrefix) == 0)
        letter = first[first.GetLength() - 1];
    if (letter == 0 || !::IsCharAlphaW(letter))
        return CString();
    CString place;
    place.Format(L"%c:\\%s", letter, below.GetString());
    return IsFullPath(place) ? place : CString();
}

SourceSavePlan PlanBasicRestoreSave(const std::vector<CString> &folders, const CString &extensions,
                                    const std::vector<StoredSource> &stored, const BackupLayout &layout,
                                    bool toOtherFolder)
{
    SourceSavePlan plan;
    RestoreWriter writer(plan, toOtherFolder);
    for (const CString &folder : folders)
    {
        const StoredSource *found = nullptr;
        for (const StoredSource &source : stored)
        {
            if (SamePlace(source.path, folder))
            {
                found = &source;
                break;
            }
        }
        const CString backup = found != nullptr ? BackupFolderOf(*found, layout) : CString();
        if (backup.IsEmpty())
        {
            plan.leftOut.push_back(folder);
            continue;
        }
        writer.Write(*found, backup, found->whole);
    }
    if (!extensions.IsEmpty())
    {
        for (const StoredSource &source : stored)
        {
            if (source.whole || IsFilePlace(source.path))
                continue;
            const CString backup = BackupFolderOf(source, layout);
            if (backup.IsEmpty())
                plan.leftOut.push_back(source.path);
            else
                writer.Write(source, backup, false);
        }
    }
    plan.include = extensions;
    return plan;
}

SourceSavePlan PlanRestoreSave(const std::vector<CString> &places, const std::vector<StoredSource> &stored,
                               const BackupLayout &layout, bool toOtherFolder)
{
    SourceSavePlan plan;
    std::vector<CString> wholePlaces;
    for (const CString &place : places)
    {
        if (IsCategoryText(place))
        {
            plan.include += place;
            continue;
        }
        CString target;
        for (const StoredSource &source : stored)
        {
            const CString backup = BackupFolderOf(source, layout);
            if (backup.IsEmpty())
                continue;
            if (SamePlace(place, backup))
                target = source.path;
            else if (CSyncJobList::IsPathBelow(backup, place))
                target = JoinDestRoot(source.path) + PathBelow(place, backup);
            else
                continue;
            break;
        }
        if (target.IsEmpty())
            target = PlaceOfBackupFolder(place, layout);
        if (target.IsEmpty() && !toOtherFolder)
        {
            plan.leftOut.push_back(place);
            continue;
        }
        wholePlaces.push_back(place);
        plan.writes.push_back(
            SourceWrite{SourceWrite::SOURCE, place, toOtherFolder ? CString() : target, TRUE, CString()});
    }
    if (plan.include.IsEmpty())
        return plan;
    // The kinds come back from every place the backup holds, but from none that comes back whole already.
    RestoreWriter kinds(plan, toOtherFolder);
    for (const StoredSource &source : stored)
    {
        const CString backup = BackupFolderOf(source, layout);
        if (IsFilePlace(source.path) || backup.IsEmpty())
            continue;
        bool whole = false;
        for (const CString &place : wholePlaces)
            whole = whole || SamePlace(place, backup) || CSyncJobList::IsPathBelow(place, backup);
        if (!whole)
            kinds.Write(source, backup, false);
    }
    return plan;
}
