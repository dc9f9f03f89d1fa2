#include "engine/XmlJobNodeRef.h"

#include "engine/JobDef.h"
#include "engine/SyncJob.h"
#include "engine/XmlLayer.h"

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
