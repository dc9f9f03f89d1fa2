// The end of the program: what start-up got going is recorded as it happens, and the end undoes exactly that, in
// the reverse order. An early end (a second instance, a missing data folder) thus never ends COM it did not start
// or shuts GDI+ down with a token it never got.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"

// What start-up started, filled in as each step succeeds.
struct StartedParts
{
    bool com = false;                  // CoInitialize succeeded
    ULONG_PTR gdiplusToken = 0;        // GDI+ runs when not 0
    HMODULE languageLibrary = nullptr; // the language library, the resource module while loaded
    bool skinImages = false;           // the shared skin images are loaded
    CKernelHandle watchThread;         // the destination-watch thread
};

// The platform calls of the end, replaceable by tests.
struct ShutdownCalls
{
    void (*uninitializeCom)();
    // Also gives the resource module back to the program.
    void (*freeLanguageLibrary)(HMODULE module);
    void (*freeSkinImages)();
    void (*shutdownGdiplus)(ULONG_PTR token);
};
extern Seam<ShutdownCalls> g_shutdownCalls;

// How long the end waits for the destination-watch thread to finish its round.
constexpr DWORD kWatchThreadWaitMs = 15000;

// Sets stopEvent, waits up to watchWaitMs for the watch thread (which may still walk the jobs), then calls
// deleteMainWindow (which may be empty), then undoes COM, the language library, the skin images and GDI+ as far as
// they were started, and clears parts.
void EndStartedParts(StartedParts &parts, CEvent &stopEvent, const std::function<void()> &deleteMainWindow,
                     DWORD watchWaitMs = kWatchThreadWaitMs);
