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

void CRestoreFormKeeper::GuardStore(CSyncJobList &jobs)
{
    if (m_job != nullptr && jobs.Contains(m_job))
        jobs.SetSavedForm(m_job, m_copy);
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
    const BOOL putBack = jobs.PutBackJob(m_job, m_copy) != 0 ? TRUE : FALSE;
    // Only once the job holds its stored form again may a save write the job as it stands.
    if (putBack)
        jobs.SetSavedForm(m_job, nullptr);
    return putBack;
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
