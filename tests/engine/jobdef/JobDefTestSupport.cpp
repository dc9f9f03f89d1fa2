#include "JobDefTestSupport.h"

#include <winioctl.h>

#include <cstring>

namespace jobdeftest {

IXMLDOMDocument2Ptr NewStoreDocument(LPCWSTR xml)
{
    IXMLDOMDocument2Ptr document;
    _com_util::CheckError(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    _com_util::CheckError(document->put_async(VARIANT_FALSE));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    _com_util::CheckError(document->loadXML(_bstr_t(xml), &loaded));
    if (loaded != VARIANT_TRUE)
        _com_issue_error(E_FAIL);
    _com_util::CheckError(document->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
    return document;
}

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

IXMLDOMElementPtr NewJobElement(const IXMLDOMDocument2Ptr &document)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                               _bstr_t(L"ORVANE"), &node));
    return IXMLDOMElementPtr(node);
}

std::vector<std::wstring> AttributeNames(IXMLDOMElement *element)
{
    std::vector<std::wstring> names;
    IXMLDOMNamedNodeMapPtr attributes;
    _com_util::CheckError(element->get_attributes(&attributes));
    long count = 0;
    _com_util::CheckError(attributes->get_length(&count));
    for (long i = 0; i < count; ++i) {
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
    while (it.Next()) {
        if (it.GetName() == name)
            children.push_back(it.GetElement());
    }
    return children;
}

namespace {

// Wine's mount manager request that defines (or, with type DRIVE_NO_ROOT_DIR and no path, removes) a drive
// letter backed by a Unix folder, as its configuration tool does.
struct UnixDriveRequest
{
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

const DWORD kDefineUnixDrive = CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

} // namespace

TestDrive::TestDrive(wchar_t letter, const std::wstring &folder) : m_letter(letter)
{
    const std::wstring mutexName = std::wstring(L"VelbrookTestDrive_") + letter;
    m_turn = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    const DWORD wait = m_turn ? WaitForSingleObject(m_turn, 120000) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        if (m_turn)
            CloseHandle(m_turn);
        m_turn = nullptr;
        return;
    }
    using UnixName = char *(CDECL *)(LPCWSTR);
    // Through void *: a plain cast between function pointer types draws a warning.
    void *entry =
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    auto unixName = reinterpret_cast<UnixName>(entry);
    if (!unixName)
        return;
    char *unixPath = unixName(folder.c_str());
    if (!unixPath)
        return;
    m_mapped = Define(unixPath, DRIVE_FIXED);
    HeapFree(GetProcessHeap(), 0, unixPath);
}

TestDrive::~TestDrive()
{
    if (m_mapped)
        Define(nullptr, DRIVE_NO_ROOT_DIR);
    if (m_turn) {
        ReleaseMutex(m_turn);
        CloseHandle(m_turn);
    }
}

bool TestDrive::Define(const char *unixPath, ULONG type)
{
    const size_t pathBytes = unixPath ? strlen(unixPath) + 1 : 0;
    std::vector<char> buffer(sizeof(UnixDriveRequest) + pathBytes);
    auto *request = reinterpret_cast<UnixDriveRequest *>(buffer.data());
    request->size = static_cast<ULONG>(buffer.size());
    request->type = type;
    request->letter = m_letter;
    if (unixPath) {
        request->mountPointOffset = sizeof(UnixDriveRequest);
        memcpy(buffer.data() + sizeof(UnixDriveRequest), unixPath, pathBytes);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

} // namespace jobdeftest
