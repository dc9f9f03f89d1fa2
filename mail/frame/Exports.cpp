// The exported functions: argument checks, the COM balance of Init and Term, the path buffers, and the
// hand-over to the backup and restore of the address book, the contacts and the mail store.
#include "mail/Postrel.h"

#include <objbase.h>

#include <cwchar>

#include "mail/addressbook/AddressBook.h"
#include "mail/contacts/Contacts.h"
#include "mail/frame/SystemVersion.h"
#include "mail/frame/Trace.h"
#include "mail/mailstore/MailStore.h"

namespace
{

// The successful Inits (S_OK and S_FALSE) of this thread that no Term has balanced yet.
thread_local int t_comStarts = 0;

// The wanted folder names; FALSE (traced) for a null array with a count or a null name.
BOOL TakeNames(const wchar_t *const *names, int count, CStringArray &wanted, const char *pszExport)
{
    if (count < 0 || (names == nullptr && count > 0))
    {
        DebugPrintf(POSTREL_TRACE, L"%hs: no names for a count of %d.\n", pszExport, count);
        return FALSE;
    }
    for (int i = 0; i < count; ++i)
    {
        if (names[i] == nullptr)
        {
            DebugPrintf(POSTREL_TRACE, L"%hs: name %d is null.\n", pszExport, i);
            return FALSE;
        }
        wanted.Add(names[i]);
    }
    return TRUE;
}

// Runs a backup on the completed path of the caller's buffer (size characters) and copies the completed path
// back; the backup refuses one that would not fit before it writes anything.
template <class Backup> BOOL BackupIntoBuffer(wchar_t *path, int size, const char *pszExport, Backup backup)
{
    if (path == nullptr || size <= 0)
    {
        DebugPrintf(POSTREL_TRACE, L"%hs: no path buffer.\n", pszExport);
        return FALSE;
    }
    const int given = static_cast<int>(wcsnlen(path, static_cast<size_t>(size)));
    CString completed(path, given);
    if (!backup(completed, size))
        return FALSE;
    if (completed.GetLength() < size)
        wmemcpy(path, completed.GetString(), static_cast<size_t>(completed.GetLength()) + 1);
    return TRUE;
}

BOOL HasPath(const wchar_t *path, const char *pszExport)
{
    if (path != nullptr)
        return TRUE;
    DebugPrintf(POSTREL_TRACE, L"%hs: no path.\n", pszExport);
    return FALSE;
}

} // namespace

extern "C"
{

    BOOL Init(void)
    {
        HRESULT hr = POSTREL_CALL(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        if (SUCCEEDED(hr))
            ++t_comStarts;
        return hr == S_OK;
    }

    void Term(void)
    {
        // A thread whose COM the caller started otherwise (another apartment: Init failed) keeps it.
        if (t_comStarts <= 0)
        {
            DebugPrintf(POSTREL_TRACE, L"Term: no Init of this thread to end.\n");
            return;
        }
        --t_comStarts;
        ::CoUninitialize();
    }

    BOOL HasInstalledWindowsMail(void)
    {
        return IsWindowsMailSystem();
    }

    BOOL HasInstalledOutlookExpress(void)
    {
        return IsOutlookExpressSystem();
    }

    BOOL GetWinMailCatalog(POSTREL_CATALOG_CALLBACK callback, void *user)
    {
        if (callback == nullptr)
        {
            DebugPrintf(POSTREL_TRACE, L"GetWinMailCatalog: no callback.\n");
            return FALSE;
        }
        CStringArray names;
        CArray<LONG, LONG> values;
        if (!GetStoreCatalog(names, values))
            return FALSE;
        for (INT_PTR i = 0; i < names.GetSize(); ++i)
            callback(names[i], values[i], user);
        return TRUE;
    }

    BOOL BackupWinMail(wchar_t *path, int size, const wchar_t *const *names, int count)
    {
        return BackupIntoBuffer(path, size, "BackupWinMail", [names, count](CString &completed, int max) {
            CStringArray wanted;
            return TakeNames(names, count, wanted, "BackupWinMail") && BackupMailStore(completed, max, wanted);
        });
    }

    BOOL RestoreWinMail(const wchar_t *path, const wchar_t *const *names, int count)
    {
        if (!HasPath(path, "RestoreWinMail"))
            return FALSE;
        CStringArray wanted;
        if (!TakeNames(names, count, wanted, "RestoreWinMail"))
            return FALSE;
        return RestoreMailStore(path, wanted);
    }

    BOOL SyncWinMail(const wchar_t *path, const wchar_t *const *names, int count)
    {
        if (path == nullptr || wcsnlen(path, MAX_PATH) >= MAX_PATH)
        {
            DebugPrintf(POSTREL_TRACE, L"SyncWinMail: the path is missing or too long.\n");
            return FALSE;
        }
        wchar_t completed[MAX_PATH];
        wcscpy(completed, path);
        return BackupWinMail(completed, MAX_PATH, names, count) && RestoreWinMail(completed, names, count);
    }

    int GetWinMailDirectory(wchar_t *buffer, int size)
    {
        if (buffer != nullptr && size <= 0)
        {
            DebugPrintf(POSTREL_TRACE, L"GetWinMailDirectory: a buffer of %d characters.\n", size);
            return 0;
        }
        CString directory;
        if (!GetStoreDirectory(directory))
            directory.Empty();
        const int needed = directory.GetLength() + 1;
        if (buffer != nullptr && needed <= size)
            wmemcpy(buffer, directory.GetString(), static_cast<size_t>(needed));
        return needed;
    }

    BOOL BackupAddress(wchar_t *path, int size)
    {
        return BackupIntoBuffer(path, size, "BackupAddress", &BackupAddressBook);
    }

    BOOL RestoreAddress(const wchar_t *path)
    {
        return HasPath(path, "RestoreAddress") && RestoreAddressBook(path);
    }

    BOOL BackupContact(wchar_t *path, int size)
    {
        // Contacts are backed up on NT 6.0 alone; elsewhere there is nothing to do, and that is no failure.
        if (!IsWindowsMailSystem())
            return TRUE;
        return BackupIntoBuffer(path, size, "BackupContact", &BackupContacts);
    }

    BOOL RestoreContact(const wchar_t *path)
    {
        return HasPath(path, "RestoreContact") && RestoreContacts(path);
    }

    DWORD ConfigurateDebug(const wchar_t *path, DWORD mask)
    {
        if (path == nullptr)
        {
            DebugPrintf(POSTREL_TRACE, L"ConfigurateDebug: no path.\n");
            return 0;
        }
        return ConfigureTrace(path, mask);
    }

} // extern "C"
