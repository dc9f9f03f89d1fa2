// The tray program's settings file and the language library it picks, in a temporary common folder.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "support/TestSupport.h"
#include "tray/logic/TrayPlaces.h"
#include "tray/logic/TraySeams.h"

namespace
{

std::wstring g_commonRoot;

BOOL TemporaryCommonFolder(int csidl, LPWSTR path)
{
    lstrcpynW(path, g_commonRoot.c_str(), MAX_PATH);
    return csidl == CSIDL_COMMON_APPDATA;
}

class TrayLogicFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_commonRoot = m_root.Path().substr(0, m_root.Path().size() - 1);
    }

    testsupport::TempFolder m_root;
    const std::wstring m_common = m_root / L"Tarnvel_PHRASEL\\";
    const std::wstring m_settings = m_common + L"Tarnvel_try.ini";
    SeamOverride<PFN_SPECIAL_FOLDER> m_folders{g_pfnSpecialFolder, &TemporaryCommonFolder};
};

} // namespace

TEST_F(TrayLogicFiles, AutomaticBackupIsOnUntilSwitchedOff)
{
    EXPECT_TRUE(ReadAutoBackupSetting()) << "no settings file";
    for (int value : {0, 1})
    {
        ASSERT_TRUE(WriteAutoBackupSetting(value));
        wchar_t text[16] = {};
        GetPrivateProfileStringW(L"Tarnvel_Tray", L"auto_backup", L"", text, 16, m_settings.c_str());
        EXPECT_EQ(std::wstring(text), std::to_wstring(value));
        EXPECT_EQ(ReadAutoBackupSetting(), value == 1);
    }
    // A settings file that cannot be read means on.
    ASSERT_TRUE(DeleteFileW(m_settings.c_str()) && CreateDirectoryW(m_settings.c_str(), nullptr));
    EXPECT_TRUE(ReadAutoBackupSetting());
}

TEST_F(TrayLogicFiles, TheLanguageLibraryComesFromTheCommonFolderOnly)
{
    for (LPCWSTR language : {L"ENU", L"FRC"})
    {
        ASSERT_EQ(SHCreateDirectoryExW(nullptr, (m_common + language).c_str(), nullptr), ERROR_SUCCESS);
        ASSERT_TRUE(testsupport::WriteFileBytes(m_common + language + L"\\Phrasel.dll", "library"));
    }
    // No German library: the English one of the common folder, never a name the library search resolves.
    const std::wstring cases[][2] = {{L"enu", L"ENU"}, {L"FRC", L"FRC"}, {L"DEU", L"ENU"}, {L"", L"ENU"}};
    for (const auto &c : cases)
        EXPECT_EQ(LanguageLibraryPath(c[0]), m_common + c[1] + L"\\Phrasel.dll") << c[0];
    EXPECT_EQ(BuildDriveProgramPath(L'E'), L"e:\\Tarnvel Program Files\\Tarnvel.exe");
}
