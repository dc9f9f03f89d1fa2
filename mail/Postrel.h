// Postrel.dll, the mail library: its exported functions, the library's whole contract. Plain C calls with
// UTF-16 paths; a BOOL result is 1 on success and 0 on failure. Call Init on a thread before any other
// export there, and Term when done.
#pragma once
#include <windows.h>

// Called by GetWinMailCatalog once per top-level folder of the mail store: the folder's name, its special
// folder type (-1 for an ordinary folder) and the caller's data.
typedef void (*POSTREL_CATALOG_CALLBACK)(const wchar_t *name, LONG value, void *user);

#ifdef __cplusplus
extern "C"
{
#endif

    // Starts COM (apartment-threaded) on the calling thread: 1 only when it was newly started there.
    BOOL Init(void);
    // Ends what a successful Init on this thread started; a failed Init leaves the caller's COM alone.
    void Term(void);

    // 1 on a system of the NT family with version 6.0 (a test of the version, not of an installation).
    BOOL HasInstalledWindowsMail(void);
    // 1 unless the system is of the NT family with a major version above 5.
    BOOL HasInstalledOutlookExpress(void);

    // Lists the store's top-level folders through the callback, in the store's order.
    BOOL GetWinMailCatalog(POSTREL_CATALOG_CALLBACK callback, void *user);
    // Backs up the named top-level folders with their subfolders into a ".dat" compound file. path holds the
    // wanted path (size characters) and receives the completed one; a completed path that does not fit fails
    // before anything is written.
    BOOL BackupWinMail(wchar_t *path, int size, const wchar_t *const *names, int count);
    // Puts back into the store the named folders' messages and subfolders that it lacks.
    BOOL RestoreWinMail(const wchar_t *path, const wchar_t *const *names, int count);
    // BackupWinMail, then, when that succeeded, RestoreWinMail with the completed path.
    BOOL SyncWinMail(const wchar_t *path, const wchar_t *const *names, int count);
    // Copies the store's folder into buffer when it fits (size characters); returns its length plus one, 1
    // when the store cannot tell it. A null buffer only asks for the length.
    int GetWinMailDirectory(wchar_t *buffer, int size);

    // Backs up the mail users of the Windows Address Book's personal address book into a ".dat" compound file;
    // path holds the wanted path (size characters) and receives the completed one. Users whose display names
    // the file holds already are not saved again.
    BOOL BackupAddress(wchar_t *path, int size);
    // Creates the saved users whose display names the address book lacks; existing users are not changed.
    BOOL RestoreAddress(const wchar_t *path);
    // Backs up Windows Contacts as BackupAddress backs up the address book; on a system other than NT 6.0
    // it does nothing and returns 1.
    BOOL BackupContact(wchar_t *path, int size);
    // Writes the files of the saved contacts that Windows Contacts lacks into the user's Contacts folder.
    BOOL RestoreContact(const wchar_t *path);

    // Opens the debug log (appending) and sets the trace mask (0x40 traces everything); returns the mask.
    DWORD ConfigurateDebug(const wchar_t *path, DWORD mask);

#ifdef __cplusplus
}
#endif
