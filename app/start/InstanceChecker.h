// The single-instance guard: the named 4-byte block "CInstanceChecker_MMF_VelbrookTessel" holds the first
// instance's main window. The block itself is the guard: the first start creates it before anything else (the
// system tells every later start that it exists already, so of two starts at the same moment exactly one is
// first), and publishes its window in it once the window exists; a later start waits for that window, brings it
// forward and hands it its command line instead of running a second copy. The block's handle that the first
// instance creates lives in the program-wide g_hFirstInstanceMapping (QordelObjects.h), so the block lasts as
// long as that process.
//
// The block holds the window handle as one 32-bit word (window handles fit in 32 bits on 64-bit Windows too).
#pragma once
#include <windows.h>

#include "platform/system/Handles.h"
#include "platform/system/Sync.h"

// How long a later start waits for the first instance's window.
constexpr DWORD kFirstWindowWaitMs = 10000;

class CInstanceChecker
{
  public:
    CInstanceChecker() = default;
    // Closes the mapping handle it holds; the mutex goes with it.
    ~CInstanceChecker() = default;
    CInstanceChecker(const CInstanceChecker &) = delete;
    CInstanceChecker &operator=(const CInstanceChecker &) = delete;

    static LPCWSTR GetMMFFilename();

    // Creates the block, or opens the one another instance made, in one step. TRUE when this process made it and
    // is the first instance (the block holds 0 until TrackFirstInstanceRunning); FALSE when another instance holds
    // it (the handle is kept for ActivatePreviousInstance). A block that cannot be made at all guards nothing:
    // the start goes on as the first.
    BOOL TakeGuard();
    // Opens the named block; TRUE when another instance made it. The handle is kept for ActivatePreviousInstance.
    BOOL PreviousInstanceRunning();
    // The first instance's main window, brought to the foreground (its last active pop-up, when it has one) and
    // restored when bRestore is TRUE. While the block holds 0 (the first instance is still starting) it waits up
    // to waitMs for the window. Null when no block is open, its view cannot be mapped, or no window came. The
    // block's handle is closed either way.
    HWND ActivatePreviousInstance(BOOL bRestore, DWORD waitMs = 0);
    // Once the main window exists: takes the guard when this object has not (a start that asked nothing before),
    // and when this process is the first instance writes the calling thread's main window into the block (0
    // when there is none). TRUE when this process is the first instance.
    BOOL TrackFirstInstanceRunning();

  private:
    // Held while the block's word is read or written.
    CMutex m_instanceDataMutex;
    CKernelHandle m_hInstanceData;
    // 0 before the guard was asked for, 1 first instance, 2 a later start.
    int m_guard = 0;
};
