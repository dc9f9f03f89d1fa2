// The command line of the removal copy: the copy of the tray program that waits until the ending tray program
// has gone and then deletes it from the Startup folder. It carries the ending program's process handle, which
// the copy inherits.
#pragma once
#include <windows.h>

#include <string>

// "\"<copy path>\" <handle>": the path quoted (the common folder may hold blanks), the handle as the 32-bit
// number that inherited handles are; empty when it would be longer than 511 characters.
std::wstring BuildRemovalCommandLine(const std::wstring &copyPath, HANDLE process);

// The handle in the arguments of the removal copy (the command line without the program's path): a positive
// decimal number and nothing else but blanks around it. FALSE for anything else, a pseudo-handle's negative
// value among them.
BOOL ParseRemovalHandle(LPCWSTR arguments, HANDLE &process);
