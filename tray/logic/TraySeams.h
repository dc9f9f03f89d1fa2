// The platform answers that the tray program's and the starter's tests replace: the bus type of a drive (a
// drive mapped onto a folder never answers USB), the presence and the start of a program, the Startup and the
// common application-data folders, the pause after a finished backup, the message box, and the platform's
// version and the user's standing.
//
// Each is a seam (platform/system/Seam.h), held as a plain function pointer so that it is ready before any
// other initialisation of the program runs.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"

// The bus type of the volume of a drive letter (lower or upper case); 0 when it cannot be opened or queried.
using PFN_DRIVE_BUS_TYPE = UINT (*)(wchar_t letter);
UINT GetDriveBusType(wchar_t letter);
extern Seam<PFN_DRIVE_BUS_TYPE> g_pfnDriveBusType;

// Whether a file (not a folder) is there.
using PFN_FILE_EXISTS = BOOL (*)(LPCWSTR path);
BOOL FileExists(LPCWSTR path);
extern Seam<PFN_FILE_EXISTS> g_pfnFileExists;

// Starts a program with the shell's "open" verb, no working folder, shown normally; arguments may be empty.
// Whether the start succeeded is not looked at.
using PFN_START_PROGRAM = void (*)(LPCWSTR path, LPCWSTR arguments);
void StartProgram(LPCWSTR path, LPCWSTR arguments);
extern Seam<PFN_START_PROGRAM> g_pfnStartProgram;

// A special folder by its CSIDL (CSIDL_STARTUP, CSIDL_COMMON_APPDATA) into a buffer of MAX_PATH characters,
// without a trailing backslash; FALSE when the platform has none.
using PFN_SPECIAL_FOLDER = BOOL (*)(int csidl, LPWSTR path);
BOOL GetSpecialFolder(int csidl, LPWSTR path);
extern Seam<PFN_SPECIAL_FOLDER> g_pfnSpecialFolder;

// The pause that keeps the balloon of a finished backup up; Sleep unless replaced.
using PFN_TRAY_PAUSE = void (*)(DWORD milliseconds);
extern Seam<PFN_TRAY_PAUSE> g_pfnTrayPause;

// The tray program's questions: MessageBoxW unless replaced.
using PFN_TRAY_MESSAGE_BOX = int (*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);
extern Seam<PFN_TRAY_MESSAGE_BOX> g_pfnTrayMessageBox;

// The platform's major version.
using PFN_WINDOWS_MAJOR_VERSION = DWORD (*)();
DWORD GetWindowsMajorVersion();
extern Seam<PFN_WINDOWS_MAJOR_VERSION> g_pfnWindowsMajorVersion;

// The privilege level (USER_PRIV_GUEST, _USER or _ADMIN) of a user of the local computer; FALSE when the
// local computer does not know the user (a domain account).
using PFN_LOCAL_USER_PRIVILEGE = BOOL (*)(LPCWSTR user, DWORD *privilege);
BOOL GetLocalUserPrivilege(LPCWSTR user, DWORD *privilege);
extern Seam<PFN_LOCAL_USER_PRIVILEGE> g_pfnLocalUserPrivilege;

// Whether the running process's user belongs to BUILTIN\Administrators, elevated or not.
using PFN_IS_ADMINISTRATOR_MEMBER = BOOL (*)();
BOOL IsAdministratorsMember();
extern Seam<PFN_IS_ADMINISTRATOR_MEMBER> g_pfnIsAdministratorsMember;
