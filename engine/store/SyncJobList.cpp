// The collection's own operations: adding, finding, reordering and removing jobs.
#include "engine/store/SyncJobList.h"

#include <algorithm>

#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/XmlLayer.h"

int CSyncJobList::Add(CSyncJob *job)
{
    ListLock hold(*this);
    if (job != nullptr && !Contains(job))
        m_jobs.push_back(job);
    return 1000;
}

int CSyncJobList::RemoveJob(CSyncJob *job)
{
    // Out of the array first: from here on no other thread finds the job, and a second removal while Cancel
    // pumps messages finds nothing to do.
    {
        ListLock hold(*this);
        auto it = std::find(m_jobs.begin(), m_jobs.end(), job);
        if (job == nullptr || it == m_jobs.end())
            return 1000;
        m_jobs.erase(it);
    }
    SetSavedForm(job, nullptr);
    job->Cancel();
    // Another thread may still be working with the job under a borrow (change processing): its copies stop on
    // the cancel flag, and the job is deleted once the last borrow is back. The window goes on meanwhile.
    if (job->GetBorrowCount() > 0)
    {
        job->m_cancelFlag = TRUE;
        BOOL quitSeen = FALSE;
        int quitCode = 0;
        while (job->GetBorrowCount() > 0)
        {
            int code = 0;
            if (PumpWaitingMessages(&code))
            {
                quitSeen = TRUE;
                quitCode = code;
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        if (quitSeen)
            ::PostQuitMessage(quitCode);
    }
    try
    {
        XmlDomLock lock;
        IXMLDOMElementPtr element = job->GetJobDef()->GetElement();
        IXMLDOMNodePtr parent;
        if (element && SUCCEEDED(element->get_parentNode(&parent)) && parent)
        {
            IXMLDOMNodePtr removed;
            parent->removeChild(element, &removed);
        }
    }
    catch (const _com_error &)
    {
        // The job goes whatever its element does.
    }
    Sleep(1000);
    delete job;
    return 1000;
}

HRESULT CSyncJobList::RecordRunEnd(CSyncJob &job, bool finished, bool onlyWaiting, bool countBackup)
{
    GetJobDeque().OnJobFinished(&job, onlyWaiting);
    job.GetRestoreJournal()->Close(finished ? 0 : 1);
    job.SetRunningFlag(FALSE);
    job.OnRunFinished();
    if (countBackup)
        job.IncrementBackupCount();
    try
    {
        Save();
    }
    catch (const _com_error &error)
    {
        return error.Error();
    }
    return S_OK;
}

int CSyncJobList::MoveToFront(INT_PTR index)
{
    if (index < 0)
        XmlRaiseError(E_INVALIDARG);
    ListLock hold(*this);
    if (index >= GetCount())
        return 0;
    std::rotate(m_jobs.begin(), m_jobs.begin() + index, m_jobs.begin() + index + 1);
    return 1;
}

BOOL CSyncJobList::FindByName(LPCWSTR name, CSyncJob *except) const
{
    const CString wanted(name ? name : L"");
    for (CSyncJob *job : m_jobs)
    {
        if (job == except)
            continue;
        if (XmlGetAttributeString(job->GetJobDef()->GetElement(), L"name") == wanted)
            return TRUE;
    }
    return FALSE;
}

CSyncJob *CSyncJobList::GetAt(INT_PTR index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_jobs[static_cast<size_t>(index)];
}

BOOL CSyncJobList::Contains(const CSyncJob *job) const
{
    return job != nullptr && std::find(m_jobs.begin(), m_jobs.end(), job) != m_jobs.end();
}

IXMLDOMElementPtr CSyncJobList::FindMailStoreSource(IXMLDOMElement *jobElement)
{
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    while (children.Next())
    {
        if (IsMailStoreSourcePath(GetXmlPathAttribute(children.GetElement())))
            return children.GetElement();
    }
    return nullptr;
}
