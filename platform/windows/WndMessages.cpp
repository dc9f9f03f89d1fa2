// The window procedure of every CWnd, message-map dispatch, commands, notifications and reflection.
#include "platform/windows/Wnd.h"

#include <exception>

#include "platform/system/ExceptionReport.h"
#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/controls/Menu.h"
#include "platform/windows/WndInternal.h"

using namespace afx_internal;

namespace
{

CPoint PointFromLParam(LPARAM lParam)
{
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

CWnd *WndFrom(WPARAM wParam)
{
    return CWnd::FromHandle(reinterpret_cast<HWND>(wParam));
}

CWnd *WndFrom(LPARAM lParam)
{
    return CWnd::FromHandle(reinterpret_cast<HWND>(lParam));
}

template <class Fn> Fn As(AFX_PMSG pfn)
{
    return AfxPmfCast<Fn>(pfn);
}

bool IsCtlColor(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// A popup menu in pMenu (searched depth-first) that holds the command nID, as its permanent CMenu.
CMenu *FindPopupMenuFromID(HMENU hMenu, UINT nID)
{
    int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (hSub != nullptr)
        {
            // An owner-drawn popup item is measured under its sub-menu's handle.
            if (static_cast<UINT>(reinterpret_cast<UINT_PTR>(hSub)) == nID)
                return CMenu::FromHandlePermanent(hMenu);
            if (CMenu *found = FindPopupMenuFromID(hSub, nID))
                return found;
        }
        else if (::GetMenuItemID(hMenu, i) == nID)
        {
            return CMenu::FromHandlePermanent(hMenu);
        }
    }
    return nullptr;
}

} // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd *pWnd = WindowMap().Lookup(hWnd);
    if (pWnd == nullptr)
    {
        // A window whose object let go of it while another procedure sat on top of ours.
        WNDPROC super = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProcProperty));
        if (message == WM_NCDESTROY)
            ::RemovePropW(hWnd, kSuperProcProperty);
        return super != nullptr ? ::CallWindowProcW(super, hWnd, message, wParam, lParam)
                                : ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    ThreadWindowState &state = ThreadState();
    MSG previous = state.lastMsg;
    state.lastMsg.hwnd = hWnd;
    state.lastMsg.message = message;
    state.lastMsg.wParam = wParam;
    state.lastMsg.lParam = lParam;
    LRESULT result = 0;
    try
    {
        result = pWnd->WindowProc(message, wParam, lParam);
    }
    catch (...)
    {
        AfxReportCurrentException("a window procedure", message);
        result = 0;
    }
    state.lastMsg = previous;
    if (message == WM_NCDESTROY && WindowMap().Lookup(hWnd) == pWnd)
    {
        try
        {
            pWnd->OnFinalNcDestroy();
        }
        catch (...)
        {
            AfxReportCurrentException("PostNcDestroy", message);
        }
    }
    return result;
}

// --- CCmdTarget ---

const AfxMsgMap *CCmdTarget::GetThisMessageMap()
{
    static const AfxMsgMapEntry entries[] = {{0, 0, 0, 0, AfxSig::End, nullptr, nullptr}};
    static const AfxMsgMap map = {nullptr, &entries[0]};
    return &map;
}

const AfxMsgMap *CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AfxMsgMapEntry *CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AfxMsgMap *map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AfxMsgMapEntry *entry = map->lpEntries; entry->nSig != AfxSig::End; ++entry)
        {
            UINT entryMessage = entry->pRegistered != nullptr ? *entry->pRegistered : entry->nMessage;
            if (entryMessage == nMessage && entry->nCode == nCode && nID >= entry->nID && nID <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    const AfxMsgMapEntry *entry = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (entry == nullptr)
        return FALSE;
    if (entry->nSig == AfxSig::CmdRange)
        (this->*As<void (CCmdTarget::*)(UINT)>(entry->pfn))(nID);
    else
        (this->*entry->pfn)();
    return TRUE;
}

// --- CWnd: window procedure ---

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG &msg = ThreadState().lastMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MSG *CWnd::GetCurrentMessage()
{
    return &ThreadState().lastMsg;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        result = 1;
    }
    else if (message == WM_NOTIFY)
    {
        if (lParam == 0 || !OnNotify(wParam, lParam, &result))
            return FALSE;
    }
    else
    {
        const AfxMsgMapEntry *entry = FindMessageEntry(IsCtlColor(message) ? WM_CTLCOLOR : message, 0, 0);
        if (entry == nullptr || !DispatchEntry(entry, message, wParam, lParam, &result))
            return FALSE;
    }
    if (pResult != nullptr)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::DispatchEntry(const AfxMsgMapEntry *pEntry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    AFX_PMSG pfn = pEntry->pfn;
    LRESULT r = 0;
    switch (pEntry->nSig)
    {
    case AfxSig::l_wl:
        r = (this->*As<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pfn))(wParam, lParam);
        break;
    case AfxSig::v_v:
        (this->*pfn)();
        break;
    case AfxSig::i_create:
        r = (this->*As<int (CCmdTarget::*)(LPCREATESTRUCT)>(pfn))(reinterpret_cast<LPCREATESTRUCT>(lParam));
        break;
    case AfxSig::b_dc:
        r = (this->*As<BOOL (CCmdTarget::*)(CDC *)>(pfn))(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
        break;
    case AfxSig::v_up:
        (this->*As<void (CCmdTarget::*)(UINT_PTR)>(pfn))(static_cast<UINT_PTR>(wParam));
        break;
    case AfxSig::v_u_ii:
        (this->*As<void (CCmdTarget::*)(UINT, int, int)>(pfn))(static_cast<UINT>(wParam), LOWORD(lParam),
                                                               HIWORD(lParam));
        break;
    case AfxSig::v_u_rect:
        (this->*As<void (CCmdTarget::*)(UINT, LPRECT)>(pfn))(static_cast<UINT>(wParam),
                                                             reinterpret_cast<LPRECT>(lParam));
        r = TRUE;
        break;
    case AfxSig::v_ii:
        (this->*As<void (CCmdTarget::*)(int, int)>(pfn))(static_cast<short>(LOWORD(lParam)),
                                                         static_cast<short>(HIWORD(lParam)));
        break;
    case AfxSig::v_b_u:
        (this->*As<void (CCmdTarget::*)(BOOL, UINT)>(pfn))(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        break;
    case AfxSig::v_u_pt:
        (this->*As<void (CCmdTarget::*)(UINT, CPoint)>(pfn))(static_cast<UINT>(wParam), PointFromLParam(lParam));
        break;
    case AfxSig::b_u_s_pt:
        r = (this->*As<BOOL (CCmdTarget::*)(UINT, short, CPoint)>(pfn))(
            LOWORD(wParam), static_cast<short>(HIWORD(wParam)), PointFromLParam(lParam));
        break;
    case AfxSig::b_wnd_u_u:
        r = (this->*As<BOOL (CCmdTarget::*)(CWnd *, UINT, UINT)>(pfn))(
            WndFrom(wParam), static_cast<UINT>(static_cast<short>(LOWORD(lParam))), HIWORD(lParam));
        break;
    case AfxSig::l_pt:
        r = (this->*As<LRESULT (CCmdTarget::*)(CPoint)>(pfn))(PointFromLParam(lParam));
        break;
    case AfxSig::v_u_u_u:
        (this->*As<void (CCmdTarget::*)(UINT, UINT, UINT)>(pfn))(static_cast<UINT>(wParam), LOWORD(lParam),
                                                                 HIWORD(lParam));
        break;
    case AfxSig::u_v:
        r = (this->*As<UINT (CCmdTarget::*)()>(pfn))();
        break;
    case AfxSig::hbr_dc_wnd_u:
        r = reinterpret_cast<LRESULT>((this->*As<HBRUSH (CCmdTarget::*)(CDC *, CWnd *, UINT)>(pfn))(
            CDC::FromHandle(reinterpret_cast<HDC>(wParam)), WndFrom(lParam), message - WM_CTLCOLORMSGBOX));
        break;
    case AfxSig::v_i_draw:
        (this->*As<void (CCmdTarget::*)(int, LPDRAWITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                      reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig::v_i_measure:
        (this->*As<void (CCmdTarget::*)(int, LPMEASUREITEMSTRUCT)>(pfn))(static_cast<int>(wParam),
                                                                         reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig::v_draw:
        (this->*As<void (CCmdTarget::*)(LPDRAWITEMSTRUCT)>(pfn))(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig::v_measure:
        (this->*As<void (CCmdTarget::*)(LPMEASUREITEMSTRUCT)>(pfn))(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        r = TRUE;
        break;
    case AfxSig::v_wnd:
        (this->*As<void (CCmdTarget::*)(CWnd *)>(pfn))(message == WM_CAPTURECHANGED ? WndFrom(lParam)
                                                                                    : WndFrom(wParam));
        break;
    case AfxSig::v_u_u_sb:
        (this->*As<void (CCmdTarget::*)(UINT, UINT, CScrollBar *)>(pfn))(LOWORD(wParam), HIWORD(wParam),
                                                                         static_cast<CScrollBar *>(WndFrom(lParam)));
        break;
    case AfxSig::v_wpos:
        (this->*As<void (CCmdTarget::*)(WINDOWPOS *)>(pfn))(reinterpret_cast<WINDOWPOS *>(lParam));
        break;
    case AfxSig::v_mmi:
        (this->*As<void (CCmdTarget::*)(MINMAXINFO *)>(pfn))(reinterpret_cast<MINMAXINFO *>(lParam));
        break;
    case AfxSig::v_u_l:
        (this->*As<void (CCmdTarget::*)(UINT, LPARAM)>(pfn))(static_cast<UINT>(wParam), lParam);
        break;
    case AfxSig::v_u_wnd_b:
        (this->*As<void (CCmdTarget::*)(UINT, CWnd *, BOOL)>(pfn))(LOWORD(wParam), WndFrom(lParam), HIWORD(wParam));
        break;
    case AfxSig::v_b:
        (this->*As<void (CCmdTarget::*)(BOOL)>(pfn))(static_cast<BOOL>(wParam));
        break;
    case AfxSig::v_wnd_pt:
        (this->*As<void (CCmdTarget::*)(CWnd *, CPoint)>(pfn))(WndFrom(wParam), PointFromLParam(lParam));
        break;
    case AfxSig::v_menu_u_b:
        (this->*As<void (CCmdTarget::*)(CMenu *, UINT, BOOL)>(pfn))(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)),
                                                                    LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig::l_u_u_menu:
        r = (this->*As<LRESULT (CCmdTarget::*)(UINT, UINT, CMenu *)>(pfn))(
            LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(lParam)));
        break;
    case AfxSig::b_wnd_cds:
        r = (this->*As<BOOL (CCmdTarget::*)(CWnd *, COPYDATASTRUCT *)>(pfn))(
            WndFrom(wParam), reinterpret_cast<COPYDATASTRUCT *>(lParam));
        break;
    case AfxSig::b_u_dw:
        r = (this->*As<BOOL (CCmdTarget::*)(UINT, DWORD_PTR)>(pfn))(static_cast<UINT>(wParam),
                                                                    static_cast<DWORD_PTR>(lParam));
        break;
    case AfxSig::b_v:
        r = (this->*As<BOOL (CCmdTarget::*)()>(pfn))();
        break;
    case AfxSig::v_u_str:
        (this->*As<void (CCmdTarget::*)(UINT, LPCTSTR)>(pfn))(static_cast<UINT>(wParam),
                                                              reinterpret_cast<LPCTSTR>(lParam));
        break;
    case AfxSig::v_b_nccs:
        (this->*As<void (CCmdTarget::*)(BOOL, NCCALCSIZE_PARAMS *)>(pfn))(
            static_cast<BOOL>(wParam), reinterpret_cast<NCCALCSIZE_PARAMS *>(lParam));
        break;
    case AfxSig::b_b:
        r = (this->*As<BOOL (CCmdTarget::*)(BOOL)>(pfn))(static_cast<BOOL>(wParam));
        break;
    case AfxSig::v_b_dw:
        (this->*As<void (CCmdTarget::*)(BOOL, DWORD)>(pfn))(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
        break;
    case AfxSig::hcur_v:
        r = reinterpret_cast<LRESULT>((this->*As<HCURSOR (CCmdTarget::*)()>(pfn))());
        break;
    default:
        // Command and notification signatures are not window messages; hbr_dc_u is handled by reflection.
        return FALSE;
    }
    if (pResult != nullptr)
        *pResult = r;
    return TRUE;
}

// --- Commands and notifications ---

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl == nullptr)
    {
        // Menus and accelerators (code 1) are both plain commands.
        nCode = 0;
    }
    else
    {
        if (ThreadState().hLockoutNotify == m_hWnd)
            return TRUE;
        CWnd *pChild = FromHandlePermanent(hWndCtrl);
        if (pChild != nullptr && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT *pResult)
{
    NMHDR *pNMHDR = reinterpret_cast<NMHDR *>(lParam);
    if (pNMHDR == nullptr)
        return FALSE;
    HWND hWndCtrl = pNMHDR->hwndFrom;
    CWnd *pChild = FromHandlePermanent(hWndCtrl);
    if (pChild != nullptr && pChild != this &&
        pChild->OnChildNotify(WM_NOTIFY, static_cast<WPARAM>(pNMHDR->idFrom), lParam, pResult))
        return TRUE;
    UINT nID = hWndCtrl != nullptr ? static_cast<UINT>(::GetDlgCtrlID(hWndCtrl)) : static_cast<UINT>(pNMHDR->idFrom);
    const AfxMsgMapEntry *entry = FindMessageEntry(WM_NOTIFY, pNMHDR->code, nID);
    if (entry == nullptr)
        return FALSE;
    LRESULT result = 0;
    if (entry->nSig == AfxSig::NotifyRange)
        (this->*As<void (CCmdTarget::*)(UINT, NMHDR *, LRESULT *)>(entry->pfn))(nID, pNMHDR, &result);
    else
        (this->*As<void (CCmdTarget::*)(NMHDR *, LRESULT *)>(entry->pfn))(pNMHDR, &result);
    if (pResult != nullptr)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT *pResult)
{
    CWnd *pChild = FromHandlePermanent(hWndChild);
    if (pChild == nullptr)
        return FALSE;
    const MSG msg = ThreadState().lastMsg;
    return pChild->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    if (message == WM_COMMAND)
    {
        const AfxMsgMapEntry *entry = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        if (entry == nullptr)
            return FALSE;
        if (entry->nSig == AfxSig::CmdEx)
            return (this->*As<BOOL (CCmdTarget::*)()>(entry->pfn))();
        if (entry->nSig != AfxSig::Cmd)
            return FALSE;
        (this->*entry->pfn)();
        return TRUE;
    }
    if (message == WM_NOTIFY)
    {
        NMHDR *pNMHDR = reinterpret_cast<NMHDR *>(lParam);
        const AfxMsgMapEntry *entry =
            pNMHDR != nullptr ? FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, pNMHDR->code, 0) : nullptr;
        if (entry == nullptr)
            return FALSE;
        LRESULT result = 0;
        if (entry->nSig == AfxSig::NotifyEx)
        {
            if (!(this->*As<BOOL (CCmdTarget::*)(NMHDR *, LRESULT *)>(entry->pfn))(pNMHDR, &result))
                return FALSE;
        }
        else if (entry->nSig == AfxSig::Notify)
            (this->*As<void (CCmdTarget::*)(NMHDR *, LRESULT *)>(entry->pfn))(pNMHDR, &result);
        else
            return FALSE;
        if (pResult != nullptr)
            *pResult = result;
        return TRUE;
    }
    if (IsCtlColor(message))
    {
        const AfxMsgMapEntry *entry = FindMessageEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
        if (entry == nullptr || entry->nSig != AfxSig::hbr_dc_u)
            return FALSE;
        HBRUSH brush = (this->*As<HBRUSH (CCmdTarget::*)(CDC *, UINT)>(entry->pfn))(
            CDC::FromHandle(reinterpret_cast<HDC>(wParam)), message - WM_CTLCOLORMSGBOX);
        // No brush: the control leaves the colours to its parent.
        if (brush == nullptr)
            return FALSE;
        if (pResult != nullptr)
            *pResult = reinterpret_cast<LRESULT>(brush);
        return TRUE;
    }
    const AfxMsgMapEntry *entry = FindMessageEntry(WM_REFLECT_BASE + message, 0, 0);
    return entry != nullptr && DispatchEntry(entry, WM_REFLECT_BASE + message, wParam, lParam, pResult);
}

// --- Default handlers ---

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}
void CWnd::OnDestroy()
{
    Default();
}
void CWnd::OnNcDestroy()
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
void CWnd::OnNcPaint()
{
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC *)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnTimer(UINT_PTR)
{
    Default();
}
void CWnd::OnSize(UINT, int, int)
{
    Default();
}
void CWnd::OnSizing(UINT, LPRECT)
{
    Default();
}
void CWnd::OnMove(int, int)
{
    Default();
}
void CWnd::OnClose()
{
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT)
{
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseHover(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseLeave()
{
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnSetCursor(CWnd *, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}
LRESULT CWnd::OnNcHitTest(CPoint)
{
    return Default();
}
void CWnd::OnNcLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnSysKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}
UINT CWnd::OnGetDlgCode()
{
    return static_cast<UINT>(Default());
}
void CWnd::OnSetFocus(CWnd *)
{
    Default();
}
void CWnd::OnKillFocus(CWnd *)
{
    Default();
}
void CWnd::OnCaptureChanged(CWnd *)
{
    Default();
}
void CWnd::OnWindowPosChanging(WINDOWPOS *)
{
    Default();
}
void CWnd::OnWindowPosChanged(WINDOWPOS *)
{
    Default();
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO *)
{
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}
void CWnd::OnActivate(UINT, CWnd *, BOOL)
{
    Default();
}
void CWnd::OnActivateApp(BOOL, DWORD)
{
    Default();
}
void CWnd::OnEnable(BOOL)
{
    Default();
}
void CWnd::OnContextMenu(CWnd *, CPoint)
{
    Default();
}
void CWnd::OnInitMenuPopup(CMenu *, UINT, BOOL)
{
    Default();
}
LRESULT CWnd::OnMenuChar(UINT, UINT, CMenu *)
{
    return Default();
}
BOOL CWnd::OnCopyData(CWnd *, COPYDATASTRUCT *)
{
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnDeviceChange(UINT, DWORD_PTR)
{
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnQueryEndSession()
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnEndSession(BOOL)
{
    Default();
}
void CWnd::OnSettingChange(UINT, LPCTSTR)
{
    Default();
}
void CWnd::OnSysColorChange()
{
    Default();
}
void CWnd::OnCancelMode()
{
    Default();
}
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS *)
{
    Default();
}
BOOL CWnd::OnNcActivate(BOOL)
{
    return static_cast<BOOL>(Default());
}
HCURSOR CWnd::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(Default());
}

HBRUSH CWnd::OnCtlColor(CDC *, CWnd *pWnd, UINT)
{
    LRESULT result = 0;
    if (pWnd != nullptr && ReflectLastMsg(pWnd->m_hWnd, &result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct != nullptr)
    {
        if (lpDrawItemStruct->CtlType == ODT_MENU)
        {
            CMenu *pMenu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(lpDrawItemStruct->hwndItem));
            if (pMenu != nullptr)
            {
                pMenu->DrawItem(lpDrawItemStruct);
                return;
            }
        }
        else if (ReflectLastMsg(lpDrawItemStruct->hwndItem))
        {
            return;
        }
    }
    Default();
}

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct != nullptr)
    {
        if (lpMeasureItemStruct->CtlType == ODT_MENU)
        {
            HMENU hMenu = ThreadState().hTrackingMenu;
            if (hMenu == nullptr)
                hMenu = ::GetMenu(m_hWnd);
            CMenu *pMenu = hMenu != nullptr ? FindPopupMenuFromID(hMenu, lpMeasureItemStruct->itemID) : nullptr;
            if (pMenu != nullptr)
            {
                pMenu->MeasureItem(lpMeasureItemStruct);
                return;
            }
        }
        else
        {
            HWND hWndChild = ::GetDlgItem(m_hWnd, static_cast<int>(lpMeasureItemStruct->CtlID));
            if (hWndChild != nullptr && ReflectLastMsg(hWndChild))
                return;
        }
    }
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar *pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(pScrollBar->m_hWnd))
        return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar *pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(pScrollBar->m_hWnd))
        return;
    Default();
}

// CWnd's own entries make reflection work for every window, whether or not its class maps these messages.
BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_CTLCOLOR()
ON_WM_DRAWITEM()
ON_WM_MEASUREITEM()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()
