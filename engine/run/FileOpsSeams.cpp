#include "engine/run/FileOpsSeams.h"

#include <vector>

void SleepBeforeRetry(DWORD milliseconds)
{
    ::Sleep(milliseconds);
}

BOOL IsOwnProgramReachable()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;)
    {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return TRUE; // nothing to test against: assume the drive is there
        if (length < path.size())
            break;
        if (path.size() >= 32768)
            return TRUE;
        path.resize(path.size() * 2);
    }
    return ::GetFileAttributesW(path.data()) != INVALID_FILE_ATTRIBUTES;
}

BOOL IsDriveGoneError(DWORD error)
{
    switch (error)
    {
    case ERROR_FILE_NOT_FOUND:       // 2
    case ERROR_PATH_NOT_FOUND:       // 3
    case ERROR_INVALID_DRIVE:        // 15
    case ERROR_NOT_READY:            // 21
    case ERROR_REM_NOT_LIST:         // 51
    case ERROR_BAD_NETPATH:          // 53
    case ERROR_DEV_NOT_EXIST:        // 55
    case ERROR_UNEXP_NET_ERR:        // 59
    case ERROR_NETNAME_DELETED:      // 64
    case ERROR_BAD_NET_NAME:         // 67
    case ERROR_FILE_INVALID:         // 1006: the volume went away under an open file
    case ERROR_DEVICE_NOT_CONNECTED: // 1167
    case ERROR_NETWORK_UNREACHABLE:  // 1231
    case ERROR_NO_MEDIA_IN_DRIVE:    // 1112
    case ERROR_DEVICE_REMOVED:       // 1617
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL IsDestinationPresent(LPCWSTR root)
{
    if (root == nullptr || root[0] == 0)
        return TRUE;
    if (::GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    return IsDriveGoneError(::GetLastError()) ? FALSE : TRUE;
}

Seam<PFN_MOVE_FILE_EX> g_pfnMoveFileEx{&::MoveFileExW};
Seam<PFN_PROGRAM_REACHABLE> g_pfnIsProgramReachable{&IsOwnProgramReachable};
Seam<PFN_DESTINATION_PRESENT> g_pfnIsDestinationPresent{&IsDestinationPresent};
Seam<PFN_GET_FILE_ATTRIBUTES_EX> g_pfnGetFileAttributesEx{&::GetFileAttributesExW};
Seam<PFN_FIND_FIRST_FILE> g_pfnFindFirstFile{&::FindFirstFileW};
Seam<PFN_FIND_NEXT_FILE> g_pfnFindNextFile{&::FindNextFileW};
Seam<PFN_RETRY_SLEEP> g_pfnRetrySleep{&SleepBeforeRetry};
