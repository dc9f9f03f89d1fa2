#include "RunTestSupport.h"

#include "engine/job/JobDeque.h"
#include "engine/store/JobDef.h"
#include "engine/program/ProgramObjects.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Resources.h"
#include "platform/windows/MessageBoxAnswer.h"

namespace runtest
{

void RunTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    m_answer.emplace(g_messageBoxAnswer, [](UINT, const CString &, UINT) { return IDCANCEL; });
    m_savedDataFolder = g_strDataFolder;
    g_strDataFolder = m_folder.Path().c_str();
    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Src().c_str(), nullptr));

    m_element = NewJobElement(m_document, L"RunJob", Dest().c_str());
    m_window = std::make_unique<FakeMainWindow>();
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
    m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
    InstallBackupRunThread();
}

void RunTest::TearDown()
{
    EXPECT_TRUE(testsupport::TemporaryCopies(m_folder.Path()).empty());
    m_job.reset();
    m_window.reset();
    m_element = nullptr;
    g_strDataFolder = m_savedDataFolder;
    EngineTest::TearDown();
}

IXMLDOMElementPtr RunTest::AddSource(const std::wstring &path, bool filters)
{
    IXMLDOMElementPtr element = NewStoreElement(m_document, L"src");
    XmlSetAttributeString(element, L"path", path.c_str());
    if (!filters)
        XmlSetAttributeString(element, L"rapid", L"0");
    IXMLDOMNodePtr added;
    _com_util::CheckError(m_element->appendChild(element, &added));
    return element;
}

void RunTest::AddFileChild(IXMLDOMElement *source, const std::wstring &path)
{
    IXMLDOMElementPtr element = NewStoreElement(m_document, L"file");
    XmlSetAttributeString(element, L"path", path.c_str());
    IXMLDOMNodePtr added;
    _com_util::CheckError(source->appendChild(element, &added));
}

PostedMessage RunTest::Run()
{
    size_t before = m_window->CountEnds();
    GetJobDeque().Enqueue(m_job.get(), 0);
    EXPECT_TRUE(m_window->WaitForEnds(before + 1));
    if (m_window->CountEnds() <= before)
        return PostedMessage{0, nullptr, 0};
    // Exactly one end message per run.
    PumpWaitingMessages();
    ::Sleep(50);
    PumpWaitingMessages();
    std::vector<PostedMessage> ends = m_window->EndMessages();
    EXPECT_EQ(ends.size(), before + 1);
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 0);
    return ends[before];
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

std::wstring RunTest::Text(UINT id, LPCWSTR first, LPCWSTR second)
{
    CString text;
    text.Format(id, first, second);
    return text.GetString();
}

bool MakeFolders(const std::wstring &folder)
{
    std::wstring long_ = L"\\\\?\\" + folder;
    for (size_t at = 7; at < long_.size(); ++at)
    {
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
    CKernelHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && ::SetFileTime(file.Get(), nullptr, nullptr, &time);
}

} // namespace runtest
