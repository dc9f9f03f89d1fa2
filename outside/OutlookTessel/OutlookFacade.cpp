#include "outside/OutlookTessel/OutlookFacade.h"

#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system/CopyFile.h"

namespace
{

struct FailureScript
{
    std::wstring call;
    int count;
    DWORD error;
};

struct StandInState
{
    std::mutex lock;
    std::wstring calls;
    std::vector<FailureScript> scripts;
    std::vector<std::pair<std::wstring, int>> callCounts;
};

StandInState &State()
{
    static StandInState state;
    return state;
}

volatile LONG g_liveEntries = 0;
// What IsInstalledOutlook answers: no Outlook, unless a test says otherwise.
volatile LONG g_outlookInstalled = 0;

void Record(const std::wstring &line)
{
    StandInState &state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.calls += line;
    state.calls += L'\n';
}

// Counts the call of the member and tells whether a script makes this one fail (with its error as the last
// error).
bool ScriptedFailure(const wchar_t *call)
{
    StandInState &state = State();
    DWORD error = 0;
    bool fails = false;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        int count = 0;
        bool found = false;
        for (auto &entry : state.callCounts)
        {
            if (entry.first == call)
            {
                count = ++entry.second;
                found = true;
                break;
            }
        }
        if (!found)
        {
            state.callCounts.emplace_back(call, 1);
            count = 1;
        }
        for (const FailureScript &script : state.scripts)
        {
            if (script.call == call && script.count == count)
            {
                fails = true;
                error = script.error;
                break;
            }
        }
    }
    if (fails)
        ::SetLastError(error);
    return fails;
}

std::wstring Text(const wchar_t *text)
{
    return text != nullptr ? text : L"(null)";
}

std::wstring CatalogText(const _OLCATALOGDATA *catalog, unsigned long count)
{
    std::wstring text = L" [" + std::to_wstring(count);
    for (unsigned long i = 0; catalog != nullptr && i < count; ++i)
    {
        wchar_t name[51] = {};
        wmemcpy(name, catalog[i].name, 50);
        text += L" " + std::to_wstring(catalog[i].itemID) + L":" + name;
    }
    return text + L"]";
}

bool IsFile(const wchar_t *path)
{
    if (path == nullptr || *path == L'\0')
        return false;
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes every missing folder above the file.
void MakeParentFolders(const std::wstring &file)
{
    for (size_t at = file.find(L'\\', 3); at != std::wstring::npos; at = file.find(L'\\', at + 1))
        ::CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
}

struct CopyProgress
{
    const CALLBACKDATAS *callback;
    void *data;
    ULONGLONG reported;
};

DWORD CALLBACK ReportBytes(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                           HANDLE, HANDLE, LPVOID data)
{
    CopyProgress &progress = *static_cast<CopyProgress *>(data);
    const ULONGLONG done = static_cast<ULONGLONG>(transferred.QuadPart);
    if (progress.callback->routine == nullptr || done <= progress.reported)
        return PROGRESS_CONTINUE;
    const unsigned long step = static_cast<unsigned long>(done - progress.reported);
    progress.reported = done;
    int stop = progress.callback->routine(step, static_cast<unsigned long>(total.QuadPart), progress.data);
    return stop != 0 ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

} // namespace

_OLCATALOGDATA::_OLCATALOGDATA()
{
    memset(static_cast<void *>(this), 0, sizeof(*this));
    ::InterlockedIncrement(&g_liveEntries);
}

_OLCATALOGDATA::~_OLCATALOGDATA()
{
    ::InterlockedDecrement(&g_liveEntries);
}

_OLCATALOGDATA::_OLCATALOGDATA(const _OLCATALOGDATA &other)
{
    memcpy(static_cast<void *>(this), &other, sizeof(*this));
    ::InterlockedIncrement(&g_liveEntries);
}

_OLCATALOGDATA &_OLCATALOGDATA::operator=(const _OLCATALOGDATA &other)
{
    if (this != &other)
        memcpy(static_cast<void *>(this), &other, sizeof(*this));
    return *this;
}

COutlookFacade::COutlookFacade() : m_callback{0, nullptr}, m_callbackData(nullptr)
{
    Record(L"Construct");
}

COutlookFacade::~COutlookFacade()
{
    Record(L"Destroy");
}

BOOL COutlookFacade::Init()
{
    Record(L"Init");
    return ScriptedFailure(L"Init") ? FALSE : TRUE;
}

void COutlookFacade::Term()
{
    Record(L"Term");
}

BOOL COutlookFacade::IsInstalledOutlook()
{
    Record(L"IsInstalledOutlook");
    return g_outlookInstalled != 0 ? TRUE : FALSE;
}

void COutlookFacade::SetCallBack(const CALLBACKDATAS &callback, void *data)
{
    Record(L"SetCallBack " + std::to_wstring(callback.kind));
    m_callback = callback;
    m_callbackData = data;
}

BOOL COutlookFacade::GetCatalog(const wchar_t *store, _OLCATALOGDATA **catalog, unsigned long *count)
{
    Record(L"GetCatalog " + Text(store));
    if (ScriptedFailure(L"GetCatalog"))
        return FALSE;
    if (catalog == nullptr || count == nullptr)
    {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsFile(store))
    {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    _OLCATALOGDATA *entries = new _OLCATALOGDATA[2];
    entries[0].itemID = 1;
    wcscpy(entries[0].name, L"Inbox");
    entries[1].itemID = 2;
    wcscpy(entries[1].name, L"Sent Items");
    *catalog = entries;
    *count = 2;
    return TRUE;
}

BOOL COutlookFacade::BackupMessage(const wchar_t *store, CString &destination, _OLCATALOGDATA *catalog,
                                   unsigned long count)
{
    Record(L"BackupMessage " + Text(store) + L" > " + destination.GetString() + CatalogText(catalog, count));
    if (ScriptedFailure(L"BackupMessage"))
        return FALSE;
    return CopyStore(store, destination.GetString());
}

BOOL COutlookFacade::SyncMessage(const wchar_t *store, const wchar_t *destination, _OLCATALOGDATA *catalog,
                                 unsigned long count)
{
    Record(L"SyncMessage " + Text(store) + L" > " + Text(destination) + CatalogText(catalog, count));
    if (ScriptedFailure(L"SyncMessage"))
        return FALSE;
    if (!IsFile(store))
    {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // Up to date when the destination is at least as new as the store (a copy keeps the store's time).
    WIN32_FILE_ATTRIBUTE_DATA from = {}, to = {};
    if (IsFile(destination) && ::GetFileAttributesExW(store, GetFileExInfoStandard, &from) &&
        ::GetFileAttributesExW(destination, GetFileExInfoStandard, &to) &&
        ::CompareFileTime(&from.ftLastWriteTime, &to.ftLastWriteTime) <= 0)
        return TRUE;
    return CopyStore(store, destination);
}

BOOL COutlookFacade::CopyStore(const wchar_t *store, const wchar_t *destination)
{
    if (!IsFile(store))
    {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (destination == nullptr || *destination == L'\0')
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    MakeParentFolders(destination);
    CopyProgress progress{&m_callback, m_callbackData, 0};
    return CopyFileWithProgress(store, destination, &ReportBytes, &progress, nullptr, 0);
}

extern "C"
{

    void OutlookTesselScriptFailure(const wchar_t *call, int count, DWORD error)
    {
        StandInState &state = State();
        std::lock_guard<std::mutex> hold(state.lock);
        if (call != nullptr && state.scripts.size() < 8)
            state.scripts.push_back(FailureScript{call, count, error});
    }

    void OutlookTesselReset()
    {
        StandInState &state = State();
        std::lock_guard<std::mutex> hold(state.lock);
        state.calls.clear();
        state.scripts.clear();
        state.callCounts.clear();
        ::InterlockedExchange(&g_outlookInstalled, 0);
    }

    void OutlookTesselSetInstalled(BOOL installed)
    {
        ::InterlockedExchange(&g_outlookInstalled, installed ? 1 : 0);
    }

    int OutlookTesselGetCalls(wchar_t *buffer, int size)
    {
        StandInState &state = State();
        std::lock_guard<std::mutex> hold(state.lock);
        const int length = static_cast<int>(state.calls.size());
        if (buffer != nullptr && size > 0)
        {
            const int copied = length < size - 1 ? length : size - 1;
            wmemcpy(buffer, state.calls.data(), static_cast<size_t>(copied));
            buffer[copied] = L'\0';
        }
        return length;
    }

    long OutlookTesselLiveEntries()
    {
        return g_liveEntries;
    }

} // extern "C"
