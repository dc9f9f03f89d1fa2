// The exported functions: argument checks, the COM balance of Init and Term, and the hand-over to the
// mail store's backup and restore.
#include "mail/Postrel.h"

#include <objbase.h>

#include <cwchar>

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
        if (path == nullptr || size <= 0)
        {
            DebugPrintf(POSTREL_TRACE, L"BackupWinMail: no path buffer.\n");
            return FALSE;
        }
        CStringArray wanted;
        if (!TakeNames(names, count, wanted, "BackupWinMail"))
            return FALSE;
        const int given = static_cast<int>(wcsnlen(path, static_cast<size_t>(size)));
        CString completed(path, given);
        if (!BackupMailStore(completed, size, wanted))
            return FALSE;
        // A completed path fits: BackupMailStore refused any that would not.
        if (completed.GetLength() < size)
            wmemcpy(path, completed.GetString(), static_cast<size_t>(completed.GetLength()) + 1);
        return TRUE;
    }

    BOOL RestoreWinMail(const wchar_t *path, const wchar_t *const *names, int count)
    {
        if (path == nullptr)
        {
            DebugPrintf(POSTREL_TRACE, L"RestoreWinMail: no path.\n");
            return FALSE;
        }
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
