#include "engine/destwatch/DestinationWatch.h"

#include <process.h>

#include <vector>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/program/NetPath.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/ExceptionReport.h"
#include "platform/system/Handles.h"

namespace
{

// Started and joined on the user-interface thread only.
CKernelHandle g_watchThread;

// StopEvent resets itself when a wait sees it; this thread is its only waiter, and ends once it has seen it.
bool StopRequested()
{
    return ::WaitForSingleObject(StopEvent.m_hObject, 0) == WAIT_OBJECT_0;
}

bool HasDriveLetter(const CString &path)
{
    return path.GetLength() >= 2 && path[1] == L':';
}

// A UNC path, or a path on a drive that the system calls remote.
bool IsNetworkPath(const CString &path)
{
    return path.GetLength() >= 3 && GetPathDriveType(path) == DRIVE_REMOTE;
}

// What the probes of one job need, copied out of its element while the job cannot go away. False when the job
// is gone, busy or not waiting for its network paths.
bool ReadWaitingJob(CSyncJobList &list, CSyncJob *job, std::vector<CString> &paths)
{
    CSyncJobList::ListLock hold(list);
    if (!list.Contains(job) || job->m_runState == JOB_BUSY)
        return false;
    XmlDomLock domLock;
    IXMLDOMElementPtr element = job->GetElement();
    if (XmlGetAttributeInt(element, L"complete_status") != 2)
        return false;
    XmlElementIterator children(element);
    while (children.Next())
    {
        if (children.GetName() == L"src")
            paths.push_back(GetXmlPathAttribute(children.GetElement()));
    }
    paths.push_back(XmlGetAttributeString(element, L"dest"));
    return true;
}

// True when the path answers. A drive whose remembered connection is unavailable is connected again for the
// next cycle.
bool Probe(const CString &path)
{
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (HasDriveLetter(path))
    {
        const wchar_t drive[] = {path[0], L':', L'\0'};
        wchar_t remote[kNetPathChars] = {};
        DWORD length = kNetPathChars;
        CNetPathPlatform *platform = g_netPathPlatform.Get();
        if (platform->RemoteName(drive, remote, &length) == ERROR_CONNECTION_UNAVAIL)
            platform->Reconnect(drive, remote);
    }
    return false;
}

// Writes what the probes found and, when every network path answered, asks for the job's run. Nothing when the
// job left the collection during the probes.
void Conclude(IMainWindowServices *mainWindow, CSyncJobList &list, CSyncJob *job, bool reachable)
{
    CSyncJobList::ListLock hold(list);
    if (!list.Contains(job))
        return;
    job->SetErrorCode(reachable ? 0 : -1);
    if (!reachable)
    {
        job->m_networkRetry = TRUE;
        return;
    }
    if (job->m_runState == JOB_BUSY)
        return;
    if (XmlGetAttributeInt(job->GetElement(), L"state") == 0)
        job->GetJobDef()->SetState(1);
    job->m_runState = JOB_IDLE;
    job->m_cancelFlag = FALSE;
    job->m_networkRetry = FALSE;
    mainWindow->RequestRun(job);
}

// One pass over the collection; false when StopEvent was seen.
bool RunCycle()
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    CSyncJobList *list = mainWindow != nullptr ? mainWindow->GetJobList() : nullptr;
    if (list == nullptr)
        return true;
    std::vector<CSyncJob *> jobs;
    {
        CSyncJobList::ListLock hold(*list);
        for (INT_PTR i = 0; i < list->GetCount(); ++i)
            jobs.push_back(list->GetAt(i));
    }
    for (CSyncJob *job : jobs)
    {
        if (StopRequested())
            return false;
        try
        {
            std::vector<CString> paths;
            if (!ReadWaitingJob(*list, job, paths))
                continue;
            bool hasNetworkPath = false;
            bool reachable = true;
            for (const CString &path : paths)
            {
                if (!IsNetworkPath(path))
                    continue;
                hasNetworkPath = true;
                if (StopRequested())
                    return false;
                if (!Probe(path))
                    reachable = false;
            }
            // A job without a network path has nothing to wait for here.
            if (hasNetworkPath)
                Conclude(mainWindow, *list, job, reachable);
        }
        catch (const _com_error &)
        {
            // The job's element could not be read or written; the next cycle tries again.
        }
    }
    return true;
}

unsigned __stdcall WatchThreadProc(void *param)
{
    const DWORD cycle = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param));
    CCoInitialize com(COINIT_MULTITHREADED);
    try
    {
        while (RunCycle())
        {
            if (::WaitForSingleObject(StopEvent.m_hObject, cycle) != WAIT_TIMEOUT)
                break;
        }
    }
    catch (...)
    {
        AfxReportCurrentException("the destination-watch thread");
    }
    return 0;
}

} // namespace

unsigned __stdcall RunDestinationWatch(void *)
{
    return WatchThreadProc(reinterpret_cast<void *>(static_cast<UINT_PTR>(kDestinationWatchCycle)));
}

BOOL StartDestinationWatch(DWORD cycleMs)
{
    if (g_watchThread.IsValid())
        return FALSE;
    StopEvent.ResetEvent();
    g_watchThread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(
        nullptr, 0, &WatchThreadProc, reinterpret_cast<void *>(static_cast<UINT_PTR>(cycleMs)), 0, nullptr)));
    return g_watchThread.IsValid();
}

void StopDestinationWatch()
{
    if (!g_watchThread.IsValid())
        return;
    StopEvent.SetEvent();
    ::WaitForSingleObject(g_watchThread.Get(), INFINITE);
    g_watchThread.Close();
}
