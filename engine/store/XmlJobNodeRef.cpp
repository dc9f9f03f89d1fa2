#include "engine/store/XmlJobNodeRef.h"

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlLayer.h"

XmlJobNodeRef::XmlJobNodeRef(IXMLDOMDocument *store, CSyncJob *job) : m_job(job)
{
    XmlDomLock lock;
    m_document = store;
    if (job != nullptr && job->GetJobDef() != nullptr)
        m_element = job->GetJobDef()->GetElement();
}

XmlJobNodeRef::~XmlJobNodeRef()
{
    XmlDomLock lock;
    m_element = nullptr;
    m_document = nullptr;
}
