// CToolTipCtrl: the common controls' tooltip window. Its owner relays the mouse messages of its tools to it
// (RelayEvent), usually from PreTranslateMessage.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/windows/Wnd.h"

class CToolTipCtrl : public CWnd
{
  public:
    // A tooltip owned by pParentWnd's window, with the TTS_* styles in dwStyle.
    BOOL Create(CWnd *pParentWnd, DWORD dwStyle = 0);

    // A tool over lpRectTool of pWnd's client area with id nIDTool; with no rectangle or id 0 the tool is the
    // whole window. A null text asks the window for it (TTN_GETDISPINFO).
    BOOL AddTool(CWnd *pWnd, LPCWSTR lpszText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    // Removes the tool AddTool made with the same window and id.
    void DelTool(CWnd *pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd *pWnd, UINT_PTR nIDTool = 0);
    void Activate(BOOL bActivate);
    void RelayEvent(LPMSG lpMsg);
    int SetMaxTipWidth(int iWidth);
    int GetToolCount() const;

  private:
    // A tool record of the size that every version of the common controls takes.
    static TTTOOLINFOW ToolInfo(CWnd *pWnd, UINT_PTR nIDTool);
};
