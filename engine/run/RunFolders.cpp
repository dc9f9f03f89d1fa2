#include "engine/run/RunFolders.h"

#include "engine/job/SyncJob.h"
#include "engine/store/PathMatch.h"
#include "outside/Phrasel/PhraselIds.h"

CRunFolders::CRunFolders(const CString &dest, const CString &dataFolder)
{
    for (const CString &folder : {dest, dataFolder})
    {
        const CString path = CutTrailingBackslashes(folder);
        // A drive root is never a folder of a walk; nor is a bare drive name.
        if (path.GetLength() > 2)
            m_own.push_back({path, false});
    }
}

bool CRunFolders::IsOwnFolder(CSyncJob &job, const CString &folder)
{
    bool own = false;
    for (OwnFolder &candidate : m_own)
    {
        if (candidate.path.CompareNoCase(folder) != 0)
            continue;
        own = true;
        if (candidate.logged)
            continue;
        candidate.logged = true;
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, 0, LM_INFO, IDS_LOG_OWN_FOLDER_SKIPPED, FormatNow().GetString(),
                             folder.GetString());
    }
    return own;
}

void CRunFolders::AddUnlisted(const CString &folder)
{
    m_unlisted.push_back(folder);
}
