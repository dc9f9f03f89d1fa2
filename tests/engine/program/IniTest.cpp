#include <gtest/gtest.h>

#include <string>

#include "engine/program/Ini.h"
#include "support/TestSupport.h"

using testsupport::ReadFileBytes;
using testsupport::TempFolder;

namespace
{

std::wstring ReadValue(const std::wstring &file, LPCWSTR section, LPCWSTR key)
{
    wchar_t value[256] = {};
    ::GetPrivateProfileStringW(section, key, L"<none>", value, 256, file.c_str());
    return value;
}

std::wstring WinIniPath()
{
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\win.ini";
}

} // namespace

TEST(IniFile, WritesValuesToItsFile)
{
    TempFolder temp;
    const std::wstring file = temp / L"Login.ini";
    CIni ini;
    ini.SetPath(file.c_str());
    EXPECT_TRUE(ini.WriteString(L"AGENT-OPTIONS", L"Wireless", L"TRUE"));
    EXPECT_TRUE(ini.WriteString(L"AGENT-OPTIONS", L"Ethernet", nullptr));
    EXPECT_EQ(ReadValue(file, L"AGENT-OPTIONS", L"Wireless"), L"TRUE");
    EXPECT_EQ(ReadValue(file, L"AGENT-OPTIONS", L"Ethernet"), L"");

    // A new path replaces the old one.
    const std::wstring other = temp / L"Other.ini";
    ini.SetPath(other.c_str());
    EXPECT_TRUE(ini.WriteString(L"S", L"K", L"V"));
    EXPECT_EQ(ReadValue(other, L"S", L"K"), L"V");
    EXPECT_EQ(ReadValue(file, L"S", L"K"), L"<none>");
}

TEST(IniFile, NullSectionOrKeyWritesNothing)
{
    TempFolder temp;
    const std::wstring file = temp / L"Login.ini";
    CIni ini;
    ini.SetPath(file.c_str());
    EXPECT_FALSE(ini.WriteString(nullptr, L"K", L"V"));
    EXPECT_FALSE(ini.WriteString(L"S", nullptr, L"V"));
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(IniFile, NullPathEmptiesTheHeldPath)
{
    CIni ini;
    ini.SetPath(nullptr);
    EXPECT_EQ(ini.GetPath(), nullptr);
    ini.SetPath(L"C:\\x.ini");
    EXPECT_STREQ(ini.GetPath(), L"C:\\x.ini");
    ini.SetPath(nullptr);
    ASSERT_NE(ini.GetPath(), nullptr);
    EXPECT_STREQ(ini.GetPath(), L"");
}

TEST(IniFile, WithoutAPathWinIniStaysUnchanged)
{
    const std::wstring winIni = WinIniPath();
    const std::string before = ReadFileBytes(winIni);
    CIni never;
    EXPECT_FALSE(never.WriteString(L"VelbrookIniTest", L"Key", L"Value"));
    CIni emptied;
    emptied.SetPath(L"C:\\x.ini");
    emptied.SetPath(nullptr);
    EXPECT_FALSE(emptied.WriteString(L"VelbrookIniTest", L"Key", L"Value"));

    EXPECT_EQ(ReadFileBytes(winIni), before);
    wchar_t value[64] = {};
    ::GetProfileStringW(L"VelbrookIniTest", L"Key", L"<none>", value, 64);
    EXPECT_STREQ(value, L"<none>");
}
