// The single-instance guard between processes: the stand-in start (InstanceProbe.exe) takes the decision that the
// program's start takes, so the guard is seen as separate starts of the program see it.
#include <gtest/gtest.h>

#include <string>

#include "app/support/AppTestSupport.h"

namespace
{

using apptest::StartedProgram;

// One start of the probe; result is what it wrote: "first <window>" or "second <window>".
class ProbeStart
{
  public:
    explicit ProbeStart(const testsupport::TempFolder &folder, const std::wstring &name)
        : m_result(folder / (name + L".txt"))
    {
    }
    bool Start()
    {
        return m_program.Start(apptest::TestProgramFolder() + L"InstanceProbe.exe", L"\"" + m_result + L"\"");
    }
    // The probe's answer, once it has written one (within 30 s).
    std::string Result()
    {
        for (int i = 0; i < 600; ++i)
        {
            std::string text = testsupport::ReadFileBytes(m_result);
            if (!text.empty())
                return text;
            if (!m_program.IsRunning())
                return testsupport::ReadFileBytes(m_result);
            Sleep(50);
        }
        return std::string();
    }
    StartedProgram &Program()
    {
        return m_program;
    }

  private:
    std::wstring m_result;
    StartedProgram m_program;
};

HWND WindowOf(const std::string &result)
{
    const size_t blank = result.find(' ');
    return blank == std::string::npos ? nullptr : static_cast<HWND>(LongToHandle(std::stol(result.substr(blank + 1))));
}

std::string WordOf(const std::string &result)
{
    return result.substr(0, result.find(' '));
}

TEST(InstanceGuardWindow, TheFirstStartIsFirstALaterOneGetsItsWindowAndAfterItTheNextIsFirst)
{
    testsupport::TempFolder folder;

    ProbeStart first(folder, L"first");
    ASSERT_TRUE(first.Start());
    const std::string firstResult = first.Result();
    ASSERT_EQ(WordOf(firstResult), "first") << firstResult;
    HWND firstWindow = WindowOf(firstResult);
    ASSERT_TRUE(IsWindow(firstWindow));

    ProbeStart second(folder, L"second");
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.Result(), "second " + std::to_string(HandleToLong(firstWindow)));
    DWORD code = 1;
    ASSERT_TRUE(second.Program().WaitForExit(30000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Program().IsRunning());

    PostMessageW(firstWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.Program().WaitForExit(30000, code));
    EXPECT_EQ(code, 0u);

    ProbeStart next(folder, L"next");
    ASSERT_TRUE(next.Start());
    const std::string nextResult = next.Result();
    EXPECT_EQ(WordOf(nextResult), "first") << nextResult;
    PostMessageW(WindowOf(nextResult), WM_CLOSE, 0, 0);
    EXPECT_TRUE(next.Program().WaitForExit(30000, code));
}

} // namespace
