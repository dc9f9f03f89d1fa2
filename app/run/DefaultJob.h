// The one-click job: the backup the main window builds for this computer from the default filter set, into the
// program drive's "Backup Data\<computer>\". Each one-click backup builds it anew, so that it follows the default
// set as it stands.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/text/String.h"

class CSyncJob;

// A new job bound to a new "jobdef" element (not yet in the store's tree) with the one-click job's settings:
// named after the computer, enabled, sync type 1, no revisions, on change; jobUuid is its "JobUUID" (empty: a new
// one). Its sources are the system drive's root, filtered by the extensions the default filter set chooses, and
// each folder the set chooses, whole. Its log is open and its destination made. Null, logged in the program's
// log with the set's path, when the default filter set cannot be read or chooses nothing.
std::unique_ptr<CSyncJob> BuildDefaultJob(const CString &jobUuid);
