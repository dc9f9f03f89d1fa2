#include "engine/support/EngineTestSupport.h"

#include <cstring>
#include <regex>

#include "engine/program/ProgramObjects.h"
#include "engine/job/SyncJob.h"
#include "platform/system/ComGlue.h"
#include "platform/system/Resources.h"

namespace enginetest
{

void UseLanguageLibrary()
{
    static HMODULE library = [] {
        HMODULE module = ::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str());
        if (module != nullptr)
            AfxSetResourceHandle(module);
        return module;
    }();
    ASSERT_NE(library, nullptr);
}

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

IXMLDOMElementPtr NewStoreElement(const IXMLDOMDocument2Ptr &document, LPCWSTR name)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(
        document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(name), _bstr_t(L"ORVANE"), &node));
    return IXMLDOMElementPtr(node);
}

IXMLDOMElementPtr NewJobElement(const IXMLDOMDocument2Ptr &document, LPCWSTR name, LPCWSTR dest)
{
    IXMLDOMElementPtr element = NewStoreElement(document, L"jobdef");
    XmlSetAttributeString(element, L"name", name);
    if (dest != nullptr)
        XmlSetAttributeString(element, L"dest", dest);
    XmlSetAttributeInt(element, L"state", 1);
    return element;
}

std::wstring JobLogText(CSyncJob &job)
{
    job.GetLog().Flush();
    std::string bytes = testsupport::ReadFileBytes(job.GetLog().GetPath());
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * 2);
    return text;
}

const wchar_t kAnyTime[] = L"\x1";
const wchar_t kAnyText[] = L"\x2";

std::vector<std::wstring> JobLogLines(CSyncJob &job)
{
    return LogLines(job.GetLog());
}

std::vector<std::wstring> LogLines(CLogMsg &log)
{
    log.Flush();
    std::string bytes = testsupport::ReadFileBytes(log.GetPath());
    std::vector<std::wstring> lines;
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE")) << "the log starts with its byte-order mark";
    if (bytes.size() < 2)
        return lines;
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    {
        std::wstring line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos) << "a stray line break in the log";
        lines.push_back(line);
    }
    EXPECT_EQ(start, text.size()) << "the log's last entry does not end its line";
    return lines;
}

std::wstring EntryLine(UINT id, LPCWSTR first, LPCWSTR second, LPCWSTR third)
{
    CString text;
    text.Format(id, first, second, third);
    return text.GetString();
}

bool LineMatches(const std::wstring &line, const std::wstring &expected)
{
    std::wstring pattern;
    for (wchar_t ch : expected)
    {
        if (ch == kAnyTime[0])
            pattern += L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d";
        else if (ch == kAnyText[0])
            pattern += L".*";
        else if (wcschr(L"\\^$.|?*+()[]{}", ch) != nullptr)
            pattern += std::wstring(L"\\") + ch;
        else
            pattern += ch;
    }
    return std::regex_match(line, std::wregex(pattern));
}

int CountLines(const std::vector<std::wstring> &lines, const std::wstring &expected)
{
    int count = 0;
    for (const std::wstring &line : lines)
        count += LineMatches(line, expected) ? 1 : 0;
    return count;
}

bool Exists(const std::wstring &path)
{
    std::wstring asked = path.size() >= MAX_PATH ? L"\\\\?\\" + path : path;
    return ::GetFileAttributesW(asked.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFileAt(const std::wstring &path, const std::string &bytes, LONGLONG seconds)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes)) << testing::PrintToString(path);
    const SYSTEMTIME base = {2020, 6, 1, 1, 12, 0, 0, 0};
    FILETIME time;
    ::SystemTimeToFileTime(&base, &time);
    ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += seconds * 10000000LL;
    time = {value.LowPart, value.HighPart};
    CKernelHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
}

namespace
{

void ReadTreeBelow(const std::wstring &folder, std::map<std::wstring, std::string> &files, const std::wstring &prefix,
                   bool skipRevision, bool bytes)
{
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + prefix + L"*").c_str(), &data));
    for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
    {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || name == L"TesselDir.list" ||
            (skipRevision && prefix.empty() && name == L"Revision"))
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTreeBelow(folder, files, prefix + name + L"\\", skipRevision, bytes);
        else
            files[prefix + name] =
                bytes ? testsupport::ReadFileBytes(folder + prefix + name) : std::string(data.nFileSizeLow, '?');
    }
}

} // namespace

void ReadFileTree(const std::wstring &folder, std::map<std::wstring, std::string> &files, bool skipRevision, bool bytes)
{
    ReadTreeBelow(folder, files, L"", skipRevision, bytes);
}

LockedFile::LockedFile(const std::wstring &path)
    : m_handle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

BOOL WINAPI MoveAsWindows(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    const DWORD existing = ::GetFileAttributesW(to);
    if ((flags & MOVEFILE_REPLACE_EXISTING) && existing != INVALID_FILE_ATTRIBUTES &&
        (existing & FILE_ATTRIBUTE_READONLY))
    {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ::MoveFileExW(from, to, flags);
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

IXMLDOMElementPtr RootOf(const IXMLDOMDocument2Ptr &document)
{
    IXMLDOMElementPtr root;
    _com_util::CheckError(document->get_documentElement(&root));
    return root;
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

void EngineTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    UseLanguageLibrary();
    m_savedLogPath = g_strLogPath;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    m_document = NewStoreDocument();
    SetXmlStoreDocument(m_document);
}

void EngineTest::TearDown()
{
    SetXmlStoreDocument(nullptr);
    m_document = nullptr;
    g_strLogPath = m_savedLogPath;
}

} // namespace enginetest
