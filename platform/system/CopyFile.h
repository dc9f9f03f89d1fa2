// Copying one file with a progress routine and a cancel flag, with CopyFileExW's parameters and contract. The
// system's own routine cannot be relied on for this (some platforms never call the progress routine and
// ignore the cancel flag), so every copy that reports progress or can be cancelled comes through here.
//
// - The source is opened sharing read access only, so a file that another handle has open for writing fails
//   with ERROR_SHARING_VIOLATION (32). COPY_FILE_FAIL_IF_EXISTS with an existing target fails with
//   ERROR_FILE_EXISTS (80); an existing read-only target fails with ERROR_ACCESS_DENIED (5). These failures
//   leave the target as it was.
// - The progress routine (when given) is called once with CALLBACK_STREAM_SWITCH, then with
//   CALLBACK_CHUNK_FINISHED after each chunk of at most 1 MiB; a 0-byte file gets one chunk call with 0 of 0.
// - *pbCancel (when given) is tested before each chunk. The flag, or PROGRESS_CANCEL from the routine, deletes
//   the partial target; PROGRESS_STOP keeps it; both fail with ERROR_REQUEST_ABORTED (1235). PROGRESS_QUIET
//   copies on without further calls.
// - Success gives the target the source's three file times and its attributes (read-only set last). Any other
//   failure (a full disk included) deletes the partial target and leaves the failing call's error code.
// Flags other than COPY_FILE_FAIL_IF_EXISTS (COPY_FILE_RESTARTABLE and the rest) are accepted and ignored.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"

// Largest chunk between two CALLBACK_CHUNK_FINISHED calls (a file smaller than this is read whole).
constexpr DWORD COPY_CHUNK_SIZE = 0x100000;

BOOL WINAPI CopyFileWithProgress(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName,
                                 LPPROGRESS_ROUTINE lpProgressRoutine, LPVOID lpData, LPBOOL pbCancel,
                                 DWORD dwCopyFlags);

using PFN_COPY_FILE_EX = BOOL(WINAPI *)(LPCWSTR, LPCWSTR, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD);

// The copy that the engine calls; CopyFileWithProgress unless a test has put another routine here (to make
// copies fail with chosen error codes). Called like a function: g_pfnCopyFileEx(source, target, ...).
extern Seam<PFN_COPY_FILE_EX> g_pfnCopyFileEx;
