// Shared state of the window layer's sources (not for use outside platform/).
#pragma once
#include <windows.h>

#include "platform/windows/HandleMap.h"

class CWnd;

namespace afx_internal
{

struct ThreadWindowState
{
    // The message the window procedure is handling (Default, reflection).
    MSG lastMsg = {};
    // The window being created under the creation hook; taken by the first window the thread creates.
    CWnd *pWndInit = nullptr;
    HHOOK hCbtHook = nullptr;
    int hookDepth = 0;
    // Control notifications to this window are ignored while its data exchange runs.
    HWND hLockoutNotify = nullptr;
    // The menu that TrackPopupMenu shows, for WM_MEASUREITEM of owner-drawn items.
    HMENU hTrackingMenu = nullptr;
    // Modal loops that WM_QUIT ended.
    UINT modalQuitCount = 0;
};

ThreadWindowState &ThreadState();
CPermanentHandleMap<HWND, CWnd> &WindowMap();

// The window procedure a subclassed window had before; kept as a window property as well, so that messages
// still reach it if the window outlives its CWnd while another procedure sits on top of ours.
extern const wchar_t kSuperProcProperty[];

// Lets the message loops of CWinThread offer messages to the windows (installed once a CWnd has a window).
void InstallPreTranslateTree();

// Arms the creation hook for pWnd for the object's lifetime (one CreateWindowEx or CreateDialog call).
class CCreationHook
{
  public:
    explicit CCreationHook(CWnd *pWnd);
    ~CCreationHook();
    CCreationHook(const CCreationHook &) = delete;
    CCreationHook &operator=(const CCreationHook &) = delete;
};

// Offers a message to the thread's CWinThread (or, on a thread without one, to the windows up to the main
// window), the way the application's loop does; TRUE when it was handled.
BOOL PreTranslateForThread(MSG *pMsg);

} // namespace afx_internal
