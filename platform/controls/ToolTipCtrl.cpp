#include "platform/controls/ToolTipCtrl.h"

BOOL CToolTipCtrl::Create(CWnd *pParentWnd, DWORD dwStyle)
{
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    HWND hParent = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
    return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, hParent, nullptr);
}

TTTOOLINFOW CToolTipCtrl::ToolInfo(CWnd *pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOW info = {};
    // Version 5 of the common controls (no version-6 manifest) refuses a record of the newer, larger size.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    info.uId = nIDTool;
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd *pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (m_hWnd == nullptr || pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr)
        return FALSE;
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    if (lpRectTool != nullptr && nIDTool != 0)
    {
        info.rect = *lpRectTool;
    }
    else
    {
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->GetSafeHwnd());
    }
    info.lpszText = lpszText != nullptr ? const_cast<LPWSTR>(lpszText) : LPSTR_TEXTCALLBACKW;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd *pWnd, UINT_PTR nIDTool)
{
    if (m_hWnd == nullptr || pWnd == nullptr)
        return;
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    if (nIDTool == 0)
    {
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->GetSafeHwnd());
    }
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd *pWnd, UINT_PTR nIDTool)
{
    if (m_hWnd == nullptr || pWnd == nullptr)
        return;
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    if (nIDTool == 0)
    {
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->GetSafeHwnd());
    }
    info.lpszText = lpszText != nullptr ? const_cast<LPWSTR>(lpszText) : LPSTR_TEXTCALLBACKW;
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    SendMessage(TTM_ACTIVATE, bActivate);
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg)
{
    if (m_hWnd != nullptr && lpMsg != nullptr)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg));
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth)
{
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth));
}

int CToolTipCtrl::GetToolCount() const
{
    return m_hWnd != nullptr ? static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)) : 0;
}
