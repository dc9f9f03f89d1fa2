// The starter as the user starts it from the root of drive E:, with a recording stand-in of the main program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/support/TrayTestSupport.h"

TEST(StarterProgramWindow, StartsTheMainProgramFromItsFolderAndEndsWithoutAWindow)
{
    traytest::RecorderDrive drive(L'E');
    ASSERT_EQ(drive.Error(), L"") << "drive E:";
    ASSERT_TRUE(drive.PlaceStarter());
    traytest::StartedProgram starter;
    const DWORD begin = GetTickCount();
    ASSERT_TRUE(starter.Start(L"E:\\Starter.exe", L"", L"E:\\"));
    bool windowSeen = false;
    while (starter.IsRunning() && GetTickCount() - begin < 30000)
        windowSeen = windowSeen || !traytest::WindowsOf(L"STARTER", starter.Id(), true).empty();
    EXPECT_LE(GetTickCount() - begin, 2000u);
    EXPECT_TRUE(starter.EndsWithZero(0));
    EXPECT_FALSE(windowSeen) << "a starter window became visible";

    traytest::WaitFor([&drive] { return !drive.Starts().empty(); }, 30000);
    Sleep(1000);
    EXPECT_EQ(drive.Starts(), std::vector<std::wstring>{L"\tE:\\Tarnvel Program Files"}) << "no arguments";
}
