// Every test process runs under an address-space cap (tests/emulator.sh): a runaway allocation fails that test
// at once instead of exhausting the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// Run only as the child of the test below: takes 64 MiB blocks up to 3 GiB (untouched, so only address space).
TEST(MemoryCap, DISABLED_ChildAllocatesWithoutBound)
{
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 48; ++i)
        blocks.emplace_back(new char[64 << 20]);
}

TEST(MemoryCap, AnAllocationWithoutBoundFailsWithinSeconds)
{
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring command =
        L"\"" + std::wstring(self) +
        L"\" --gtest_also_run_disabled_tests --gtest_filter=MemoryCap.DISABLED_ChildAllocatesWithoutBound";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &process));
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_NE(code, 0u) << "3 GiB of address space were granted: the cap is missing";
}
