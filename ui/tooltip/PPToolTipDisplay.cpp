// The tooltip on the screen: the display of the next tool (notification, measuring, placement, region,
// background, the snapshot of the screen beneath) and the painting of the balloon with its shade.
#include "ui/tooltip/PPToolTip.h"

#include <algorithm>

#include "platform/drawing/Dc.h"

void CPPToolTip::FreeDisplay()
{
    m_tipRegion.Close();
    m_background.Free();
    m_snapshot.Free();
}

void CPPToolTip::DisplayTooltip()
{
    ToolInfo &ti = m_next.ti;
    if ((ti.nMask & MASK_STYLES) == 0)
        ti.nStyles = m_defaults.nStyles;
    if ((ti.nMask & MASK_EFFECT) == 0)
    {
        ti.nEffect = m_defaults.nEffect;
        ti.nGranularity = m_defaults.nGranularity;
    }
    if ((ti.nMask & MASK_COLOURS) == 0)
    {
        ti.crBegin = m_defaults.crBegin;
        ti.crMid = m_defaults.crMid;
        ti.crEnd = m_defaults.crEnd;
    }
    if ((ti.nMask & MASK_DIRECTION) == 0)
        ti.nDirection = m_defaults.nDirection;
    if ((ti.nMask & MASK_BEHAVIOUR) == 0)
        ti.nBehaviour = m_defaults.nBehaviour;
    if ((ti.nMask & MASK_TRANSPARENCY) == 0)
        ti.nTransparency = m_defaults.nTransparency;

    // A tool that is gone or disabled shows nothing; the state machine runs on without a window.
    if (m_next.hWnd == nullptr || !::IsWindow(m_next.hWnd) || !::IsWindowEnabled(m_next.hWnd))
        return;
    CPoint point = m_ptOriginal;
    if (m_hNotifyWnd != nullptr)
    {
        ToolDisplayNotify notify = {};
        notify.hdr.hwndFrom = m_hWnd;
        notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        notify.hdr.code = NOTIFY_TOOLTIP_DISPLAY;
        notify.hwndTool = m_next.hWnd;
        notify.pt = &point;
        notify.ti = &ti;
        ::SendMessageW(m_hNotifyWnd, WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
    }
    if (ti.sTooltip.IsEmpty())
        return;

    CSize text;
    {
        CWindowDCOwner dc(m_hWnd);
        text = m_drawer.Measure(dc, ti.sTooltip);
    }
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const CRect screen(left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    m_placement = PlaceToolTip(point, text, ti.nDirection, m_sizes, screen);

    FreeDisplay();
    const CSize body = m_placement.rcWindow.Size();
    m_tipRegion.Attach(CreateTipRegion(body, m_placement.ptAnchor, m_placement.nDirection, m_sizes));
    if (!m_tipRegion.IsValid() || !m_background.Create(body.cx, body.cy, true))
    {
        FreeDisplay();
        return;
    }

    // The body's fill; the anchor's strip repeats the body's edge line one pixel inside that edge.
    const CRect &content = m_placement.rcContent;
    HDC background = m_background.GetDC();
    m_drawer.GetDrawManager().FillEffect(background, static_cast<int>(ti.nEffect), content, ti.crBegin, ti.crMid,
                                         ti.crEnd, ti.nGranularity, 5);
    if (IsValidDirection(m_placement.nDirection) && m_sizes.nAnchorHeight > 0)
    {
        CPPDrawManager &draw = m_drawer.GetDrawManager();
        switch (m_placement.nDirection & 0xF0)
        {
        case SIDE_BELOW:
            draw.TileBlt(background, CRect(content.left, 0, content.right, content.top), background, content.left,
                         content.top + 1, content.Width(), 1);
            break;
        case SIDE_ABOVE:
            draw.TileBlt(background, CRect(content.left, content.bottom, content.right, body.cy), background,
                         content.left, content.bottom - 2, content.Width(), 1);
            break;
        case SIDE_RIGHT:
            draw.TileBlt(background, CRect(0, content.top, content.left, content.bottom), background, content.left + 1,
                         content.top, 1, content.Height());
            break;
        default:
            draw.TileBlt(background, CRect(content.right, content.top, body.cx, content.bottom), background,
                         content.right - 2, content.top, 1, content.Height());
            break;
        }
    }

    m_nTransparency = m_nShowEffect == SHOW_EFFECT_FADE && m_nTimeFadeIn > 0 ? 100 : static_cast<int>(ti.nTransparency);

    const bool shaded = m_nShadeOffsetX != 0 || m_nShadeOffsetY != 0;
    const CSize size = shaded ? ShadedWindowSize(body, m_nShadeOffsetX, m_nShadeOffsetY) : body;
    const CRect &window = m_placement.rcWindow;
    // The window owns the region it is given.
    SetWindowRgn(CreateShadedRegion(m_tipRegion.Get(), m_nShadeOffsetX, m_nShadeOffsetY), FALSE);

    // What lies beneath comes from the screen before the window shows: the window's own DC would give its
    // undrawn surface.
    if (m_snapshot.Create(size.cx, size.cy, true))
    {
        CWindowDCOwner screenDC(nullptr);
        ::BitBlt(m_snapshot.GetDC(), 0, 0, size.cx, size.cy, screenDC, window.left, window.top, SRCCOPY);
    }
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, window.left, window.top, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate(FALSE);
    UpdateWindow();
}

void CPPToolTip::OnPaint()
{
    CPaintDC dc(this);
    m_displayed = m_next;
    Repaint(dc.GetSafeHdc(), m_nTransparency);
}

LRESULT CPPToolTip::OnRepaintTooltip(WPARAM, LPARAM)
{
    CWindowDCOwner dc(m_hWnd);
    Repaint(dc, 0);
    return 1;
}

void CPPToolTip::RepaintNow()
{
    CWindowDCOwner dc(m_hWnd);
    Repaint(dc, m_nTransparency);
}

void CPPToolTip::DrawBorder(HDC hDC, HRGN hRegion)
{
    ::FrameRgn(hDC, hRegion, m_borderBrush.Get(), m_nBorderWidth, m_nBorderHeight);
}

void CPPToolTip::Repaint(HDC hDC, int nTransparency)
{
    if (hDC == nullptr || !m_background.IsValid() || !m_snapshot.IsValid() || !m_tipRegion.IsValid())
        return;
    const int t = std::clamp(nTransparency, 0, 100);
    const int bodyWidth = m_background.GetWidth();
    const int bodyHeight = m_background.GetHeight();

    CDibSection picture;
    CDibSection result;
    if (!picture.Create(bodyWidth, bodyHeight, true) ||
        !result.Create(m_snapshot.GetWidth(), m_snapshot.GetHeight(), true))
        return;
    ::BitBlt(picture.GetDC(), 0, 0, bodyWidth, bodyHeight, m_background.GetDC(), 0, 0, SRCCOPY);
    m_drawer.Draw(picture.GetDC(), &m_placement.rcText);
    if (m_borderBrush.IsValid() && m_nBorderWidth > 0 && m_nBorderHeight > 0)
        DrawBorder(picture.GetDC(), m_tipRegion.Get());

    ::BitBlt(result.GetDC(), 0, 0, result.GetWidth(), result.GetHeight(), m_snapshot.GetDC(), 0, 0, SRCCOPY);
    CPPDrawManager &draw = m_drawer.GetDrawManager();
    if (m_nShadeOffsetX != 0 || m_nShadeOffsetY != 0)
    {
        // The shade is the tip region in a grey that pales as the tip grows more transparent.
        CDibSection mask;
        if (mask.Create(bodyWidth, bodyHeight, true))
        {
            const RECT all = {0, 0, bodyWidth, bodyHeight};
            ::FillRect(mask.GetDC(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            const int base = ::MulDiv(255, 100 - m_nShadeDarkness, 100);
            const int grey = base + t * (255 - base) / 100;
            CGdiObjectOwner<HBRUSH> brush(::CreateSolidBrush(RGB(grey, grey, grey)));
            ::FillRgn(mask.GetDC(), m_tipRegion.Get(), brush.Get());
            CGdiObjectOwner<HBITMAP> shade(mask.Detach());
            draw.DrawShade(result.GetDC(), m_nShadeOffsetX, m_nShadeOffsetY, bodyWidth, bodyHeight, shade.Get(),
                           m_bShadeGradient, m_nShadeDepthX, m_nShadeDepthY);
        }
    }
    ::SelectClipRgn(result.GetDC(), m_tipRegion.Get());
    draw.AlphaBlt(result.GetDC(), 0, 0, bodyWidth, bodyHeight, picture.GetDC(), 0, 0, 100 - t);
    ::SelectClipRgn(result.GetDC(), nullptr);
    ::BitBlt(hDC, 0, 0, result.GetWidth(), result.GetHeight(), result.GetDC(), 0, 0, SRCCOPY);
}

BOOL CPPToolTip::OnSetCursor(CWnd *, UINT, UINT)
{
    CPoint point;
    if (g_pfnToolTipGetCursorPos(&point))
    {
        ScreenToClient(&point);
        if (m_drawer.PointerOver(point))
            return TRUE;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

void CPPToolTip::OnActivateApp(BOOL bActive, DWORD dwThreadID)
{
    CWnd::OnActivateApp(bActive, dwThreadID);
    if (!bActive)
        HideTooltip();
}
