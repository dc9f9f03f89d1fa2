// Path texts as the job store holds them: folder sources end with a backslash, and a mail-store source names
// the store file with a trailing backslash ("C:\Mail\Inbox.pst\").
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// The text without its trailing backslashes.
CString CutTrailingBackslashes(const CString &path);
// The part of path below folder (which it lies below), without leading backslashes.
CString PathBelow(const CString &path, const CString &folder);
// The path without a leading "\\?\" (the test looks at its first three characters, as the watcher's paths
// never carry a longer prefix).
CString StripLongPathPrefix(LPCWSTR path);
// true when the text ends with "pst\" (exact case): a mail-store source.
bool IsMailStoreSourcePath(const CString &path);
// The folder of a mail-store source: "C:\Mail\Inbox.pst\" gives "C:\Mail\" (the backslash kept).
CString MailStoreFolder(const CString &path);
