// Where a source's copies go under a destination root. Every builder joins the root and what follows with
// exactly one backslash, whether or not the stored root ends with one, and refuses a result that does not fit
// in a path (kMaxPathChars, terminator included); none gives a place for an empty root.
//
// The members that log (CSyncJob::GetDestFolderName, GetRecycledPath, GetPstFolder) are declared in
// SyncJob.h; the pure parts are here.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

constexpr int kMaxPathChars = MAX_PATH;

// The root cut of its trailing backslashes, then one backslash ("E:\Backup" and "E:\Backup\\" both give
// "E:\Backup\", "E:\" stays "E:\"). Empty for an empty root.
CString JoinDestRoot(LPCWSTR root);

// The computer's name as it appears in destination folder names: at most 16 characters, "MYCOMPUTER" when it
// cannot be read.
CString GetDestComputerName();

// The folder of a source under a destination that keeps full paths:
// - "X:\rest" gives root\COMPUTER_X\rest (drive letter upper-cased);
// - "\\server\share\rest" gives root\server_share\rest under a drive-letter root and root\server__share\rest
//   under a UNC root (the two forms never meet on one destination, so the separator tells them apart).
// FALSE for any other form (out untouched) and for a result of kMaxPathChars characters or more.
BOOL BuildDestFolderName(LPCWSTR source, LPCWSTR root, LPCWSTR computer, CString &out);

// The folder root\COMPUTER_X\Recycled\ for a source that begins with a drive letter and a colon ("X:", the
// letter as written); FALSE for other sources, an empty root and a result over the limit.
BOOL BuildRecycledFolder(LPCWSTR source, LPCWSTR root, LPCWSTR computer, CString &out);

// root\last component\ as the mail-store and plain-folder layout names it: the source cut of trailing
// backslashes and stripped of every ":", its text after the last backslash (all of it without one). FALSE for
// an empty root, an empty component and a result over the limit.
BOOL BuildPstFolder(LPCWSTR source, LPCWSTR root, CString &out);

// Makes the folder with every missing parent. 0 when made, ERROR_ALREADY_EXISTS (183) when it was there
// already, ERROR_FILE_EXISTS (80) when a file stands in its place, ERROR_FILENAME_EXCED_RANGE (206) for a path
// of kMaxPathChars characters or more, else the system error of the level that failed. A trailing backslash
// is allowed.
DWORD CreateFolderPath(LPCWSTR folder);
