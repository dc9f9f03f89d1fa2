// The waits of the watcher that must keep their thread's messages moving.
#pragma once
#include <windows.h>

// Waits for the handle while dispatching the calling thread's messages. A WM_QUIT met meanwhile is posted
// again afterwards, so that the thread's own loop still sees it and the program can end.
void WaitDispatchingMessages(HANDLE handle);
