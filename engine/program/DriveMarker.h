// The destination drive identity: a UUID text kept in a hidden marker file on each drive, so that a removable
// destination is found again when it comes back under another letter.
//
// The marker of drive X lies at the program's data folder with its drive letter replaced by X, in
// "uid_tessel_drive\uid_tessel_drive". It holds exactly 36 bytes: the UUID text in the ANSI code page,
// without terminator or line end.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// Length of an identity text.
constexpr int DRIVE_ID_LENGTH = 36;

// The marker file's path on the drive; empty for a letter outside A-Z or when the data folder is not set.
CString GetDestinationDriveMarkerPath(wchar_t letter);

// Reads an identity from a marker file. id is emptied first; 1 only when the file could be opened and held
// exactly 36 bytes.
BOOL ReadDestinationDriveId(LPCWSTR filePath, CString &id);

// Reads the drive's identity from its marker. Creates nothing.
BOOL GetDestinationDriveIdPath(wchar_t letter, CString &id);

// The drive's identity; when the drive has none (no marker, or a damaged one) a new one is made and written.
// 1 with the identity in id, 0 when none could be read or written.
BOOL GetOrCreateDestinationDriveId(wchar_t letter, CString &id);

// Writes the identity into the drive's marker, whatever the marker held (a drive whose marker was deleted gets its
// job's identity back). 1 when the whole identity was written.
BOOL WriteDestinationDriveId(wchar_t letter, const CString &id);

// The present drives from C: upward whose marker holds the identity (compared without regard to case), as a mask
// of the system's drive bits (bit 0 A:); 0 for a null or empty identity or when no drive carries it. A marker
// copied onto a second drive gives two bits.
DWORD FindDrivesByDestinationId(LPCWSTR id);

// The lower-case letter of the first present drive from C: upward whose marker holds the identity (compared
// without regard to case); 0 for a null or empty identity or when no drive carries it.
wchar_t FindDriveByDestinationId(LPCWSTR id);

// The lower-case letter of the lowest drive of a mask, 0 for none; the number of drives of a mask.
wchar_t FirstDriveOf(DWORD drives);
int CountDrivesOf(DWORD drives);
// The drives of a mask as the log names them: "E:, X:".
CString DriveListText(DWORD drives);
