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

Seam<PFN_MOVE_FILE_EX> g_pfnMoveFileEx{&::MoveFileExW};
Seam<PFN_PROGRAM_REACHABLE> g_pfnIsProgramReachable{&IsOwnProgramReachable};
Seam<PFN_RETRY_SLEEP> g_pfnRetrySleep{&SleepBeforeRetry};
