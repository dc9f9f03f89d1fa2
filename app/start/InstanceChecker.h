// The single-instance guard: the first instance publishes its main window in the named 4-byte block
// "CInstanceChecker_MMF_VelbrookTessel"; a later start finds the block, brings that window forward and hands it
// its command line instead of running a second copy. The block's handle that the first instance creates lives in
// the program-wide g_hFirstInstanceMapping (QordelObjects.h), so the block lasts as long as that process.
//
// The block holds the window handle as one 32-bit word (window handles fit in 32 bits on 64-bit Windows too).
#pragma once
#include <windows.h>

#include "platform/system/Handles.h"
#include "platform/system/Sync.h"

class CInstanceChecker
{
  public:
    CInstanceChecker() = default;
    // Closes the mapping handle it holds; the mutex goes with it.
    ~CInstanceChecker() = default;
    CInstanceChecker(const CInstanceChecker &) = delete;
    CInstanceChecker &operator=(const CInstanceChecker &) = delete;

    static LPCWSTR GetMMFFilename();

    // Opens the named block; TRUE when another instance made it. The handle is kept for ActivatePreviousInstance.
    BOOL PreviousInstanceRunning();
    // The first instance's main window, brought to the foreground (its last active pop-up, when it has one) and
    // restored when bRestore is TRUE; null when no block is open, its view cannot be mapped or it holds 0. The
    // block's handle is closed either way.
    HWND ActivatePreviousInstance(BOOL bRestore);
    // Once the main window exists: when no block exists yet, creates it and writes the calling thread's main window
    // into it (0 when there is none). TRUE when this process became the first instance.
    BOOL TrackFirstInstanceRunning();

  private:
    // Held while the block's word is read or written.
    CMutex m_instanceDataMutex;
    CKernelHandle m_hInstanceData;
};
