#include "engine/job/TwoWayPlaces.h"

#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

bool SamePath(const CString &a, const CString &b)
{
    return CutTrailingBackslashes(a).CompareNoCase(CutTrailingBackslashes(b)) == 0;
}

// path is the folder, holds it or lies inside it.
bool Meets(const CString &path, const CString &folder)
{
    if (folder.IsEmpty() || path.IsEmpty())
        return false;
    return SamePath(path, folder) || CSyncJobList::IsPathBelow(path, folder) || CSyncJobList::IsPathBelow(folder, path);
}

} // namespace

BOOL IsTwoWayFolderJob(const CJobDef &def)
{
    return def.GetSyncType() == 2 && def.GetFolder2Folder() != 0 ? TRUE : FALSE;
}

CString FindTwoWayPlaceClash(const CSyncJobList &jobs, const CSyncJob *job, const CString &path)
{
    if (path.IsEmpty())
        return CString();
    for (const CString &own : {g_strAppFolder, g_strDataFolder})
    {
        if (Meets(path, own))
            return own;
    }
    for (INT_PTR i = 0; i < jobs.GetCount(); ++i)
    {
        const CSyncJob *other = jobs.GetAt(i);
        if (other == job)
            continue;
        const CString dest = other->GetJobDef()->GetDest();
        // A destination inside the place would be copied over into the other side; one around it is not.
        if (!dest.IsEmpty() && (SamePath(path, dest) || CSyncJobList::IsPathBelow(path, dest)))
            return dest;
    }
    return CString();
}

BOOL DisableTwoWayJobInUnsafePlace(const CSyncJobList &jobs, CSyncJob &job)
{
    CJobDef *def = job.GetJobDef();
    if (!IsTwoWayFolderJob(*def) || def->GetDestAgent() != 0)
        return FALSE;
    const CString dest = def->GetDest();
    const CString place = FindTwoWayPlaceClash(jobs, &job, dest);
    if (place.IsEmpty())
        return FALSE;
    job.Disable();
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, 0, LM_ERROR, IDS_LOG_TWO_WAY_DEST_DISABLED, FormatNow().GetString(),
                         def->GetName().GetString(), dest.GetString(), place.GetString());
    return TRUE;
}
