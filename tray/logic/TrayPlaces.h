// Where the tray program finds itself and its files: the Startup copy that runs at logon, the common folder
// "Tarnvel_PHRASEL" of the common application data (language libraries, the settings file shared by all users
// of the computer, the removal copy), and the main program on a drive.
#pragma once
#include <windows.h>

#include <string>

// The user's Startup folder + "\Tarnvel_Tray.exe"; empty when the platform has no Startup folder.
std::wstring StartupCopyPath();
// The common application-data folder + "\Tarnvel_PHRASEL", made when it is missing; empty when the platform has
// no common application-data folder.
std::wstring TrayCommonFolder();
// The common folder + "\Tarnvel_Tray.exe"; empty without a common folder.
std::wstring RemovalCopyPath();
// The common folder + "\Tarnvel_try.ini"; empty without a common folder.
std::wstring TraySettingsPath();

// Whether automatic backup is on: key "auto_backup" of section "Tarnvel_Tray" is 1, or the file or the key is
// missing or unreadable.
BOOL ReadAutoBackupSetting();
// Writes the key as "%d"; FALSE when it could not be written.
BOOL WriteAutoBackupSetting(int value);

// The language library for the system language's abbreviation (such as "enu" or "FRC"): the common folder's
// "<ABBREVIATION>\Phrasel.dll" when that file is there, else the common folder's "ENU\Phrasel.dll" (never a
// relative name, which the library search would resolve anywhere); empty without a common folder.
std::wstring LanguageLibraryPath(const std::wstring &abbreviation);

// "<letter>:\Tarnvel Program Files\Tarnvel.exe" with the letter in lower case.
std::wstring BuildDriveProgramPath(wchar_t letter);
// Starts the program with the arguments when the file is there: 1 when it was started, 0 when it is missing.
BOOL RunProgramIfPresent(const std::wstring &path, LPCWSTR arguments);
