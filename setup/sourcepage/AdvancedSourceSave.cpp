#include "setup/sourcepage/AdvancedSourceSave.h"

#include <set>

#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"

namespace
{

SourceWrite Source(const CString &path, const CString &destination, BOOL rapid)
{
    return SourceWrite{SourceWrite::SOURCE, path, destination, rapid, CString()};
}

} // namespace

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
