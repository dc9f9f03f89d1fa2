// NewUI::CThemeHelperST: the visual-styles library, loaded at run time. Every operation looks its function up
// at each call; without the library or the function it answers as an unthemed system would (no theme,
// E_FAIL, FALSE) and never calls through a null pointer. One wrapper is shared by the buttons of a window.
#pragma once
#include <windows.h>

#include "platform/system/Handles.h"

namespace NewUI
{

typedef HANDLE HTHEME_ST;

class CThemeHelperST
{
  public:
    // Loads "UxTheme.dll" from the system folder.
    CThemeHelperST();
    // Loads the named library instead (tests hand in one that records or lacks functions).
    explicit CThemeHelperST(LPCWSTR lpszLibrary);
    virtual ~CThemeHelperST();
    CThemeHelperST(const CThemeHelperST &) = delete;
    CThemeHelperST &operator=(const CThemeHelperST &) = delete;

    HTHEME_ST OpenThemeData(HWND hWnd, LPCWSTR pszClassList);
    HRESULT CloseThemeData(HTHEME_ST hTheme);
    // Paints the parent's background under the rectangle first (when the library can and a window is given),
    // then the themed part.
    HRESULT DrawThemeBackground(HTHEME_ST hTheme, HWND hWnd, HDC hdc, int iPartId, int iStateId, const RECT *pRect,
                                const RECT *pClipRect);
    BOOL IsAppThemed();

  private:
    FARPROC Function(const char *name) const;

    CModuleOwner m_library;
};

} // namespace NewUI
