// NewUI::CButtonST: subclassing, mouse and focus, check-box mode, tooltip and the button messages.
#include "ui/buttons/ButtonST.h"

#include <commctrl.h>

#include "platform/system/Resources.h"

namespace NewUI
{

BEGIN_MESSAGE_MAP(CButtonST, CButton)
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_KILLFOCUS()
ON_WM_SETFOCUS()
ON_WM_CANCELMODE()
ON_WM_ACTIVATE()
ON_WM_ENABLE()
ON_WM_GETDLGCODE()
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SYSCOLORCHANGE()
ON_WM_MEASUREITEM()
ON_WM_MENUCHAR()
ON_CONTROL_REFLECT_EX(BN_CLICKED, &CButtonST::OnClicked)
ON_MESSAGE(BM_SETSTYLE, &CButtonST::OnSetStyle)
ON_MESSAGE(BM_GETCHECK, &CButtonST::OnGetCheck)
ON_MESSAGE(BM_SETCHECK, &CButtonST::OnSetCheck)
END_MESSAGE_MAP()

CButtonST::CButtonST()
    : m_margin(3, 3), m_pressOffset(1, 1), m_flat(TRUE), m_hover(FALSE), m_transparent(FALSE), m_pressed(FALSE),
      m_focused(FALSE), m_disabled(FALSE), m_defaultButton(FALSE), m_checkBoxMode(FALSE), m_imageAlign(0),
      m_flatBorder(TRUE), m_focusInFlat(FALSE), m_colours(), m_cursor(nullptr), m_toolTipStyle(0),
      m_backgroundOld(nullptr), m_checked(FALSE), m_controlType(31), m_focusLostToNothing(FALSE)
{
    ResetColours();
}

CButtonST::~CButtonST()
{
    DropBackground();
    FreeIcons();
    FreeImages();
    m_menu.DestroyMenu();
}

void CButtonST::ResetColours()
{
    for (ColourPair &pair : m_colours)
    {
        pair.background = ::GetSysColor(COLOR_BTNFACE);
        pair.text = ::GetSysColor(COLOR_BTNTEXT);
    }
}

void CButtonST::Repaint()
{
    if (m_hWnd != nullptr)
        Invalidate();
}

void CButtonST::PreSubclassWindow()
{
    const UINT style = static_cast<UINT>(GetStyle() & 0xFFFF);
    m_controlType = style & 0x1F;
    if (style & 0x02)
        m_checkBoxMode = TRUE;
    if (m_controlType == BS_DEFPUSHBUTTON)
    {
        m_defaultButton = TRUE;
        m_controlType = BS_PUSHBUTTON;
    }
    ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

// --- Tooltip ---

void CButtonST::InitToolTip()
{
    if (m_toolTip.GetSafeHwnd() != nullptr || m_hWnd == nullptr)
        return;
    if (!m_toolTip.Create(this, m_toolTipStyle))
        return;
    m_toolTip.Activate(FALSE);
    m_toolTip.SetMaxTipWidth(400);
}

void CButtonST::SetTooltipText(LPCWSTR lpszText, BOOL bActivate)
{
    if (lpszText == nullptr)
        return;
    InitToolTip();
    if (m_toolTip.GetSafeHwnd() == nullptr)
        return;
    if (m_toolTip.GetToolCount() == 0)
    {
        CRect client;
        GetClientRect(&client);
        m_toolTip.AddTool(this, lpszText, &client, 1);
    }
    m_toolTip.UpdateTipText(lpszText, this, 1);
    m_toolTip.Activate(bActivate);
}

void CButtonST::SetTooltipTextId(UINT nStringId, BOOL bActivate)
{
    const CString text = AfxLoadText(nStringId);
    if (!text.IsEmpty())
        SetTooltipText(text, bActivate);
}

BOOL CButtonST::PreTranslateMessage(MSG *pMsg)
{
    InitToolTip();
    m_toolTip.RelayEvent(pMsg);
    // A double click acts as a second click.
    if (pMsg != nullptr && pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(pMsg);
}

// --- Settings ---

DWORD CButtonST::SetFlatBorder(BOOL bOn, BOOL bRepaint)
{
    m_flatBorder = bOn;
    if (bRepaint)
        Repaint();
    return 0;
}

DWORD CButtonST::SetTransparent(BOOL bRepaint)
{
    m_transparent = TRUE;
    DropBackground();
    if (bRepaint)
        Repaint();
    return 0;
}

// --- Mouse, focus, activation ---

void CButtonST::ClearHover()
{
    if (m_flat && m_hover)
    {
        m_hover = FALSE;
        Repaint();
    }
}

void CButtonST::OnMouseMove(UINT nFlags, CPoint point)
{
    CButton::OnMouseMove(nFlags, point);
    if (!m_flat || ((nFlags & MK_LBUTTON) && !m_hover))
        return;
    CPoint screen = point;
    ClientToScreen(&screen);
    const bool over = ::WindowFromPoint(screen) == m_hWnd;
    if (over && !m_hover)
    {
        m_hover = TRUE;
        Repaint();
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        ::_TrackMouseEvent(&track);
    }
    else if (!over && m_hover)
    {
        m_hover = FALSE;
        Repaint();
    }
}

void CButtonST::OnMouseLeave()
{
    ClearHover();
    CButton::OnMouseLeave();
}

void CButtonST::OnSetFocus(CWnd *pOldWnd)
{
    m_focusLostToNothing = FALSE;
    CButton::OnSetFocus(pOldWnd);
}

void CButtonST::OnKillFocus(CWnd *pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    m_focusLostToNothing = pNewWnd == nullptr;
    ClearHover();
}

void CButtonST::OnCancelMode()
{
    CButton::OnCancelMode();
    ClearHover();
}

void CButtonST::OnActivate(UINT nState, CWnd *pWndOther, BOOL bMinimized)
{
    CButton::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE)
        ClearHover();
}

void CButtonST::OnEnable(BOOL bEnable)
{
    CButton::OnEnable(bEnable);
    if (bEnable)
        return;
    // Only a button that had the focus hands it on: the system takes the focus from a window it disables
    // (to no window) before WM_ENABLE, so "had" is the focus still here or just lost to nothing.
    CWnd *parent = GetParent();
    const HWND focus = ::GetFocus();
    const bool hadFocus = focus == m_hWnd || (focus == nullptr && m_focusLostToNothing && parent != nullptr &&
                                              ::GetActiveWindow() == ::GetAncestor(m_hWnd, GA_ROOT));
    m_focusLostToNothing = FALSE;
    if (hadFocus && parent != nullptr)
    {
        CWnd *next = parent->GetNextDlgTabItem(this, FALSE);
        if (next != nullptr && next->GetSafeHwnd() != m_hWnd)
            next->SetFocus();
        else
            parent->SetFocus();
    }
    if (m_flat && m_hover)
    {
        m_hover = FALSE;
        Repaint();
    }
}

// --- Button messages ---

UINT CButtonST::OnGetDlgCode()
{
    UINT code = CButton::OnGetDlgCode() & ~static_cast<UINT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    return code | (m_defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

HBRUSH CButtonST::CtlColor(CDC *, UINT)
{
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CButtonST::OnSysColorChange()
{
    CButton::OnSysColorChange();
    DropBackground();
    ResetColours();
    Repaint();
}

BOOL CButtonST::OnClicked()
{
    if (m_hWnd != nullptr)
        SetFocus();
    if (m_checkBoxMode)
    {
        m_checked = !m_checked;
        Repaint();
    }
    // The parent handles the click as well.
    return FALSE;
}

LRESULT CButtonST::OnSetStyle(WPARAM wParam, LPARAM lParam)
{
    const UINT style = static_cast<UINT>(wParam);
    const UINT type = style & 0x1F;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        m_defaultButton = type == BS_DEFPUSHBUTTON;
    // The button stays owner-drawn, whatever the dialog manager asks for.
    const UINT ownerDrawn = (style & ~static_cast<UINT>(0x04 | 0x10)) | BS_OWNERDRAW;
    return DefWindowProc(BM_SETSTYLE, ownerDrawn, lParam);
}

LRESULT CButtonST::OnGetCheck(WPARAM, LPARAM)
{
    return m_checked;
}

LRESULT CButtonST::OnSetCheck(WPARAM wParam, LPARAM)
{
    if (m_checkBoxMode)
    {
        m_checked = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
        Repaint();
    }
    return 0;
}

void CButtonST::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct != nullptr && lpMeasureItemStruct->CtlType == ODT_MENU &&
        BCMenu::IsMenuHandle(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(lpMeasureItemStruct->itemID))))
    {
        m_menu.MeasureItem(lpMeasureItemStruct);
        return;
    }
    CButton::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CButtonST::OnMenuChar(UINT nChar, UINT nFlags, CMenu *pMenu)
{
    if (BCMenu::IsMenu(pMenu))
        return BCMenu::FindKeyboardShortcut(nChar, nFlags, pMenu);
    return CButton::OnMenuChar(nChar, nFlags, pMenu);
}

} // namespace NewUI
