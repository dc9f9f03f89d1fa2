#include "JobDefTestSupport.h"

#include "platform/system/ComGlue.h"

namespace jobdeftest
{

IXMLDOMDocument2Ptr LoadStoreDocument(const std::wstring &path)
{
    IXMLDOMDocument2Ptr document;
    _com_util::CheckError(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    _com_util::CheckError(document->put_async(VARIANT_FALSE));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    _com_util::CheckError(document->load(_variant_t(path.c_str()), &loaded));
    if (loaded != VARIANT_TRUE)
        return nullptr;
    _com_util::CheckError(document->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
    return document;
}

void SaveStoreDocument(const IXMLDOMDocument2Ptr &document, const std::wstring &path)
{
    XmlDomLock lock;
    _com_util::CheckError(document->save(_variant_t(path.c_str())));
}

IXMLDOMElementPtr RootOf(const IXMLDOMDocument2Ptr &document)
{
    IXMLDOMElementPtr root;
    _com_util::CheckError(document->get_documentElement(&root));
    return root;
}

std::vector<std::wstring> AttributeNames(IXMLDOMElement *element)
{
    std::vector<std::wstring> names;
    IXMLDOMNamedNodeMapPtr attributes;
    _com_util::CheckError(element->get_attributes(&attributes));
    long count = 0;
    _com_util::CheckError(attributes->get_length(&count));
    for (long i = 0; i < count; ++i)
    {
        // msxml3 under Wine counts a namespace declaration of the element but cannot hand it out.
        IXMLDOMNodePtr attribute;
        if (attributes->get_item(i, &attribute) != S_OK || !attribute)
            continue;
        BSTR name = nullptr;
        _com_util::CheckError(attribute->get_nodeName(&name));
        std::wstring text = name ? name : L"";
        SysFreeString(name);
        if (text != L"xmlns" && text.compare(0, 6, L"xmlns:") != 0)
            names.push_back(text);
    }
    return names;
}

bool HasAttribute(IXMLDOMElement *element, LPCWSTR name)
{
    IXMLDOMNamedNodeMapPtr attributes;
    _com_util::CheckError(element->get_attributes(&attributes));
    IXMLDOMNodePtr attribute;
    return attributes->getNamedItem(_bstr_t(name), &attribute) == S_OK && attribute;
}

std::vector<IXMLDOMElementPtr> ChildElements(IXMLDOMElement *element, LPCWSTR name)
{
    std::vector<IXMLDOMElementPtr> children;
    XmlElementIterator it(element);
    while (it.Next())
    {
        if (it.GetName() == name)
            children.push_back(it.GetElement());
    }
    return children;
}

} // namespace jobdeftest
