#include "app/run/DriveArrival.h"

#include "engine/continuous/DirectoryWatch.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/SyncJob.h"
#include "engine/program/DriveMarker.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "ui/boxes/MessageBoxDlg.h"

const wchar_t kAskEnableJob[] = L"Do you want to Enable the Job?";

namespace
{

bool HasDriveLetter(const CString &path)
{
    return path.GetLength() >= 2 && iswalpha(path[0]) && path[1] == L':';
}

bool SameLetter(wchar_t a, wchar_t b)
{
    return towlower(a) == towlower(b);
}

// The path on the drive of the letter; a path without a drive letter stays as it is.
CString OnLetter(CString path, wchar_t letter)
{
    if (HasDriveLetter(path))
        path.SetAt(0, static_cast<wchar_t>(towupper(letter)));
    return path;
}

std::vector<IXMLDOMElementPtr> SourceElements(IXMLDOMElement *jobElement)
{
    std::vector<IXMLDOMElementPtr> sources;
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    while (children.Next())
    {
        if (children.GetName() == L"src")
            sources.push_back(children.GetElement());
    }
    return sources;
}

// The one drive that carries the identity, or 0. A marker copied onto a second drive leaves the job's paths where
// they are: which drive is the job's cannot be told.
wchar_t FindOnlyDrive(CSyncJob &job, const CString &id)
{
    const DWORD carriers = FindDrivesByDestinationId(id);
    if (CountDrivesOf(carriers) <= 1)
        return FirstDriveOf(carriers);
    job.GetLog().LogIdAt(L"DriveArrival", __LINE__, 0, LM_ERROR, IDS_LOG_ARRIVAL_ID_TWICE, FormatNow().GetString(),
                         DriveListText(carriers).GetString(), id.GetString());
    return 0;
}

// Step 1 for one job: its sources on the arrived drive take the drive's letter. TRUE when one is on it; moved is
// set when one had another letter.
BOOL MoveSourcesToDrive(CSyncJob &job, wchar_t letter, const DriveArrivalActions &actions, bool &moved)
{
    BOOL matched = FALSE;
    for (const IXMLDOMElementPtr &source : SourceElements(job.GetElement()))
    {
        const wchar_t found = FindOnlyDrive(job, EnsureSourceDriveId(source));
        // A source on another drive leaves the later ones of the job to be looked at all the same.
        if (found == 0 || !SameLetter(found, letter))
            continue;
        matched = TRUE;
        const CString before = XmlGetAttributeString(source, L"path");
        const CString path = OnLetter(before, found);
        moved = moved || path != before;
        XmlSetAttributeString(source, L"path", path);
        XmlSetAttributeInt(source, L"hassrc", 1);
        if (job.GetJobDef()->GetJsType() != 0 || actions.watch == nullptr || path.IsEmpty())
            continue;
        const CString folder = GetWatchedPath(path);
        if (!actions.watch->IsWatching(folder))
            actions.watch->AddWatch(folder, kArrivedSourceWatchFilter, actions.handler, TRUE);
    }
    return matched;
}

} // namespace

CString EnsureSourceDriveId(IXMLDOMElement *source)
{
    const CString stored = XmlGetAttributeString(source, L"uuid");
    if (!stored.IsEmpty())
        return stored;
    const CString path = XmlGetAttributeString(source, L"path");
    if (!HasDriveLetter(path))
        return CString();
    CString id;
    if (!GetOrCreateDestinationDriveId(path[0], id) || id.IsEmpty())
        return CString();
    XmlSetAttributeString(source, L"uuid", id);
    XmlSetAttributeInt(source, L"hassrc", 1);
    return id;
}

int ApplyDriveArrival(CSyncJobList &jobs, wchar_t letter, const DriveArrivalActions &actions)
{
    int moved = 0;
    // The question below lets messages through, and with them commands that take jobs out of the collection: the
    // walk goes over the jobs as they were and passes over those that have left.
    std::vector<CSyncJob *> snapshot;
    for (INT_PTR i = 0; i < jobs.GetCount(); ++i)
        snapshot.push_back(jobs.GetAt(i));
    for (CSyncJob *job : snapshot)
    {
        if (!jobs.Contains(job))
            continue;
        bool pathsMoved = false;
        const BOOL matched = MoveSourcesToDrive(*job, letter, actions, pathsMoved);
        CJobDef *def = job->GetJobDef();
        const wchar_t found = FindOnlyDrive(*job, def->GetUuid());
        if (found == 0 || (!matched && !SameLetter(found, letter)))
        {
            moved += pathsMoved ? 1 : 0;
            continue;
        }
        const CString dest = def->GetDest();
        pathsMoved = pathsMoved || (HasDriveLetter(dest) && !SameLetter(dest[0], found));
        moved += pathsMoved ? 1 : 0;
        // The sources' destinations go with it: the runs copy to them, not to "dest".
        job->MoveDestinationToDrive(found);
        def->SetHasSrc(1);
        if (def->GetState() == 0)
        {
            if (SkinMessageBox(kAskEnableJob, MB_YESNO | MB_ICONQUESTION) == IDYES && jobs.Contains(job) &&
                actions.setJobEnabled)
                actions.setJobEnabled(job, TRUE, TRUE);
            continue;
        }
        if (actions.setJobEnabled)
            actions.setJobEnabled(job, TRUE, FALSE);
        if (def->GetJsType() == 0 && actions.startIdleJob && jobs.Contains(job))
            actions.startIdleJob(job);
    }
    return moved;
}
