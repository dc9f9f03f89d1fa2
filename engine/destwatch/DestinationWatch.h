// The destination-watch thread. Each cycle it looks for jobs whose last run stopped because a network source or
// destination could not be reached ("complete_status" 2) and that have a network path: it tries each such path,
// reconnects a remembered network drive that is unavailable, stores "error_code" (0 when every network path
// answered, else -1) and asks the main window to run a job again (IMainWindowServices::RequestRun) once all
// its network paths answer; a disabled job is enabled for that run. Jobs that are busy are left alone.
//
// The thread reads the main window's job collection under its list lock and probes with the lock let go: a job
// that leaves the collection meanwhile is not touched again. It ends on StopEvent, which it tests before each
// job and each probe and waits on between cycles.
#pragma once
#include <windows.h>

constexpr DWORD kDestinationWatchCycle = 10000;

// Clears StopEvent and starts the thread, whose first cycle runs at once; cycleMs is the wait between two
// cycles. FALSE when the thread runs already or cannot be started.
BOOL StartDestinationWatch(DWORD cycleMs = kDestinationWatchCycle);
// The thread's procedure for a caller that keeps the thread itself (the application, which waits for it with a
// time limit at its end): cycles of kDestinationWatchCycle until StopEvent. The argument is not used.
unsigned __stdcall RunDestinationWatch(void *);
// Sets StopEvent and waits for the thread to end. The application calls it before it deletes the main window.
void StopDestinationWatch();
