// The careful copy of one file and its fallbacks. The operations are members of CSyncJob (SyncJob.h):
//
//   CopyOneFile(source, target)   through a temporary name next to the target (target base name + ".~#T0" ...
//                                 ".~#T99", made exclusively; a leftover of a copy that never ended is deleted
//                                 and its name used), with the job's progress routine and cancel flag, then a
//                                 replacing move onto the target, which gets the source's attributes. Every
//                                 missing folder of the target is made. No failure leaves the temporary file
//                                 behind or the old target changed.
//   CopyToRecycledFolder(source)  the copy of a source that could not reach its own place (errors 2, 3, 206)
//                                 into destination\COMPUTER_X\Recycled\, under a name of its own (" (2)" ...
//                                 before the extension) when another file holds the name. A backup only: a
//                                 restore writes nothing outside the places it restores to.
//   GetRecycledPath, GetDestFolderName, GetPstFolder   the path builders (DestPaths.h for the pure parts).
//   IsIncluded, IsExcluded        the job's file filters, off while the filters-active byte is 0.
//   CopyFolder(...)               a whole folder tree (SyncJobFolderCopy.cpp).
//   UpdateSourceDestinations()    the "destination" of every source element.
//
// A source that another program holds (error 32 or 33) during a backup run is retried: a mail store (".pst",
// ".ost", ".dbx", ".edb") brings up a Retry/Cancel question naming the mail program; after Retry it is tried
// again every second, up to kInUseAutoRetries times before the next question. During a restore the same holds
// for a target that cannot be replaced (error 5). Cancel counts the file as failed (log string 583).
//
// Copies go through g_pfnCopyFileEx (platform/system/CopyFile.h), the move through g_pfnMoveFileEx, the pause
// through g_pfnRetrySleep (FileOpsSeams.h); questions through SkinMessageBox, which tests answer through the
// message-box answer seam.
//
// Failures: each failed copy adds one to the job's error count, writes one LM_ERROR entry (string 206 with the
// time and the source, in a restore the target at its place) and one line of the copy-error list, except a cancelled
// one, which writes none. Error 112 sets the disk-full flag. When the destination has gone (IsDestinationLost: the
// program's own drive, or the job's "dest" after an error of the drive-gone class) the destination-lost flag is set,
// the last copy error is 21 and nothing is counted: the run ends on it. A source that is gone when it is copied is
// neither counted nor logged (last copy error 2 or 3).
#pragma once
#include <windows.h>

#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/job/SyncJob.h"
#include "platform/text/String.h"

constexpr int kTemporaryNameTries = 100;
constexpr int kInUseAutoRetries = 10;
constexpr DWORD kInUseRetryPause = 1000;

// The temporary name number n of a target: its folder, its file name without the extension (empty for a
// name without one) and ".~#T" n. "B:\x\report.doc" gives "B:\x\report.~#T0" for n = 0.
CString MakeTemporaryCopyName(LPCWSTR target, int n);

// TRUE for a file name of that form, "<base>.~#T<n>" with n = 0 ... 99: a copy under way, or one cut off.
BOOL IsTemporaryCopyName(LPCWSTR name);
// Deletes a temporary copy left by a copy that never ended (a crash, a killed process, a pulled drive); one that
// a copy holds open now stays. TRUE when it is gone.
BOOL DeleteLeftoverTemporary(LPCWSTR path);

// Copies source to the first free temporary name of target (MakeTemporaryCopyName, n = 0 ... 99) with the
// job's progress routine and cancel flag (none without a job); a taken name whose file can be deleted (no copy
// holds it open) is deleted and used. TRUE with temporary set; else FALSE with the copy's last error,
// ERROR_FILE_EXISTS when every name is held.
BOOL CopyToTemporaryName(CSyncJob *job, const CString &source, const CString &target, CString &temporary);

// How many names a copy into the Recycled folder tries: the plain one, then " (2)" up to this number.
constexpr int kRecycledNameTries = 1000;
// The name with " (n)" before its extension: "B:\x\report.doc" and 2 give "B:\x\report (2).doc"; a name without
// an extension (or one that starts with its only ".") gets it at its end.
CString MakeNumberedName(LPCWSTR path, int n);

// The language-library string naming the mail program that keeps files of this kind open: 502 for ".ost"
// and ".pst", 503 for ".dbx", 504 for ".edb" (case ignored); 0 for any other extension.
UINT GetMailProgramStringId(LPCWSTR path);
