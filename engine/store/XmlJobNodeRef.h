// Holds a job together with the store document and the job's own "jobdef" element, with counted references
// to both, for code that edits a job's sources while the job is still being set up.
#pragma once
#include <windows.h>

#include "platform/system/XmlDom.h"

class CSyncJob;

class XmlJobNodeRef
{
  public:
    // The job's element is the one its definition is bound to (null when it has none). Null arguments make
    // an empty holder.
    XmlJobNodeRef(IXMLDOMDocument *store, CSyncJob *job);
    // Releases both references under the DOM lock.
    ~XmlJobNodeRef();
    XmlJobNodeRef(const XmlJobNodeRef &) = delete;
    XmlJobNodeRef &operator=(const XmlJobNodeRef &) = delete;

    IXMLDOMDocumentPtr GetDocument() const
    {
        return m_document;
    }
    CSyncJob *GetJob() const
    {
        return m_job;
    }
    IXMLDOMElementPtr GetElement() const
    {
        return m_element;
    }
    // TRUE when the holder has a document and an element.
    BOOL IsBound() const
    {
        return m_document && m_element;
    }

  private:
    IXMLDOMDocumentPtr m_document;
    CSyncJob *m_job;
    IXMLDOMElementPtr m_element;
};
