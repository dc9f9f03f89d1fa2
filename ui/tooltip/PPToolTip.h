// The HTML tooltip: a pop-up balloon whose text is markup (CPPHtmlDrawer), shown at the pointer over tools that
// an owner window registers, after a delay and for a while; it flips to stay on the virtual screen, casts a
// soft shade and can be partly transparent over what lies beneath it.
//
// The owner relays its mouse and keyboard messages (RelayEvent, or through PreTranslateMessage); timers decide
// when to show, fade, move and hide the tip. Before each display the notify window (the owner, after
// SetNotify) gets NOTIFY_TOOLTIP_DISPLAY and may change the tool's text and the display point; a tool whose
// text is then empty is not shown. User-interface thread only.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "platform/drawing/DibSection.h"
#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/windows/Wnd.h"
#include "ui/markup/PPHtmlDrawer.h"
#include "ui/tooltip/PPToolTipPlacement.h"

// Which fields of a ToolInfo are its own; a field whose bit is clear takes the tooltip's default when shown.
enum : UINT
{
    MASK_STYLES = 0x01,
    MASK_EFFECT = 0x02, // the effect and its granularity
    MASK_COLOURS = 0x04,
    MASK_DIRECTION = 0x08,
    MASK_BEHAVIOUR = 0x10,
    MASK_TRANSPARENCY = 0x20,
};

// Behaviour flags.
enum : UINT
{
    BEHAVE_MULTIPLE_SHOW = 0x01, // a tool that has gone is forgotten, so moving within it shows it again
    BEHAVE_TRACK_MOUSE = 0x02,   // the tip follows the pointer within its tool
    BEHAVE_KEEP_IN_TOOL = 0x04,  // moving within the tool only restarts the life time
    BEHAVE_KEEP_OVER_TIP = 0x08, // the pointer over the tip restarts the life time instead of hiding it
    BEHAVE_NO_AUTOPOP = 0x10,    // no life time: the tip stays until something hides it
};

// The notification sent before each display (WM_NOTIFY with ToolDisplayNotify) and the message the markup
// sends when the link under the pointer changes.
const UINT NOTIFY_TOOLTIP_DISPLAY = 0x464;
const UINT MSG_TOOLTIP_REPAINT = 0x465;

// One tool: a window, or an area of it, and its tip.
struct ToolInfo
{
    UINT nIDTool = 0; // the owner's id, passed through
    CRect rectBounds; // in the tool window's client coordinates; empty for the whole window
    CString sTooltip; // markup
    UINT nMask = 0;   // MASK_* of the fields below that are the tool's own
    UINT nStyles = 0; // not otherwise used
    UINT nDirection = 0;
    UINT nEffect = 0; // a fill effect of CPPDrawManager
    UINT nBehaviour = 0;
    BYTE nGranularity = 0;
    BYTE nTransparency = 0; // 0 opaque ... 100 invisible
    COLORREF crBegin = 0;
    COLORREF crMid = 0;
    COLORREF crEnd = 0;
};

struct ToolDisplayNotify
{
    NMHDR hdr;
    HWND hwndTool;
    LPPOINT pt;   // the display point on the screen; the owner may move it
    ToolInfo *ti; // the owner may change the text (and the other fields)
};

using PFN_TOOLTIP_GET_CURSOR_POS = BOOL(WINAPI *)(LPPOINT);
// Where the tooltip reads the pointer: GetCursorPos unless a test put another function in place.
extern Seam<PFN_TOOLTIP_GET_CURSOR_POS> g_pfnToolTipGetCursorPos;

class CPPToolTip : public CWnd
{
  public:
    // Registers the window class "CPPToolTip"; throws std::system_error when that fails.
    CPPToolTip();
    ~CPPToolTip() override;

    // Creates the pop-up, owned by pParentWnd, as a balloon or a plain rectangle; false when it cannot.
    bool Create(CWnd *pParentWnd, BOOL bBalloon = TRUE);
    void SetBehaviour(UINT nBehaviour)
    {
        m_defaults.nBehaviour = nBehaviour;
    }
    // Notifications go to the owner (on) or nowhere (off).
    void SetNotify(bool bNotify = true)
    {
        m_hNotifyWnd = bNotify ? m_hParentWnd : nullptr;
    }
    // Adds a tool: the window, an area of it (null: the whole window), its markup and its id. A tool of the
    // same window with the same bounds is replaced. Nothing without a window.
    void AddTool(CWnd *pWnd, const CString &strText, LPCRECT lpRectBounds = nullptr, UINT nIDTool = 0);
    // The owner's message filter; nothing while the tooltip has no window.
    void RelayEvent(MSG *pMsg);
    BOOL PreTranslateMessage(MSG *pMsg) override;
    BOOL DestroyWindow() override;

    static const wchar_t kClassName[];

  protected:
    // Frames the tip region with the border brush.
    virtual void DrawBorder(HDC hDC, HRGN hRegion);

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnPaint();
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    afx_msg LRESULT OnRepaintTooltip(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    enum : UINT_PTR
    {
        TIMER_SHOW = 0x100,
        TIMER_HIDE = 0x101,
        TIMER_FADE_IN = 0x102,
        TIMER_FADE_OUT = 0x103,
        TIMER_ANIMATION = 0x104,
    };
    enum : int
    {
        STATE_HIDDEN = 0,
        STATE_APPEARING = 1,
        STATE_SHOWN = 2,
        STATE_DISAPPEARING = 3,
    };
    enum : int
    {
        SHOW_EFFECT_NONE = 0,
        SHOW_EFFECT_FADE = 1,
    };

    // A tool on its way to the screen, or on it.
    struct ToolRecord
    {
        HWND hWnd = nullptr;
        int nShowMode = 0; // 0: at the pointer
        ToolInfo ti;
    };

    // Tools and relaying (PPToolTip.cpp).
    // The tool under the point (owner client coordinates); false when there is none.
    bool FindTool(POINT point, HWND &hTool, ToolInfo &ti) const;
    void RelayMouseMove();
    BOOL IsCursorOverTip() const;

    // The state machine (PPToolTipTimers.cpp).
    void ScheduleTool(HWND hWnd, const ToolInfo &ti, bool bDelay);
    void OnShowTimer();
    void OnHideTimer();
    void OnFadeInTimer();
    void OnFadeOutTimer();
    void HideTooltip();
    void RestartLifeTime();
    void StartHiding();
    void MoveWithCursor();
    void ForgetDisplayedTool();
    UINT DisplayedBehaviour() const
    {
        return m_displayed.ti.nBehaviour;
    }

    // Display and painting (PPToolTipDisplay.cpp).
    void DisplayTooltip();
    void FreeDisplay();
    void Repaint(HDC hDC, int nTransparency);
    void RepaintNow();

    CPPHtmlDrawer m_drawer;
    HWND m_hParentWnd = nullptr;
    HWND m_hNotifyWnd = nullptr;
    CPoint m_ptOriginal; // the last relayed pointer position, on the screen
    ToolRecord m_displayed;
    ToolRecord m_next;
    bool m_bNextPending = false;
    bool m_bDelayNextTool = false;
    int m_nTooltipState = STATE_HIDDEN;
    int m_nTransparency = 0;
    ToolInfo m_defaults;

    UINT m_nTimeInitial = 500;
    UINT m_nTimeAutoPop = 5000;
    UINT m_nTimeFadeIn = 0;
    UINT m_nTimeFadeOut = 0;
    int m_nShowEffect = SHOW_EFFECT_FADE;
    int m_nHideEffect = SHOW_EFFECT_FADE;

    PPToolTipSizes m_sizes;
    CGdiObjectOwner<HBRUSH> m_borderBrush;
    int m_nBorderWidth = 1;
    int m_nBorderHeight = 1;
    int m_nShadeOffsetX = 6;
    int m_nShadeOffsetY = 6;
    int m_nShadeDarkness = 50; // percent
    BOOL m_bShadeGradient = TRUE;
    int m_nShadeDepthX = 7;
    int m_nShadeDepthY = 7;

    // Computed per display.
    PPToolTipPlacement m_placement;
    CGdiObjectOwner<HRGN> m_tipRegion;
    CDibSection m_background; // the body with its fill, before the text
    CDibSection m_snapshot;   // the screen beneath the window, taken just before it is shown
    std::map<HWND, std::vector<ToolInfo>> m_tools;
};
