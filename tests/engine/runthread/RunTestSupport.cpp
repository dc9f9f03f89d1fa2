#include "RunTestSupport.h"

#include "engine/JobDeque.h"
#include "engine/JobDef.h"
#include "engine/ProgramObjects.h"
#include "engine/RestoreJournal.h"
#include "engine/XmlLayer.h"
#include "platform/CopyFile.h"
#include "platform/Resources.h"
#include "ui/MessageBoxDlg.h"

namespace runtest {

namespace {

const wchar_t kWindowClass[] = L"VelbrookRunThreadTestMainWindow";

bool IsEndMessage(UINT message)
{
    return message == WM_JOB_FINISHED || message == WM_JOB_CANCELLED || message == WM_JOB_FAILED;
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

FakeMainWindow::FakeMainWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &FakeMainWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    m_hWnd = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_pMainDlg = this;
}

FakeMainWindow::~FakeMainWindow()
{
    g_pMainDlg = nullptr;
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
}

bool FakeMainWindow::WaitForEnds(size_t n, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (m_ends.size() < n && ::GetTickCount() - start < timeoutMs) {
        PumpWaitingMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpWaitingMessages();
    return m_ends.size() >= n;
}

LRESULT CALLBACK FakeMainWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<FakeMainWindow *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self == nullptr || !IsEndMessage(message))
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    self->m_ends.push_back(EndMessage{message, job, lParam});
    GetJobDeque().OnJobFinished(job, message == WM_JOB_CANCELLED && lParam == 1);
    if (job->GetRestoreJournal()->GetMode() != CRestoreJournal::ModeClosed)
        job->GetRestoreJournal()->Close(message == WM_JOB_FINISHED ? 0 : 1);
    job->SetRunningFlag();
    job->OnRunFinished();
    return 0;
}

void RunTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    UseLanguageLibrary();
    SetSkinMessageBoxHook([](UINT, const CString &, UINT) { return IDCANCEL; });
    m_savedLogPath = g_strLogPath;
    m_savedDataFolder = g_strDataFolder;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    g_strDataFolder = m_folder.Path().c_str();
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
    XmlSetAttributeString(m_element, L"name", L"RunJob");
    XmlSetAttributeString(m_element, L"dest", Dest().c_str());
    XmlSetAttributeInt(m_element, L"state", 1);
    m_window = std::make_unique<FakeMainWindow>();
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
    m_savedWorkers = GetSyncJobWorkers();
    InstallBackupRunThread();
}

void RunTest::TearDown()
{
    EXPECT_TRUE(Temporaries(m_folder.Path()).empty());
    m_job.reset();
    m_window.reset();
    SetSyncJobWorkers(m_savedWorkers);
    m_element = nullptr;
    SetXmlStoreDocument(nullptr);
    m_document = nullptr;
    g_strLogPath = m_savedLogPath;
    g_strDataFolder = m_savedDataFolder;
    SetSkinMessageBoxHook(nullptr);
    g_pfnCopyFileEx = &CopyFileWithProgress;
}

IXMLDOMElementPtr RunTest::AddSource(const std::wstring &path, bool filters)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"src"),
                                                 _bstr_t(L"ORVANE"), &node));
    IXMLDOMElementPtr element = node;
    XmlSetAttributeString(element, L"path", path.c_str());
    if (!filters)
        XmlSetAttributeString(element, L"rapid", L"0");
    IXMLDOMNodePtr added;
    _com_util::CheckError(m_element->appendChild(element, &added));
    return element;
}

void RunTest::AddFileChild(IXMLDOMElement *source, const std::wstring &path)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"file"),
                                                 _bstr_t(L"ORVANE"), &node));
    IXMLDOMElementPtr element = node;
    XmlSetAttributeString(element, L"path", path.c_str());
    IXMLDOMNodePtr added;
    _com_util::CheckError(source->appendChild(element, &added));
}

EndMessage RunTest::Run()
{
    size_t before = m_window->Ends().size();
    GetJobDeque().Enqueue(m_job.get(), 0);
    EXPECT_TRUE(m_window->WaitForEnds(before + 1));
    if (m_window->Ends().size() <= before)
        return EndMessage{0, nullptr, 0};
    // Exactly one end message per run.
    PumpWaitingMessages();
    ::Sleep(50);
    PumpWaitingMessages();
    EXPECT_EQ(m_window->Ends().size(), before + 1);
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 0);
    return m_window->Ends()[before];
}

std::wstring RunTest::WriteSource(const std::wstring &relative, const std::string &bytes)
{
    std::wstring path = Src() + relative;
    MakeFolders(path.substr(0, path.rfind(L'\\') + 1));
    std::wstring written = path.size() >= MAX_PATH ? L"\\\\?\\" + path : path;
    EXPECT_TRUE(testsupport::WriteFileBytes(written, bytes)) << testing::PrintToString(path);
    return path;
}

std::vector<std::wstring> RunTest::JournalTargets()
{
    std::vector<std::wstring> targets;
    CRestoreJournal journal(g_strDataFolder);
    if (!journal.Open(L"RunJob", 0))
        return targets;
    CStringList list;
    journal.ReadAll(list);
    for (POSITION position = list.GetHeadPosition(); position != nullptr;)
        targets.push_back(list.GetNext(position).GetString());
    journal.Close(0);
    return targets;
}

std::wstring RunTest::LogText()
{
    m_job->GetLog().Flush();
    std::string bytes = testsupport::ReadFileBytes(m_job->GetLog().GetPath());
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data(), text.size() * 2);
    return text;
}

std::wstring RunTest::Text(UINT id, LPCWSTR first, LPCWSTR second)
{
    CString text;
    text.Format(id, first, second);
    return text.GetString();
}

bool MakeFolders(const std::wstring &folder)
{
    std::wstring long_ = L"\\\\?\\" + folder;
    for (size_t at = 7; at < long_.size(); ++at) {
        if (long_[at] != L'\\')
            continue;
        std::wstring part = long_.substr(0, at);
        if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

bool SetWriteTime(const std::wstring &path, const std::wstring &model, LONGLONG seconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(model.c_str(), GetFileExInfoStandard, &data))
        return false;
    ULARGE_INTEGER value;
    value.LowPart = data.ftLastWriteTime.dwLowDateTime;
    value.HighPart = data.ftLastWriteTime.dwHighDateTime;
    value.QuadPart = (value.QuadPart / 10000000ULL) * 10000000ULL + seconds * 10000000LL;
    FILETIME time;
    time.dwLowDateTime = value.LowPart;
    time.dwHighDateTime = value.HighPart;
    CKernelHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && ::SetFileTime(file.Get(), nullptr, nullptr, &time);
}

bool Exists(const std::wstring &path)
{
    std::wstring asked = path.size() >= MAX_PATH ? L"\\\\?\\" + path : path;
    return ::GetFileAttributesW(asked.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Temporaries(const std::wstring &folder)
{
    std::vector<std::wstring> found;
    testsupport::CollectTemporaryCopies(folder, found);
    return found;
}

} // namespace runtest
