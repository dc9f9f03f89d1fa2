#include "CopyTestSupport.h"

#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Resources.h"

namespace copytest
{

namespace
{

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
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    CopyScript() = FileOpScript();
    MoveScript() = FileOpScript();
    Questions() = QuestionScript();
    Sleeps() = 0;
    ProgramReachable() = true;
    m_sleep.emplace(g_pfnRetrySleep, &CountingSleep);
    m_reachable.emplace(g_pfnIsProgramReachable, &ScriptedReachable);
    m_answer.emplace(g_messageBoxAnswer, [](UINT, const CString &text, UINT flags) {
        QuestionScript &script = Questions();
        EXPECT_EQ(flags & 15u, static_cast<UINT>(MB_RETRYCANCEL));
        size_t index = script.texts.size();
        script.texts.push_back(text.GetString());
        return index < script.answers.size() ? script.answers[index] : IDCANCEL;
    });

    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Src().c_str(), nullptr));
    m_element = NewJobElement(m_document, L"CopyJob", Dest().c_str());
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
    m_job->m_journalFlag = TRUE;
}

void CopyJobTest::TearDown()
{
    std::vector<std::wstring> temporaries = testsupport::TemporaryCopies(m_folder.Path());
    EXPECT_TRUE(temporaries.empty()) << "a temporary copy was left: " << testing::PrintToString(temporaries);
    m_job.reset();
    m_element = nullptr;
    EngineTest::TearDown();
}

int CopyJobTest::LogCount(const std::wstring &line)
{
    return CountLines(JobLogLines(*m_job), line);
}

int CopyJobTest::LogCount(UINT id, const std::wstring &argument)
{
    return LogCount(EntryLine(id, kAnyTime, argument.c_str()));
}

std::wstring CopyJobTest::Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.GetString();
}

void CopyJobTest::ScriptFileOps()
{
    m_copy.emplace(g_pfnCopyFileEx, &ScriptedCopy);
    m_move.emplace(g_pfnMoveFileEx, &ScriptedMove);
}

DWORD Attributes(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str());
}

} // namespace copytest
