// The Outlook mail library "OutlookTessel" as the program links it: the facade class over a mail store, its
// catalog entries and its progress callback. This copy is the test stand-in: it treats a store as one file,
// backs it up or synchronises it by copying the file, and lets tests script failures and read back the calls.
#pragma once
#include <windows.h>

#include <cstddef>

#include "platform/text/String.h"

#ifdef OUTLOOKTESSEL_BUILDING
#define OUTLOOKTESSEL_API __declspec(dllexport)
#else
#define OUTLOOKTESSEL_API __declspec(dllimport)
#endif

// One mail folder of a store. Arrays of entries are made with new[] (by the library in GetCatalog, or by the
// caller) and freed by their user with delete[]; library and program share the C runtime's heap. Every entry
// starts zeroed. The stand-in counts live entries, so tests can tell that every catalog was freed.
struct OUTLOOKTESSEL_API _OLCATALOGDATA
{
    _OLCATALOGDATA();
    ~_OLCATALOGDATA();
    _OLCATALOGDATA(const _OLCATALOGDATA &other);
    _OLCATALOGDATA &operator=(const _OLCATALOGDATA &other);

    DWORD itemID;
    BYTE reserved1[28];
    wchar_t name[50]; // the folder's path inside the store, terminated
    BYTE reserved2[100];
};
static_assert(sizeof(_OLCATALOGDATA) == 232, "a catalog entry is 232 bytes");
static_assert(offsetof(_OLCATALOGDATA, name) == 32, "the folder name starts at byte 32");

// Called as the library moves messages: the bytes written since the last call, the size of the whole store,
// and the data given to SetCallBack. A nonzero return asks the library to stop.
typedef int(CALLBACK *OLPROGRESSROUTINE)(unsigned long bytes, unsigned long totalBytes, void *data);

constexpr unsigned long OL_CALLBACK_PROGRESS = 2;

struct CALLBACKDATAS
{
    unsigned long kind; // OL_CALLBACK_PROGRESS
    OLPROGRESSROUTINE routine;
};

// Calls report failure with 0 and leave the reason as the thread's last error.
class OUTLOOKTESSEL_API COutlookFacade
{
  public:
    COutlookFacade();
    virtual ~COutlookFacade();
    COutlookFacade(const COutlookFacade &) = delete;
    COutlookFacade &operator=(const COutlookFacade &) = delete;

    // Nonzero when the library can work; Term releases what Init took.
    static BOOL Init();
    static void Term();
    static BOOL IsInstalledOutlook();

    void SetCallBack(const CALLBACKDATAS &callback, void *data);
    // The folders of the store; the array is the caller's to free with delete[].
    BOOL GetCatalog(const wchar_t *store, _OLCATALOGDATA **catalog, unsigned long *count);
    // Writes the chosen folders of the store to the destination, which is made when missing.
    BOOL BackupMessage(const wchar_t *store, CString &destination, _OLCATALOGDATA *catalog, unsigned long count);
    // Brings the destination up to date with the store's messages in the chosen folders.
    BOOL SyncMessage(const wchar_t *store, const wchar_t *destination, _OLCATALOGDATA *catalog, unsigned long count);

  private:
    BOOL CopyStore(const wchar_t *store, const wchar_t *destination);

    CALLBACKDATAS m_callback;
    void *m_callbackData;
};

// Test controls of the stand-in (not part of the real library).
extern "C"
{
    // The count-th call (from 1) of the named member ("Init", "GetCatalog", "BackupMessage", "SyncMessage")
    // from now on fails with error as its last error. Up to 8 scripts at once.
    OUTLOOKTESSEL_API void OutlookTesselScriptFailure(const wchar_t *call, int count, DWORD error);
    // Forgets the scripts, the recorded calls, the per-member call counts and the installed answer.
    OUTLOOKTESSEL_API void OutlookTesselReset();
    // What IsInstalledOutlook answers from now on (0 until a test sets it).
    OUTLOOKTESSEL_API void OutlookTesselSetInstalled(BOOL installed);
    // The calls since the last reset, one per line ("Init", "Term", "IsInstalledOutlook", "SetCallBack 2", "GetCatalog
    // <store>", "BackupMessage <store> > <destination> [<count>]", "SyncMessage <store> > <destination> [<count>]",
    // "Construct", "Destroy"), copied into buffer (size characters, terminated); returns the full length.
    OUTLOOKTESSEL_API int OutlookTesselGetCalls(wchar_t *buffer, int size);
    // Catalog entries made and not yet destroyed.
    OUTLOOKTESSEL_API long OutlookTesselLiveEntries();
}
