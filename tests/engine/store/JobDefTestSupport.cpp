#include "JobDefTestSupport.h"

#include "platform/system/ComGlue.h"

namespace jobdeftest
{

void SaveStoreDocument(const IXMLDOMDocument2Ptr &document, const std::wstring &path)
{
    XmlDomLock lock;
    _com_util::CheckError(document->save(_variant_t(path.c_str())));
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

} // namespace jobdeftest
