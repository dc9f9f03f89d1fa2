// The job store's XML layer: typed attribute access on any element, child-element iteration, the COM error
// raise, the process-wide store document and the lock that serialises every call into the DOM.
//
// msxml3 objects are not safe when several threads change one tree at once: the user-interface thread edits
// jobs while run threads write status attributes and the collection saves. Every DOM call made here holds
// XmlDomLock; code that calls the DOM directly (the store's load and save) holds it as well.
#pragma once
#include <windows.h>

#include "platform/text/Collections.h"
#include "platform/text/String.h"
#include "platform/system/XmlDom.h"

// The process-wide recursive DOM lock, held for the lifetime of the object.
class XmlDomLock
{
  public:
    XmlDomLock();
    ~XmlDomLock();
    XmlDomLock(const XmlDomLock &) = delete;
    XmlDomLock &operator=(const XmlDomLock &) = delete;
};

// Throws _com_error(hr).
[[noreturn]] void XmlRaiseError(HRESULT hr);
// Raises a failed result; a successful one (S_FALSE included) passes.
inline void XmlCheck(HRESULT hr)
{
    if (FAILED(hr))
        XmlRaiseError(hr);
}

// The attribute's text; empty for a null element or when the element has no attribute of that name.
CString XmlGetAttributeString(IXMLDOMElement *element, LPCWSTR name);
// The leading decimal integer of the attribute's text ("12x" gives 12, "x" gives 0, a value beyond the 32-bit
// range the nearest limit); 0 for a null element or a missing or empty attribute.
int XmlGetAttributeInt(IXMLDOMElement *element, LPCWSTR name);
// Sets (or adds) the attribute; a null element is left alone, a null value writes empty text. A value the DOM
// refuses raises _com_error.
void XmlSetAttributeString(IXMLDOMElement *element, LPCWSTR name, LPCWSTR value);
// Writes the integer as decimal text; any 32-bit value.
void XmlSetAttributeInt(IXMLDOMElement *element, LPCWSTR name, int value);

// The node's name ("src", "file" ...), prefix included; empty for a null node.
CString XmlGetNodeName(IXMLDOMNode *node);

// The job store document. The job collection sets it when it creates its document (tests set their own);
// null releases the held one. The document is held with a counted reference until replaced or released:
// release it before COM is shut down.
void SetXmlStoreDocument(IXMLDOMDocument *document);
// The document set last; raises E_POINTER when none is set.
IXMLDOMDocument2Ptr GetXmlStoreDocument();

// Walks the child elements of one node in document order, skipping text, comments and other nodes. A null
// parent has no children. The current element may be removed from the tree; the walk then ends with it.
class XmlElementIterator
{
  public:
    XmlElementIterator() = default;
    explicit XmlElementIterator(IXMLDOMNode *parent);
    ~XmlElementIterator();
    XmlElementIterator(const XmlElementIterator &) = delete;
    XmlElementIterator &operator=(const XmlElementIterator &) = delete;

    // Starts over on another parent.
    void Attach(IXMLDOMNode *parent);
    // Moves to the next child element; false at the end.
    bool Next();
    // The current element (null before the first Next and after the end).
    IXMLDOMElementPtr GetElement() const
    {
        return m_current;
    }
    // The current element's node name.
    CString GetName() const
    {
        return XmlGetNodeName(m_current);
    }

  private:
    IXMLDOMNodePtr m_parent;
    IXMLDOMNodePtr m_position;
    IXMLDOMElementPtr m_current;
    bool m_started = false;
};
