// The file operations of the copy code that tests replace: the system cannot be made to fail a move with a
// chosen error, lose the program's drive, or let a second pass by quickly while a file stays locked. The copy
// itself goes through g_pfnCopyFileEx (platform/system/CopyFile.h).
//
// Each is a seam (platform/system/Seam.h): called like a function, g_pfnMoveFileEx(from, to, flags), and
// replaced by a test through a SeamOverride.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"

using PFN_MOVE_FILE_EX = BOOL(WINAPI *)(LPCWSTR existing, LPCWSTR replacement, DWORD flags);
// MoveFileExW unless replaced.
extern Seam<PFN_MOVE_FILE_EX> g_pfnMoveFileEx;

// TRUE while the program's own executable file can still be found: when a copy fails and this turns FALSE,
// the drive the program runs from (the destination drive) has gone away.
using PFN_PROGRAM_REACHABLE = BOOL (*)();
BOOL IsOwnProgramReachable();
extern Seam<PFN_PROGRAM_REACHABLE> g_pfnIsProgramReachable;

// The pause between two tries of a file that another program holds; Sleep unless replaced.
using PFN_RETRY_SLEEP = void (*)(DWORD milliseconds);
void SleepBeforeRetry(DWORD milliseconds);
extern Seam<PFN_RETRY_SLEEP> g_pfnRetrySleep;
