#include "CopyTestSupport.h"

#include "engine/ProgramObjects.h"
#include "engine/XmlLayer.h"
#include "platform/CopyFile.h"
#include "platform/Resources.h"
#include "ui/MessageBoxDlg.h"

namespace copytest {

namespace {

// Fails the call with the scripted error, or says that the real operation is to run.
bool ScriptedFailure(FileOpScript &script, LPCWSTR target)
{
    std::wstring name = target != nullptr ? target : L"";
    if (!script.failOnlyWhere.empty() && name.find(script.failOnlyWhere) == std::wstring::npos)
        return false;
    script.targets.push_back(name);
    size_t index = static_cast<size_t>(script.calls++);
    DWORD error = index < script.failures.size() ? script.failures[index] : 0;
    if (error == 0)
        return false;
    ::SetLastError(error);
    return true;
}

BOOL WINAPI ScriptedCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                         DWORD flags)
{
    if (ScriptedFailure(CopyScript(), target))
        return FALSE;
    return CopyFileWithProgress(source, target, progress, data, cancel, flags);
}

BOOL WINAPI ScriptedMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    if (ScriptedFailure(MoveScript(), to))
        return FALSE;
    return ::MoveFileExW(from, to, flags);
}

void CountingSleep(DWORD)
{
    ++Sleeps();
}

BOOL ScriptedReachable()
{
    return ProgramReachable() ? TRUE : FALSE;
}

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

} // namespace

FileOpScript &CopyScript()
{
    static FileOpScript script;
    return script;
}

FileOpScript &MoveScript()
{
    static FileOpScript script;
    return script;
}

QuestionScript &Questions()
{
    static QuestionScript script;
    return script;
}

int &Sleeps()
{
    static int sleeps = 0;
    return sleeps;
}

bool &ProgramReachable()
{
    static bool reachable = true;
    return reachable;
}

void CopyJobTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    UseLanguageLibrary();
    CopyScript() = FileOpScript();
    MoveScript() = FileOpScript();
    Questions() = QuestionScript();
    Sleeps() = 0;
    ProgramReachable() = true;
    g_pfnRetrySleep = &CountingSleep;
    g_pfnIsProgramReachable = &ScriptedReachable;
    SetSkinMessageBoxHook([](UINT, const CString &text, UINT flags) {
        QuestionScript &script = Questions();
        EXPECT_EQ(flags & 15u, static_cast<UINT>(MB_RETRYCANCEL));
        size_t index = script.texts.size();
        script.texts.push_back(text.GetString());
        return index < script.answers.size() ? script.answers[index] : IDCANCEL;
    });

    m_savedLogPath = g_strLogPath;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Src().c_str(), nullptr));
    _com_util::CheckError(m_document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    _com_util::CheckError(m_document->loadXML(_bstr_t(L"<Tessel xmlns=\"ORVANE\"/>"), &loaded));
    ASSERT_EQ(loaded, VARIANT_TRUE);
    SetXmlStoreDocument(m_document);

    IXMLDOMNodePtr node;
    _com_util::CheckError(m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                                 _bstr_t(L"ORVANE"), &node));
    m_element = node;
    XmlSetAttributeString(m_element, L"name", L"CopyJob");
    XmlSetAttributeString(m_element, L"dest", Dest().c_str());
    XmlSetAttributeInt(m_element, L"state", 1);
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
    m_job->m_journalFlag = TRUE;
}

void CopyJobTest::TearDown()
{
    EXPECT_TRUE(Temporaries().empty()) << "a temporary copy was left: " << testing::PrintToString(Temporaries());
    m_job.reset();
    m_element = nullptr;
    SetXmlStoreDocument(nullptr);
    m_document = nullptr;
    g_strLogPath = m_savedLogPath;
    SetSkinMessageBoxHook(nullptr);
    g_pfnCopyFileEx = &CopyFileWithProgress;
    g_pfnMoveFileEx = &::MoveFileExW;
    g_pfnIsProgramReachable = &IsOwnProgramReachable;
    g_pfnRetrySleep = &SleepBeforeRetry;
}

std::wstring CopyJobTest::LogText()
{
    m_job->GetLog().Flush();
    std::string bytes = testsupport::ReadFileBytes(m_job->GetLog().GetPath());
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * 2);
    return text;
}

int CopyJobTest::LogCount(const std::wstring &text)
{
    std::wstring log = LogText();
    int count = 0;
    for (size_t at = log.find(text); at != std::wstring::npos; at = log.find(text, at + text.size()))
        ++count;
    return count;
}

std::wstring CopyJobTest::Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.GetString();
}

std::wstring CopyJobTest::AfterTime(UINT id, const std::wstring &argument)
{
    CString text;
    text.Format(id, L"\x1", argument.c_str());
    std::wstring entry = text.GetString();
    size_t mark = entry.find(L'\x1');
    return mark == std::wstring::npos ? entry : entry.substr(mark + 1);
}

std::vector<std::wstring> CopyJobTest::Temporaries() const
{
    std::vector<std::wstring> found;
    testsupport::CollectTemporaryCopies(m_folder.Path(), found);
    return found;
}

void CopyJobTest::ScriptFileOps()
{
    g_pfnCopyFileEx = &ScriptedCopy;
    g_pfnMoveFileEx = &ScriptedMove;
}

LockedFile::LockedFile(const std::wstring &path)
    : m_handle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

DWORD Attributes(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str());
}

bool Exists(const std::wstring &path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace copytest
