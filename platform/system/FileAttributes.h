// Setting a file's attributes.
#pragma once
#include <windows.h>

// SetFileAttributesW with the read-only attribute set last, in a second call: under Wine the hidden and system
// attributes live in an extended attribute of the host file, which an ordinary user cannot write once the file
// is read-only, so one call would keep read-only and drop the others. On Windows the end state is the same.
BOOL AfxSetFileAttributes(LPCWSTR path, DWORD attributes);
