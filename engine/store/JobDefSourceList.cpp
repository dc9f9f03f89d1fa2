#include "engine/store/SourceList.h"

#include <shlwapi.h>

#include "engine/store/JobDef.h"
#include "engine/program/NetPath.h"

namespace
{

void RequireElement(IXMLDOMElement *element)
{
    if (element == nullptr)
        XmlRaiseError(E_POINTER);
}

// Elements are made without a namespace, as the stores written so far hold them.
IXMLDOMElementPtr CreateChildElement(IXMLDOMElement *parent, LPCWSTR name)
{
    const _bstr_t elementName(name);
    XmlDomLock lock;
    IXMLDOMDocumentPtr document;
    XmlCheck(parent->get_ownerDocument(&document));
    if (!document)
        XmlRaiseError(E_POINTER);
    IXMLDOMElementPtr element;
    XmlCheck(document->createElement(elementName, &element));
    if (!element)
        XmlRaiseError(E_POINTER);
    return element;
}

void AppendChildElement(IXMLDOMElement *parent, IXMLDOMElement *child)
{
    XmlDomLock lock;
    IXMLDOMNodePtr appended;
    XmlCheck(parent->appendChild(child, &appended));
}

} // namespace

CString GetXmlPathAttribute(IXMLDOMElement *element)
{
    return XmlGetAttributeString(element, L"path");
}

void XmlReadFileList(IXMLDOMElement *element, CStringArray &list)
{
    RequireElement(element);
    XmlDomLock lock;
    XmlElementIterator children(element);
    while (children.Next())
    {
        if (children.GetName() == L"file")
            list.Add(GetXmlPathAttribute(children.GetElement()));
    }
}

void XmlReadSrcList(IXMLDOMElement *jobElement, CStringArray &list)
{
    RequireElement(jobElement);
    XmlDomLock lock;
    XmlElementIterator sources(jobElement);
    while (sources.Next())
    {
        if (sources.GetName() != L"src")
            continue;
        const INT_PTR before = list.GetSize();
        XmlReadFileList(sources.GetElement(), list);
        if (list.GetSize() == before)
            list.Add(GetXmlPathAttribute(sources.GetElement()));
    }
}

void XmlRemoveSrcList(IXMLDOMElement *jobElement)
{
    RequireElement(jobElement);
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    bool more = children.Next();
    while (more)
    {
        IXMLDOMElementPtr child = children.GetElement();
        const bool isSource = children.GetName() == L"src";
        // Step on before the child leaves the tree: a removed node has no next sibling.
        more = children.Next();
        if (isSource)
        {
            IXMLDOMNodePtr removed;
            XmlCheck(jobElement->removeChild(child, &removed));
        }
    }
}

IXMLDOMElementPtr CJobDef::AddSource(LPCWSTR path, LPCWSTR destination, BOOL rapid)
{
    RequireElement(m_element);
    XmlDomLock lock;
    IXMLDOMElementPtr source = CreateChildElement(m_element, L"src");
    XmlSetAttributeString(source, L"path", path);
    XmlSetAttributeInt(source, L"hassrc", 1);
    if (rapid)
        XmlSetAttributeInt(source, L"rapid", 0);
    if (destination != nullptr)
        XmlSetAttributeString(source, L"destination", destination);
    AppendChildElement(m_element, source);
    return source;
}

void CJobDef::FindSource(LPCWSTR folder, LPCWSTR fileName)
{
    RequireElement(m_element);
    const CString folderText(folder ? folder : L"");
    XmlDomLock lock;
    IXMLDOMElementPtr source;
    XmlElementIterator children(m_element);
    while (children.Next())
    {
        if (children.GetName() == L"src" && GetXmlPathAttribute(children.GetElement()) == folderText)
        {
            source = children.GetElement();
            break;
        }
    }
    if (!source)
        source = AddSource(folderText, nullptr, FALSE);

    // The item number is the file's place among the files of its folder.
    int itemId = 0;
    XmlElementIterator files(source);
    while (files.Next())
    {
        if (files.GetName() == L"file")
            ++itemId;
    }
    IXMLDOMElementPtr file = CreateChildElement(source, L"file");
    XmlSetAttributeString(file, L"path", folderText + (fileName ? fileName : L""));
    XmlSetAttributeInt(file, L"itemID", itemId);
    AppendChildElement(source, file);
}

void CJobDef::AddSourcePath(LPCWSTR path, LPCWSTR destination)
{
    RequireElement(m_element);
    const CString text(path ? path : L"");
    const int lastBackslash = text.ReverseFind(L'\\');
    if (lastBackslash < 0)
        return;
    if (lastBackslash == text.GetLength() - 1)
        AddSource(text, destination, FALSE);
    else
        FindSource(text.Left(lastBackslash + 1), text.Mid(lastBackslash + 1));
}

BOOL CJobDef::HasNetworkSource() const
{
    RequireElement(m_element);
    XmlDomLock lock;
    XmlElementIterator children(m_element);
    while (children.Next())
    {
        if (children.GetName() != L"src")
            continue;
        const CString path = GetXmlPathAttribute(children.GetElement());
        if (PathIsUNCW(path) || GetPathDriveType(path) == DRIVE_REMOTE)
            return TRUE;
    }
    return FALSE;
}
