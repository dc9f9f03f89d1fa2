#include "engine/store/XmlLayer.h"

#include <climits>
#include <string>

namespace
{

// Never destroyed: threads and static destructors may still take it while the process ends.
CRITICAL_SECTION &DomSection()
{
    static CRITICAL_SECTION *section = [] {
        auto *created = new CRITICAL_SECTION;
        InitializeCriticalSection(created);
        return created;
    }();
    return *section;
}

// A raw pointer, released by SetXmlStoreDocument(nullptr): a static smart pointer would release the document
// after COM is gone.
IXMLDOMDocument *g_storeDocument = nullptr;

// The leading decimal integer of a text, saturated to the 32-bit range.
int LeadingInt(LPCWSTR text)
{
    while (*text == L' ' || *text == L'\t' || *text == L'\r' || *text == L'\n')
        ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+')
    {
        negative = *text == L'-';
        ++text;
    }
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
    {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

XmlDomLock::XmlDomLock()
{
    EnterCriticalSection(&DomSection());
}

XmlDomLock::~XmlDomLock()
{
    LeaveCriticalSection(&DomSection());
}

void XmlRaiseError(HRESULT hr)
{
    throw _com_error(hr);
}

CString XmlGetAttributeString(IXMLDOMElement *element, LPCWSTR name)
{
    if (element == nullptr || name == nullptr)
        return CString();
    try
    {
        const _bstr_t attributeName(name);
        XmlDomLock lock;
        IXMLDOMNamedNodeMapPtr attributes;
        if (FAILED(element->get_attributes(&attributes)) || !attributes)
            return CString();
        IXMLDOMNodePtr attribute;
        if (attributes->getNamedItem(attributeName, &attribute) != S_OK || !attribute)
            return CString();
        BSTR text = nullptr;
        if (FAILED(attribute->get_text(&text)))
            return CString();
        CString result(text ? text : L"");
        SysFreeString(text);
        return result;
    }
    catch (const _com_error &)
    {
        return CString();
    }
}

int XmlGetAttributeInt(IXMLDOMElement *element, LPCWSTR name)
{
    const CString text = XmlGetAttributeString(element, name);
    return text.IsEmpty() ? 0 : LeadingInt(text);
}

void XmlSetAttributeString(IXMLDOMElement *element, LPCWSTR name, LPCWSTR value)
{
    if (element == nullptr)
        return;
    if (name == nullptr)
        XmlRaiseError(E_INVALIDARG);
    const _bstr_t attributeName(name);
    const _variant_t attributeValue(value ? value : L"");
    XmlDomLock lock;
    XmlCheck(element->setAttribute(attributeName, attributeValue));
}

void XmlSetAttributeInt(IXMLDOMElement *element, LPCWSTR name, int value)
{
    if (element == nullptr)
        return;
    XmlSetAttributeString(element, name, std::to_wstring(value).c_str());
}

CString XmlGetNodeName(IXMLDOMNode *node)
{
    if (node == nullptr)
        return CString();
    BSTR name = nullptr;
    {
        XmlDomLock lock;
        if (FAILED(node->get_nodeName(&name)))
            return CString();
    }
    CString result(name ? name : L"");
    SysFreeString(name);
    return result;
}

void SetXmlStoreDocument(IXMLDOMDocument *document)
{
    IXMLDOMDocument *previous;
    {
        XmlDomLock lock;
        if (document != nullptr)
            document->AddRef();
        previous = g_storeDocument;
        g_storeDocument = document;
    }
    if (previous != nullptr)
        previous->Release();
}

IXMLDOMDocument2Ptr GetXmlStoreDocument()
{
    XmlDomLock lock;
    if (g_storeDocument == nullptr)
        XmlRaiseError(E_POINTER);
    IXMLDOMDocument2Ptr document(g_storeDocument);
    if (!document)
        XmlRaiseError(E_NOINTERFACE);
    return document;
}

XmlElementIterator::XmlElementIterator(IXMLDOMNode *parent)
{
    Attach(parent);
}

XmlElementIterator::~XmlElementIterator()
{
    Attach(nullptr);
}

void XmlElementIterator::Attach(IXMLDOMNode *parent)
{
    XmlDomLock lock;
    m_parent = parent;
    m_position = nullptr;
    m_current = nullptr;
    m_started = false;
}

bool XmlElementIterator::Next()
{
    if (!m_parent)
        return false;
    XmlDomLock lock;
    IXMLDOMNodePtr node;
    if (!m_started)
    {
        m_started = true;
        if (FAILED(m_parent->get_firstChild(&node)))
            node = nullptr;
    }
    else if (m_position)
    {
        if (FAILED(m_position->get_nextSibling(&node)))
            node = nullptr;
    }
    m_current = nullptr;
    while (node)
    {
        DOMNodeType type = NODE_INVALID;
        if (SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT)
        {
            IXMLDOMElement *element = nullptr;
            if (SUCCEEDED(node->QueryInterface(__uuidof(IXMLDOMElement), reinterpret_cast<void **>(&element))) &&
                element != nullptr)
            {
                m_current.Attach(element);
                break;
            }
        }
        IXMLDOMNodePtr next;
        if (FAILED(node->get_nextSibling(&next)))
            next = nullptr;
        node = next;
    }
    m_position = node;
    return static_cast<bool>(m_current);
}
