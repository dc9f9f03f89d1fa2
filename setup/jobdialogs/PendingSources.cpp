#include "setup/jobdialogs/PendingSources.h"

#include <shlwapi.h>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/job/TwoWayPlaces.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/wizard/SetupReports.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

bool SamePath(const CString &a, const CString &b)
{
    return CutTrailingBackslashes(a).CompareNoCase(CutTrailingBackslashes(b)) == 0;
}

// The path is a source of the job or lies below one. (A path that holds a source is not covered: it is added.)
bool IsCovered(const CStringArray &sources, const CString &path)
{
    for (INT_PTR i = 0; i < sources.GetSize(); ++i)
    {
        if (SamePath(sources[i], path) || CSyncJobList::IsPathBelow(sources[i], path))
            return true;
    }
    return false;
}

bool CollidesWithDestination(const CString &path, const CString &dest, int retainFullPath)
{
    if (dest.IsEmpty())
        return false;
    return SamePath(path, dest) || CSyncJobList::IsPathBelow(path, dest) ||
           (CSyncJobList::IsPathBelow(dest, path) && retainFullPath == 0);
}

bool HasSourceFor(IXMLDOMElement *jobElement, const CString &folder)
{
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    while (children.Next())
    {
        if (children.GetName() == L"src" && GetXmlPathAttribute(children.GetElement()) == folder)
            return true;
    }
    return false;
}

// The path as a source whose files the run takes whatever the job's filters ("rapid" "0"): a folder is a "src" of
// its own, a file a "file" of the "src" of its folder, made so when there is none yet.
void AddUnfilteredSource(CJobDef &def, const CString &path)
{
    const int lastBackslash = path.ReverseFind(L'\\');
    if (lastBackslash < 0)
        return;
    if (lastBackslash == path.GetLength() - 1)
    {
        def.AddSource(path, nullptr, TRUE);
        return;
    }
    const CString folder = path.Left(lastBackslash + 1);
    if (!HasSourceFor(def.GetElement(), folder))
        def.AddSource(folder, nullptr, TRUE);
    def.FindSource(folder, path.Mid(lastBackslash + 1));
}

} // namespace

PendingSourcesResult AddPendingSources(CSyncJob &job, CStringArray &pending, IMainWindowServices &services)
{
    PendingSourcesResult result;
    CJobDef *def = job.GetJobDef();
    const CString dest = def->GetDest();
    CSyncJobList *jobs = services.GetJobList();
    // A two-way job's sources are copied into as much as its destination is.
    const bool twoWay = IsTwoWayFolderJob(*def) != FALSE;
    for (INT_PTR i = 0; i < pending.GetSize(); ++i)
    {
        const CString path = pending[i];
        if (def->GetSyncType() == 2 && !::PathIsDirectoryW(path))
        {
            result.refusedWith = IDS_SOURCES_MUST_BE_FOLDERS;
            break;
        }
        CStringArray sources;
        XmlReadSrcList(job.GetElement(), sources);
        if (IsCovered(sources, path))
            continue;
        if (CollidesWithDestination(path, dest, def->GetRetainFullPath()) ||
            (twoWay && jobs != nullptr && !FindTwoWayPlaceClash(*jobs, &job, path).IsEmpty()))
        {
            result.refusedWith = IDS_PATH_COLLIDES_WITH_DEST;
            break;
        }
        AddUnfilteredSource(*def, path);
        result.changed = TRUE;
    }
    if (result.refusedWith != 0)
    {
        SkinMessageBoxId(result.refusedWith, MB_OK);
        pending.RemoveAll();
    }
    if (jobs != nullptr)
        result.saved = SaveJobStoreReporting(*jobs);
    if (result.changed)
    {
        services.UpdateJob(def);
        if (def->GetState() != 0)
            result.queued = services.RunJobNow(&job, 1);
    }
    return result;
}
