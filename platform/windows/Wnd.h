// CWnd: a window and the object that handles its messages through a message map.
//
// Every window that a CWnd creates or subclasses runs one window procedure, which finds the CWnd in a
// process-wide map and calls its WindowProc. Windows created through Create/CreateEx are hooked before their
// first message; existing windows (dialog controls) join by SubclassWindow/SubclassDlgItem/DDX_Control.
// When the window is destroyed (WM_NCDESTROY) the object lets go of it and PostNcDestroy runs, which a
// heap-allocated window may use to delete itself. No exception leaves the window procedure.
#pragma once
#include <windows.h>

#include "platform/text/Geometry.h"
#include "platform/windows/MessageMap.h"
#include "platform/text/String.h"

class CDC;
class CFont;
class CRgn;
class CMenu;
class CScrollBar;
class CDataExchange;
struct CCreateContext;

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)

  public:
    CWnd();
    // Destroys a window that this object still owns (on the window's own thread), otherwise lets go of it.
    ~CWnd() override;

    HWND m_hWnd;

    // Values for SetWindowPos's pWndInsertAfter.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    operator HWND() const
    {
        return m_hWnd;
    }
    // Null also when called through a null pointer.
    HWND GetSafeHwnd() const;

    // The object that owns hWnd, else a temporary wrapper valid until the thread's message loop goes idle.
    static CWnd *FromHandle(HWND hWnd);
    // The object that owns hWnd, or null.
    static CWnd *FromHandlePermanent(HWND hWnd);

    // Makes this object the owner of hWnd without changing its window procedure (messages do not reach the
    // message map). FALSE when this object has a window already or another object owns hWnd.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Attach plus the window procedure: messages go through this object's message map from now on.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd *pParent);
    // Gives the window its previous procedure back and detaches it.
    HWND UnsubclassWindow();

    // --- Creation and destruction ---
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                        CWnd *pParentWnd, UINT nID, CCreateContext *pContext = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                          int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                  CWnd *pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // --- Overridables ---
    virtual BOOL PreCreateWindow(CREATESTRUCTW &cs);
    virtual void PreSubclassWindow();
    virtual void PostNcDestroy();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG *pMsg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    // A message this window sent to its parent, offered back to this window first (reflection). TRUE when
    // this window handled it; the parent then does not see it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    virtual void DoDataExchange(CDataExchange *pDX);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Calls the previous window procedure with the message now being handled.
    LRESULT Default();
    static const MSG *GetCurrentMessage();

    // TRUE when pMsg was handled by one of the windows from pMsg->hwnd up to hWndStop (each permanent CWnd's
    // PreTranslateMessage, innermost first). The walk never leaves the calling thread's windows.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG *pMsg);

    // Data exchange between the member variables and the controls; FALSE when a value failed validation.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Runs a message loop until EndModalLoop; returns its result.
    int RunModalLoop(DWORD dwFlags = 0);

    // --- Messages ---
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL SendNotifyMessage(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // --- Text ---
    void SetWindowText(LPCWSTR lpszString);
    int GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString &rString) const;
    int GetWindowTextLength() const;
    void SetFont(CFont *pFont, BOOL bRedraw = TRUE);
    CFont *GetFont() const;

    // --- Dialog items ---
    CWnd *GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    void SetDlgItemText(int nID, LPCWSTR lpszString);
    int GetDlgItemText(int nID, LPWSTR lpStr, int nMaxCount) const;
    int GetDlgItemText(int nID, CString &rString) const;
    UINT GetDlgItemInt(int nID, BOOL *lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd *GetNextDlgTabItem(CWnd *pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd *GetNextDlgGroupItem(CWnd *pWndCtl, BOOL bPrevious = FALSE) const;

    // --- Geometry ---
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void MapWindowPoints(CWnd *pwndTo, LPRECT lpRect) const;
    void MapWindowPoints(CWnd *pwndTo, LPPOINT lpPoint, UINT nCount) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd *pAlternateOwner = nullptr);
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
    CWnd *ChildWindowFromPoint(POINT point) const;
    static CWnd *WindowFromPoint(POINT point);

    // --- State ---
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL IsChild(const CWnd *pWnd) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // FALSE when the style did not change. A non-zero nFlags also runs SetWindowPos with those flags (plus
    // no move, size, z-order change or activation) so that the frame follows the new style.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void SetRedraw(BOOL bRedraw = TRUE);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    // --- Focus, activation, capture ---
    CWnd *SetFocus();
    static CWnd *GetFocus();
    CWnd *SetCapture();
    static CWnd *GetCapture();
    CWnd *SetActiveWindow();
    static CWnd *GetActiveWindow();
    BOOL SetForegroundWindow();
    static CWnd *GetForegroundWindow();
    void BringWindowToTop();
    static CWnd *GetDesktopWindow();

    // --- Relatives ---
    CWnd *GetParent() const;
    CWnd *SetParent(CWnd *pWndNewParent);
    // The owner set by SetOwner, else the parent.
    CWnd *GetOwner() const;
    void SetOwner(CWnd *pOwnerWnd);
    CWnd *GetTopLevelParent() const;
    CWnd *GetWindow(UINT nCmd) const;
    CWnd *GetTopWindow() const;
    // pParent's top-level window, else the main window's (never a child window); null when there is none.
    static CWnd *GetSafeOwner(CWnd *pParent = nullptr, HWND *pWndTop = nullptr);

    // --- Painting ---
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void InvalidateRgn(CRgn *pRgn, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn *prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // A temporary wrapper of the window's DC; give it back with ReleaseDC.
    CDC *GetDC();
    CDC *GetWindowDC();
    int ReleaseDC(CDC *pDC);

    // --- Menus ---
    CMenu *GetMenu() const;
    CMenu *GetSystemMenu(BOOL bRevert) const;

    // A message box owned by this window; a null caption takes the application's name.
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);

  protected:
    // --- Handlers of the window messages; each does the window's default processing ---
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnPaint();
    afx_msg void OnNcPaint();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSizing(UINT fwSide, LPRECT pRect);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnClose();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseHover(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg UINT OnGetDlgCode();
    // Offers the colour message to the control first (reflection), else the default colours.
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    // Owner-drawn menus go to their CMenu's DrawItem/MeasureItem, controls get the message reflected.
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg void OnSetFocus(CWnd *pOldWnd);
    afx_msg void OnKillFocus(CWnd *pNewWnd);
    afx_msg void OnCaptureChanged(CWnd *pWnd);
    // Scroll messages from a scroll-bar control are reflected to it first.
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg void OnWindowPosChanging(WINDOWPOS *lpwndpos);
    afx_msg void OnWindowPosChanged(WINDOWPOS *lpwndpos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO *lpMMI);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnActivate(UINT nState, CWnd *pWndOther, BOOL bMinimized);
    afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnContextMenu(CWnd *pWnd, CPoint pos);
    afx_msg void OnInitMenuPopup(CMenu *pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu *pMenu);
    afx_msg BOOL OnCopyData(CWnd *pWnd, COPYDATASTRUCT *pCopyDataStruct);
    afx_msg BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    afx_msg BOOL OnQueryEndSession();
    afx_msg void OnEndSession(BOOL bEnding);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnSysColorChange();
    afx_msg void OnCancelMode();
    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS *lpncsp);
    afx_msg BOOL OnNcActivate(BOOL bActive);
    afx_msg HCURSOR OnQueryDragIcon();

    // Reflection: offers the message being handled to the permanent CWnd of hWndChild.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT *pResult = nullptr);
    // The reflected entries of this window's map (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT, ...).
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);

    // Calls a map entry found for a window message; the handler's result becomes *pResult.
    BOOL DispatchEntry(const AfxMsgMapEntry *pEntry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);

    DECLARE_MESSAGE_MAP()

    // The window procedure this window had before it joined (called by Default and DefWindowProc).
    WNDPROC m_pfnSuper;
    HWND m_hWndOwner;
    // WF_* flags of the window layer.
    UINT m_nFlags;
    int m_nModalResult;

  private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtHookProc(int, WPARAM, LPARAM);
    // The window is gone: give up the handle, then PostNcDestroy.
    void OnFinalNcDestroy();
    // CWnd objects used as SetWindowPos constants.
    explicit CWnd(HWND hWndConstant);
};

// m_nFlags
enum : UINT
{
    WF_CONTINUEMODAL = 0x0080, // RunModalLoop keeps running while set
    WF_MODALLOOP = 0x0100,     // inside RunModalLoop
};

// RunModalLoop flags
enum : DWORD
{
    MLF_NOIDLEMSG = 0x0001,
    MLF_SHOWONIDLE = 0x0004,
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// How many modal loops of the calling thread WM_QUIT has ended so far: a count that moved during a dialog tells
// that the program's end broke it off (the loop passes WM_QUIT on to the loop outside).
UINT AfxGetModalQuitCount();

// The window class that Create uses when it is given none: double clicks, arrow cursor, no background.
LPCWSTR AfxDefaultWndClass();
