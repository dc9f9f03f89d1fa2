#include "app/run/RestoreForm.h"

#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"

void CRestoreFormKeeper::Keep(CSyncJob *job)
{
    m_job = nullptr;
    m_copy = nullptr;
    IXMLDOMElementPtr element = job != nullptr ? job->GetElement() : nullptr;
    if (!element)
        return;
    IXMLDOMNodePtr copy;
    {
        XmlDomLock lock;
        XmlCheck(element->cloneNode(VARIANT_TRUE, &copy));
    }
    m_copy = copy;
    if (m_copy)
        m_job = job;
}

BOOL CRestoreFormKeeper::PutBack(CSyncJobList &jobs)
{
    if (m_job == nullptr)
        return FALSE;
    if (!jobs.Contains(m_job))
    {
        Forget(m_job);
        return FALSE;
    }
    return jobs.PutBackJob(m_job, m_copy) != 0 ? TRUE : FALSE;
}

BOOL CRestoreFormKeeper::Release(CSyncJobList &jobs)
{
    const BOOL putBack = PutBack(jobs);
    Forget(m_job);
    return putBack;
}

void CRestoreFormKeeper::Forget(const CSyncJob *job)
{
    if (job == nullptr || job != m_job)
        return;
    m_job = nullptr;
    m_copy = nullptr;
}
