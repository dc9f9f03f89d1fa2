// The file operations of the copy code that tests replace: the system cannot be made to fail a move with a
// chosen error, lose the program's drive or the destination, let a file vanish between its listing and its
// copy, break a listing off, or let a second pass by quickly while a file stays locked. The copy itself goes
// through g_pfnCopyFileEx (platform/system/CopyFile.h).
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

// The destination probe: TRUE while the destination root (a folder, a drive root or a share) can still be
// found. A root that answers with an error of the drive-gone class (IsDriveGoneError) is gone; any other
// answer (access denied among them) says nothing about its presence and counts as present.
using PFN_DESTINATION_PRESENT = BOOL (*)(LPCWSTR root);
BOOL IsDestinationPresent(LPCWSTR root);
extern Seam<PFN_DESTINATION_PRESENT> g_pfnIsDestinationPresent;

// The errors a copy or a folder creation meets when the drive or share it writes to has gone away: path or
// file not found, invalid drive, device not ready or not connected, and the network ones that say the share
// or its server is no longer there.
BOOL IsDriveGoneError(DWORD error);

// The attribute probe of a source file just before it is copied: GetFileAttributesExW with
// GetFileExInfoStandard unless replaced.
using PFN_GET_FILE_ATTRIBUTES_EX = BOOL(WINAPI *)(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data);
extern Seam<PFN_GET_FILE_ATTRIBUTES_EX> g_pfnGetFileAttributesEx;

// The listing of a source folder: FindFirstFileW and FindNextFileW unless replaced. A replacement returns
// handles that FindClose accepts (it wraps the system's own listing).
using PFN_FIND_FIRST_FILE = HANDLE(WINAPI *)(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
using PFN_FIND_NEXT_FILE = BOOL(WINAPI *)(HANDLE listing, LPWIN32_FIND_DATAW found);
extern Seam<PFN_FIND_FIRST_FILE> g_pfnFindFirstFile;
extern Seam<PFN_FIND_NEXT_FILE> g_pfnFindNextFile;

// The pause between two tries of a file that another program holds; Sleep unless replaced.
using PFN_RETRY_SLEEP = void (*)(DWORD milliseconds);
void SleepBeforeRetry(DWORD milliseconds);
extern Seam<PFN_RETRY_SLEEP> g_pfnRetrySleep;
