#include "engine/watch/WatchWaits.h"

#include "engine/job/SyncJob.h"

void WaitDispatchingMessages(HANDLE handle)
{
    int quitCode = 0;
    if (WaitPumpingMessages(handle, &quitCode))
        ::PostQuitMessage(quitCode);
}
