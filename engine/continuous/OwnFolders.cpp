#include "engine/continuous/OwnFolders.h"

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"

namespace
{

bool IsSameOrBelow(const CString &folder, const CString &path)
{
    return CutTrailingBackslashes(path).CompareNoCase(folder) == 0 || CSyncJobList::IsPathBelow(folder, path) != 0;
}

} // namespace

std::vector<OwnFolder> GetJobOwnFolders(CSyncJob &job)
{
    CJobDef *def = job.GetJobDef();
    std::vector<std::pair<CString, OwnFolder::Kind>> candidates{
        {def->GetDest(), OwnFolder::Destination},
        {g_strDataFolder, OwnFolder::Program},
        {g_strAppFolder, OwnFolder::Program},
    };
    if (def->GetSyncType() == 2)
    {
        IMainWindowServices *window = g_pMainDlg.load();
        if (CSyncJobList *list = window != nullptr ? window->GetJobList() : nullptr)
        {
            CSyncJobList::ListLock hold(*list);
            for (INT_PTR i = 0; i < list->GetCount(); ++i)
            {
                if (list->GetAt(i) != &job)
                    candidates.emplace_back(list->GetAt(i)->GetJobDef()->GetDest(), OwnFolder::OtherJob);
            }
        }
    }
    std::vector<RunSource> sources;
    ReadRunSources(job.GetElement(), sources);

    std::vector<OwnFolder> folders;
    for (const auto &[folder, kind] : candidates)
    {
        const CString path = CutTrailingBackslashes(folder);
        // A drive root (or a bare drive name) would shut out the whole drive.
        if (path.GetLength() <= 2)
            continue;
        bool holdsJob = false;
        for (const RunSource &source : sources)
        {
            // A two-way job's destination folders lie in its own "dest" by design.
            holdsJob = holdsJob || IsSameOrBelow(path, source.path) ||
                       (kind != OwnFolder::Destination && !source.destination.IsEmpty() &&
                        IsSameOrBelow(path, source.destination));
        }
        if (!holdsJob)
            folders.push_back(OwnFolder{path, kind, false});
    }
    return folders;
}

bool OwnFolder::Holds(const CString &other) const
{
    return IsSameOrBelow(path, other);
}
