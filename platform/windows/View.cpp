#include "platform/windows/View.h"

#include <algorithm>

#include "platform/system/Resources.h"
#include "platform/windows/WndInternal.h"

using namespace afx_internal;

namespace
{

// The form's controls are handled by the form view's message map; the dialog procedure handles nothing.
INT_PTR CALLBACK FormDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

LPCDLGTEMPLATE LoadDialogTemplate(LPCWSTR name, HINSTANCE &hInst)
{
    if (name == nullptr)
        return nullptr;
    hInst = AfxFindResourceHandle(name, RT_DIALOG);
    HRSRC found = ::FindResourceW(hInst, name, RT_DIALOG);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(hInst, found) : nullptr;
    return loaded != nullptr ? static_cast<LPCDLGTEMPLATE>(::LockResource(loaded)) : nullptr;
}

int BarOf(int bar)
{
    return bar == SB_HORZ ? 0 : 1;
}

SCROLLINFO ScrollInfo(UINT mask)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    return info;
}

} // namespace

// --- CView ---

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                   UINT nID, CCreateContext *pContext)
{
    return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

void CView::OnInitialUpdate()
{
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
}

void CView::OnPrepareDC(CDC *)
{
}

void CView::PostNcDestroy()
{
    delete this;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

// --- CScrollView ---

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE &sizePage, const SIZE &sizeLine)
{
    m_nMapMode = nMapMode;
    m_totalLog = CSize(std::max(0L, sizeTotal.cx), std::max(0L, sizeTotal.cy));
    m_pageDev = sizePage;
    if (m_pageDev.cx == 0)
        m_pageDev.cx = m_totalLog.cx / 10;
    if (m_pageDev.cy == 0)
        m_pageDev.cy = m_totalLog.cy / 10;
    m_lineDev = sizeLine;
    if (m_lineDev.cx == 0)
        m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0)
        m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd != nullptr)
        UpdateBars();
}

CPoint CScrollView::GetScrollPosition() const
{
    if (m_hWnd == nullptr)
        return CPoint(0, 0);
    SCROLLINFO horz = ScrollInfo(SIF_POS);
    SCROLLINFO vert = ScrollInfo(SIF_POS);
    const DWORD style = GetStyle();
    const int x = (style & WS_HSCROLL) && ::GetScrollInfo(m_hWnd, SB_HORZ, &horz) ? horz.nPos : 0;
    const int y = (style & WS_VSCROLL) && ::GetScrollInfo(m_hWnd, SB_VERT, &vert) ? vert.nPos : 0;
    return CPoint(x, y);
}

void CScrollView::CheckScrollBars(BOOL &bHasHorzBar, BOOL &bHasVertBar) const
{
    const DWORD style = m_hWnd != nullptr ? GetStyle() : 0;
    bHasHorzBar = (style & WS_HSCROLL) != 0;
    bHasVertBar = (style & WS_VSCROLL) != 0;
}

void CScrollView::ScrollToPosition(POINT pt)
{
    if (m_hWnd == nullptr)
        return;
    const CPoint old = GetScrollPosition();
    CRect client;
    GetClientRect(&client);
    const DWORD style = GetStyle();
    CPoint target(0, 0);
    if (style & WS_HSCROLL)
        target.x = std::max(0L, std::min<LONG>(pt.x, m_totalLog.cx - client.Width()));
    if (style & WS_VSCROLL)
        target.y = std::max(0L, std::min<LONG>(pt.y, m_totalLog.cy - client.Height()));
    if (target == old)
        return;
    if (style & WS_HSCROLL)
        ::SetScrollPos(m_hWnd, SB_HORZ, target.x, TRUE);
    if (style & WS_VSCROLL)
        ::SetScrollPos(m_hWnd, SB_VERT, target.y, TRUE);
    ::ScrollWindow(m_hWnd, old.x - target.x, old.y - target.y, nullptr, nullptr);
}

void CScrollView::OnPrepareDC(CDC *pDC)
{
    if (pDC == nullptr)
        return;
    pDC->SetMapMode(MM_TEXT);
    const CPoint position = GetScrollPosition();
    pDC->SetViewportOrg(-position.x, -position.y);
    CView::OnPrepareDC(pDC);
}

void CScrollView::UpdateBars()
{
    if (m_hWnd == nullptr || m_nMapMode == 0 || m_bInsideUpdate)
        return;
    // Showing a bar changes the client area and sends WM_SIZE, which would come back here.
    m_bInsideUpdate = true;
    const CPoint old = GetScrollPosition();

    CRect rect;
    GetClientRect(&rect);
    CSize client = rect.Size();
    const DWORD style = GetStyle();
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    // The client area as it would be without bars.
    if (style & WS_VSCROLL)
        client.cx += barWidth;
    if (style & WS_HSCROLL)
        client.cy += barHeight;

    bool needVert = m_totalLog.cy > client.cy;
    bool needHorz = m_totalLog.cx > client.cx;
    if (needVert && !needHorz)
        needHorz = m_totalLog.cx > client.cx - barWidth;
    if (needHorz && !needVert)
        needVert = m_totalLog.cy > client.cy - barHeight;
    if (needVert)
        client.cx -= barWidth;
    if (needHorz)
        client.cy -= barHeight;

    const bool need[2] = {needHorz, needVert};
    const int total[2] = {m_totalLog.cx, m_totalLog.cy};
    const int page[2] = {client.cx, client.cy};
    const int position[2] = {old.x, old.y};
    CPoint now(0, 0);
    for (int bar : {SB_HORZ, SB_VERT})
    {
        const int i = BarOf(bar);
        SCROLLINFO info = ScrollInfo(SIF_PAGE | SIF_RANGE | SIF_POS);
        if (need[i])
        {
            info.nMax = total[i] - 1;
            info.nPage = static_cast<UINT>(std::max(0, page[i]));
            info.nPos = std::max(0, std::min(position[i], total[i] - page[i]));
        }
        ::SetScrollInfo(m_hWnd, bar, &info, FALSE);
        ::ShowScrollBar(m_hWnd, bar, need[i] ? TRUE : FALSE);
        if (need[i])
            ::SetScrollInfo(m_hWnd, bar, &info, TRUE);
        (i == 0 ? now.x : now.y) = info.nPos;
    }
    if (now != old)
        ::ScrollWindow(m_hWnd, old.x - now.x, old.y - now.y, nullptr, nullptr);
    m_bInsideUpdate = false;
}

void CScrollView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

bool CScrollView::ScrollTarget(int bar, UINT nSBCode, int page, int line, int &target) const
{
    SCROLLINFO info = ScrollInfo(SIF_ALL);
    if (!::GetScrollInfo(m_hWnd, bar, &info))
        return false;
    switch (nSBCode)
    {
    case SB_TOP:
        target = 0;
        break;
    case SB_BOTTOM:
        target = info.nMax;
        break;
    case SB_LINEUP:
        target = info.nPos - std::max(1, line);
        break;
    case SB_LINEDOWN:
        target = info.nPos + std::max(1, line);
        break;
    case SB_PAGEUP:
        target = info.nPos - std::max(1, page);
        break;
    case SB_PAGEDOWN:
        target = info.nPos + std::max(1, page);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        // The 32-bit track position; the message's own is only 16 bits wide.
        target = info.nTrackPos;
        break;
    default:
        return false;
    }
    target = std::max(0, target);
    return true;
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    int target = 0;
    if (pScrollBar != nullptr)
        CView::OnHScroll(nSBCode, nPos, pScrollBar);
    else if (ScrollTarget(SB_HORZ, nSBCode, m_pageDev.cx, m_lineDev.cx, target))
        ScrollToPosition(CPoint(target, GetScrollPosition().y));
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    int target = 0;
    if (pScrollBar != nullptr)
        CView::OnVScroll(nSBCode, nPos, pScrollBar);
    else if (ScrollTarget(SB_VERT, nSBCode, m_pageDev.cy, m_lineDev.cy, target))
        ScrollToPosition(CPoint(GetScrollPosition().x, target));
}

BOOL CScrollView::OnMouseWheel(UINT, short zDelta, CPoint)
{
    if (!(GetStyle() & WS_VSCROLL))
        return FALSE;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int step = std::max(1, static_cast<int>(m_lineDev.cy)) * static_cast<int>(lines);
    const CPoint position = GetScrollPosition();
    ScrollToPosition(CPoint(position.x, std::max(0L, position.y - static_cast<LONG>(zDelta * step / WHEEL_DELTA))));
    return TRUE;
}

// --- CFormView ---

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

CFormView::CFormView(UINT nIDTemplate) : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate))
{
}

CFormView::CFormView(LPCWSTR lpszTemplateName) : m_lpszTemplateName(lpszTemplateName)
{
}

BOOL CFormView::Create(LPCWSTR, LPCWSTR, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID, CCreateContext *)
{
    if (m_hWnd != nullptr)
    {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    CREATESTRUCTW cs = {};
    cs.style = dwStyle != 0 ? dwStyle : (WS_CHILD | WS_VISIBLE | WS_BORDER);
    cs.hwndParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    if (!PreCreateWindow(cs))
        return FALSE;

    HINSTANCE hInst = nullptr;
    LPCDLGTEMPLATE dialogTemplate = LoadDialogTemplate(m_lpszTemplateName, hInst);
    if (dialogTemplate == nullptr)
    {
        ::OutputDebugStringW(L"Form view template not found\n");
        return FALSE;
    }
    HWND hWnd = nullptr;
    {
        CCreationHook hook(this);
        hWnd = ::CreateDialogIndirectParamW(hInst, dialogTemplate, cs.hwndParent, &FormDlgProc, 0);
    }
    if (hWnd == nullptr)
        return FALSE;
    if (m_hWnd != hWnd && (m_hWnd != nullptr || !SubclassWindow(hWnd)))
    {
        ::DestroyWindow(hWnd);
        return FALSE;
    }

    ModifyStyle(WS_BORDER | WS_CAPTION, cs.style & (WS_BORDER | WS_CAPTION));
    ModifyStyleEx(WS_EX_CLIENTEDGE, cs.dwExStyle & WS_EX_CLIENTEDGE);
    SetDlgCtrlID(static_cast<int>(nID));
    CRect templateRect;
    GetWindowRect(&templateRect);
    SetScrollSizes(MM_TEXT, templateRect.Size());
    SetWindowPos(nullptr, cs.x, cs.y, cs.cx, cs.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (cs.style & WS_VISIBLE)
        ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CFormView::OnInitialUpdate()
{
    if (!UpdateData(FALSE))
        ::OutputDebugStringW(L"Data exchange failed at the form view's first update\n");
    CScrollView::OnInitialUpdate();
}

BOOL CFormView::PreTranslateMessage(MSG *pMsg)
{
    if (CScrollView::PreTranslateMessage(pMsg))
        return TRUE;
    if (m_hWnd == nullptr || pMsg == nullptr || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    // Only keys: the view's own mouse messages must reach its handlers.
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CFormView::OnDraw(CDC *)
{
}
