// Path tests and small services of the main program that the job engine calls while it scans and copies.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// Fills the five exclusion folders (Windows, internet cache, temporary, recycle bin, cookies) and the system
// drive from the platform. Start-up calls it once, before any job runs; a folder that cannot be read gets a
// placeholder that matches no path.
void RecordExclusionFolders();

// 1 when the run threads must not descend into the folder: "System Volume Information", "Program Files" or
// "ProgramData" right below a drive root, a leading part of the Windows folder, or a path inside one of the
// other four exclusion folders. 0 for a null path.
BOOL IsSystemPath(LPCWSTR path);

// 1 when the file is never copied: temporary and index files, Office lock files ("~$" before a document
// extension), our own continuous-copy list files, the page file and the hibernation file. Takes a name or a
// full path. 0 for a null path.
BOOL IsExcludedFile(LPCWSTR path);

// true when the text from the last "." of the path on (the whole path without one) is one of the document
// extensions of Office and Publisher, compared case-sensitively.
bool IsDocumentExtension(LPCWSTR path);

// A byte count as text with one decimal: " KB" below 1 MiB, " MB" below 1 GiB, else " GB".
CString FormatSizeUnits(ULONGLONG bytes);

// Shows the system's text for the calling thread's last error in the skinned message box, with the information
// icon; shows nothing when the system has no text for it.
void ShowLastErrorMessage();

// The name of the continuous-copy list file kept in each synchronised folder; start-up sets it once.
// Longer names are cut to 255 characters.
void SetTesselDirListName(LPCWSTR name);
LPCWSTR GetTesselDirListFileName();
