// Small helpers of the job engine: system error texts, times, path kinds, message pumping and disk space.
#include "engine/job/SyncJob.h"

#include <ctime>

#include "platform/system/Resources.h"
#include "platform/text/Time.h"

namespace
{

bool FormatSystemText(DWORD flags, LPCVOID source, DWORD code, CString &text)
{
    LPWSTR buffer = nullptr;
    DWORD length =
        ::FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, source, code,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return false;
    CLocalMemory owner(buffer);
    text = CString(buffer);
    text.TrimRight(L" \t\r\n");
    return true;
}

} // namespace

Seam<PFN_GET_DISK_FREE_SPACE_EX> g_pfnGetDiskFreeSpaceEx{&::GetDiskFreeSpaceExW};

CString GetSystemErrorText(DWORD code)
{
    CString text;
    if (FormatSystemText(FORMAT_MESSAGE_FROM_HMODULE, AfxGetResourceHandle(), code, text))
        return text;
    if (FormatSystemText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, text))
        return text;
    return CString();
}

CString FormatNow()
{
    return CTime::GetCurrentTime().Format(L"%Y-%m-%d %H:%M:%S");
}

CString FormatTime(__int64 time, LPCWSTR pattern)
{
    if (pattern == nullptr)
        return CString();
    return CTime(static_cast<__time64_t>(time)).Format(pattern);
}

int GetPathKind(LPCWSTR path)
{
    if (path == nullptr)
        return -1;
    if (path[0] != L'\0' && path[1] == L':')
        return 0;
    if (path[0] == L'\\' && path[1] == L'\\')
        return 1;
    return -1;
}

BOOL IsDriveLetterPath(LPCWSTR path)
{
    if (path == nullptr || path[0] == L'\0' || path[1] != L':')
        return FALSE;
    return path[2] == L'\0' || (path[2] == L'\\' && path[3] == L'\0');
}

BOOL PumpWaitingMessages(int *quitCode)
{
    BOOL quitSeen = FALSE;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            quitSeen = TRUE;
            if (quitCode != nullptr)
                *quitCode = static_cast<int>(message.wParam);
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return quitSeen;
}

BOOL WaitPumpingMessages(HANDLE handle, int *quitCode)
{
    BOOL quitSeen = FALSE;
    for (;;)
    {
        DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLEVENTS);
        if (result == WAIT_OBJECT_0 + 1)
        {
            if (PumpWaitingMessages(quitCode))
                quitSeen = TRUE;
            continue;
        }
        break;
    }
    // What the thread posted just before it ended is handled before the caller goes on.
    if (PumpWaitingMessages(quitCode))
        quitSeen = TRUE;
    return quitSeen;
}

BOOL GetPathDiskSpace(LPCWSTR path, ULONGLONG &total, ULONGLONG &used, ULONGLONG &free)
{
    total = used = free = 0;
    if (path == nullptr || *path == L'\0')
        return FALSE;
    CString candidates[3];
    candidates[0] = path;
    CString trimmed = path;
    trimmed.TrimRight(L'\\');
    int slash = trimmed.ReverseFind(L'\\');
    if (slash >= 0)
        candidates[1] = trimmed.Left(slash + 1);
    if (GetPathKind(path) == 0)
    {
        candidates[2] = CString(path).Left(2) + L"\\";
    }
    else if (GetPathKind(path) == 1)
    {
        // \\server\share\ is the root of a network path.
        CString unc = path;
        int serverEnd = unc.Find(L'\\', 2);
        int shareEnd = serverEnd >= 0 ? unc.Find(L'\\', serverEnd + 1) : -1;
        candidates[2] = shareEnd >= 0 ? unc.Left(shareEnd + 1) : unc + L"\\";
    }
    for (const CString &candidate : candidates)
    {
        if (candidate.IsEmpty())
            continue;
        ULARGE_INTEGER available, totalBytes, totalFree;
        if (g_pfnGetDiskFreeSpaceEx(candidate, &available, &totalBytes, &totalFree))
        {
            total = totalBytes.QuadPart;
            free = totalFree.QuadPart;
            used = total - free;
            return TRUE;
        }
    }
    return FALSE;
}
