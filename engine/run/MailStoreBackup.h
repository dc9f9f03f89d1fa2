// Mail-store sources of a job (a "src" whose path ends with "pst\") are not copied file by file: their
// messages go through the Outlook mail library's facade (outside/OutlookTessel/OutlookFacade.h). These
// operations tell the library what to back up or synchronise, in which order, and free what it hands back.
//
// Every operation returns 0 on success, else the system error code at the failing call (never 0 for a
// failure: a library call that fails without an error code gives ERROR_GEN_FAILURE). Each facade sequence
// calls Term once whatever happened, Init's failure included, and frees every catalog it got. The library's
// progress reports add to the job's bytes done.
//
// They run on the job's run thread or on the change-processing thread.
#pragma once
#include <windows.h>

#include "engine/job/SyncJob.h"
#include "outside/OutlookTessel/OutlookFacade.h"
#include "platform/text/String.h"
#include "platform/system/XmlDom.h"

// Characters of a folder name in a catalog entry, the terminator not counted.
constexpr int kMailFolderNameChars = 49;

// The library's progress callback: adds bytes to the job's bytes done (data = the job); returns 0.
int CALLBACK MailProgressRoutine(unsigned long bytes, unsigned long totalBytes, void *data);

// Init, the job's progress callback, GetCatalog of the store, BackupMessage of the whole catalog to the
// destination.
DWORD BackupMailStore(CSyncJob &job, LPCWSTR store, LPCWSTR destination);

// Both ways: the store's messages into the destination, then the destination's into the store.
DWORD SyncMailStore(CSyncJob &job, LPCWSTR store, LPCWSTR destination);

// The chosen folders only: BackupMessage with sync_type 1; otherwise SyncMessage, after a BackupMessage of an
// empty selection that makes the destination when it does not exist yet.
DWORD BackupMailFolders(CSyncJob &job, LPCWSTR destination, LPCWSTR store, _OLCATALOGDATA *catalog,
                        unsigned long count);

// Backs up one mail-store source: its "src" element, its path and its destination (trailing backslashes are
// cut from both). The "file" children are the folders chosen in the store; without any the whole store is
// backed up (sync_type 1) or synchronised (any other).
DWORD BackupMailStores(CSyncJob &job, IXMLDOMElement *element, LPCWSTR path, LPCWSTR destination);

// One catalog entry for a chosen folder: its item id and its path inside the store, that is the text after
// the store path and a backslash when the folder's path lies under the store (case ignored), else the
// folder's last component; cut to kMailFolderNameChars characters.
void FillMailCatalogEntry(_OLCATALOGDATA &entry, DWORD itemID, LPCWSTR folderPath, LPCWSTR storePath);

// Where a mail-store source goes: "dest" itself with folder2folder; the per-computer folder with
// retain_full_path; else the store's own folder under "dest" (CSyncJob::GetPstFolder). FALSE (out untouched)
// when no place can be built.
BOOL GetMailStoreDestPath(CSyncJob &job, LPCWSTR source, CString &out);
