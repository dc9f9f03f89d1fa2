#include "TaskTestSupport.h"

#include <algorithm>

#include "platform/system/Handles.h"

namespace tasktest
{

namespace
{

BOOL WINAPI ScriptedCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                         DWORD flags)
{
    CopyScript &script = Copies();
    const size_t call = script.targets.size();
    script.targets.push_back(target != nullptr ? target : L"");
    const DWORD failure = call < script.failures.size() ? script.failures[call] : 0;
    if (failure != 0)
    {
        ::SetLastError(failure);
        return FALSE;
    }
    return CopyFileWithProgress(source, target, progress, data, cancel, flags);
}

} // namespace

CopyScript &Copies()
{
    static CopyScript script;
    return script;
}

void TaskTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    Copies() = CopyScript();
    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Src().c_str(), nullptr));
    m_window = std::make_unique<FakeMainWindow>();
    m_element = NewJobElement(m_document, L"TaskJob", Dest().c_str());
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
}

void TaskTest::TearDown()
{
    m_job.reset();
    m_element = nullptr;
    m_window.reset();
    EngineTest::TearDown();
}

std::wstring TaskTest::MakeSource(const std::wstring &name, const std::string &bytes)
{
    const std::wstring path = Src() + name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    return path;
}

void TaskTest::ScriptCopies()
{
    m_copy.emplace(g_pfnCopyFileEx, &ScriptedCopy);
}

std::vector<std::wstring> TaskTest::ErrorTexts()
{
    std::vector<std::wstring> texts;
    for (const CopyErrorItem &item : m_job->GetErrorList().GetItems())
        texts.push_back(item.text.GetString());
    return texts;
}

std::wstring TaskTest::ErrorText(const std::wstring &path, DWORD code)
{
    CString text;
    text.Format(239u, path.c_str());
    text += L" - ";
    text += GetSystemErrorText(code);
    return text.GetString();
}

std::vector<std::wstring> TaskTest::LogLines()
{
    std::vector<std::wstring> lines;
    std::wstring text = JobLogText(*m_job);
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    size_t start = 0;
    for (size_t end = text.find(L"\r\n"); end != std::wstring::npos; end = text.find(L"\r\n", start))
    {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::wstring> FileNames(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    CFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (!find.IsValid())
        return names;
    do
    {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (::FindNextFileW(find, &entry));
    std::sort(names.begin(), names.end());
    return names;
}

DWORD Attributes(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str());
}

bool OpensExclusively(const std::wstring &path)
{
    CKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

} // namespace tasktest
