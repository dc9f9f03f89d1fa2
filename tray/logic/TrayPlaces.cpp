#include "tray/logic/TrayPlaces.h"

#include <shlobj.h>
#include <wctype.h>

#include "tray/logic/TrayMessages.h"
#include "tray/logic/TraySeams.h"

namespace
{

const wchar_t kCommonFolderName[] = L"\\Tarnvel_PHRASEL";
const wchar_t kSettingsFileName[] = L"\\Tarnvel_try.ini";
const wchar_t kSettingsSection[] = L"Tarnvel_Tray";
const wchar_t kAutoBackupKey[] = L"auto_backup";

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (!g_pfnSpecialFolder(csidl, path))
        return std::wstring();
    return path;
}

} // namespace

std::wstring StartupCopyPath()
{
    const std::wstring startup = SpecialFolder(CSIDL_STARTUP);
    if (startup.empty())
        return std::wstring();
    return startup + L"\\" + kTrayProgramName;
}

std::wstring TrayCommonFolder()
{
    const std::wstring common = SpecialFolder(CSIDL_COMMON_APPDATA);
    if (common.empty())
        return std::wstring();
    const std::wstring folder = common + kCommonFolderName;
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

std::wstring RemovalCopyPath()
{
    const std::wstring common = TrayCommonFolder();
    return common.empty() ? std::wstring() : common + L"\\" + kTrayProgramName;
}

std::wstring TraySettingsPath()
{
    const std::wstring common = TrayCommonFolder();
    return common.empty() ? std::wstring() : common + kSettingsFileName;
}

BOOL ReadAutoBackupSetting()
{
    const std::wstring path = TraySettingsPath();
    if (path.empty())
        return TRUE;
    return ::GetPrivateProfileIntW(kSettingsSection, kAutoBackupKey, 1, path.c_str()) == 1;
}

BOOL WriteAutoBackupSetting(int value)
{
    const std::wstring path = TraySettingsPath();
    if (path.empty())
        return FALSE;
    wchar_t text[16] = {};
    wsprintfW(text, L"%d", value);
    return ::WritePrivateProfileStringW(kSettingsSection, kAutoBackupKey, text, path.c_str());
}

std::wstring LanguageLibraryPath(const std::wstring &abbreviation)
{
    const std::wstring common = TrayCommonFolder();
    if (common.empty())
        return std::wstring();
    const std::wstring english = common + L"\\ENU\\Phrasel.dll";
    if (abbreviation.empty())
        return english;
    std::wstring upper = abbreviation;
    for (wchar_t &c : upper)
        c = static_cast<wchar_t>(towupper(c));
    const std::wstring candidate = common + L"\\" + upper + L"\\Phrasel.dll";
    return g_pfnFileExists(candidate.c_str()) ? candidate : english;
}

std::wstring BuildDriveProgramPath(wchar_t letter)
{
    return std::wstring(1, static_cast<wchar_t>(towlower(letter))) + L":\\" + kMainProgramBelowRoot;
}

BOOL RunProgramIfPresent(const std::wstring &path, LPCWSTR arguments)
{
    if (!g_pfnFileExists(path.c_str()))
        return FALSE;
    g_pfnStartProgram(path.c_str(), arguments != nullptr ? arguments : L"");
    return TRUE;
}
