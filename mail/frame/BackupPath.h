// The rule that completes the path of a backup file.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// Completes strPath into the path of a ".dat" file: an empty path takes the host program's name in its
// folder, a folder (ending in "\") the host program's file name, any other extension becomes "dat". A name
// the library made up is made unique (name1, name2 ...); a name the caller gave is used as it stands, so an
// existing file of that name is added to. FALSE, strPath unchanged, when the folder does not exist or the
// result would not fit a path (260 characters with the terminator).
BOOL MakeBackupFilePath(CString &strPath);

// TRUE when a search for the path finds something.
BOOL FileExists(LPCWSTR pszPath);

// The folder and the name joined by one "\" (none is added after a folder that ends in one).
CString JoinPath(const CString &strFolder, LPCWSTR pszName);
