// What the starter at the drive root decides before it starts the main program: where the program lies below
// the folder it was started in, and whether it asks for elevation.
#pragma once
#include <windows.h>

#include <string>

// The current folder + "\Tarnvel Program Files" ("E:\Backup\Tarnvel Program Files"); a drive root of at most 3
// characters already ends with its backslash ("E:\Tarnvel Program Files").
std::wstring StarterProgramFolder(const std::wstring &currentFolder);
// The program folder + "\Tarnvel.exe".
std::wstring StarterProgramPath(const std::wstring &currentFolder);

// Whether the user running the starter is an administrator: the local computer's privilege level of the user;
// for a user the local computer does not know (a domain account), membership of BUILTIN\Administrators.
BOOL IsCurrentUserAdmin();
// Whether the platform is of the NT 5 family (major version 5).
BOOL IsWindowsMajorVersion5();
// "runas" for an administrator outside the NT 5 family, "open" otherwise.
LPCWSTR ChooseStarterVerb(BOOL admin, BOOL windows5);
