#include "ui/controls/Splitter.h"

#include "platform/drawing/Dc.h"
#include "platform/system/Handles.h"
#include "platform/system/Resources.h"

namespace
{

// One class per cursor: the cursor belongs to the class, so the whole window shows the sizing arrows.
LPCWSTR SplitterClass(bool horizontal)
{
    static const wchar_t kWestEast[] = L"VelbrookSplitterWE";
    static const wchar_t kNorthSouth[] = L"VelbrookSplitterNS";
    LPCWSTR name = horizontal ? kWestEast : kNorthSouth;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(AfxGetInstanceHandle(), name, &existing))
        return name;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursorW(nullptr, horizontal ? IDC_SIZEWE : IDC_SIZENS);
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
    return name;
}

// The 50 % grey pattern brush that inverts every other pixel (none when GDI refuses it).
CGdiObjectOwner<HBRUSH> CreateHalftoneBrush()
{
    static const WORD kPattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    CGdiObjectOwner<HBITMAP> bitmap(::CreateBitmap(8, 8, 1, 1, kPattern));
    return CGdiObjectOwner<HBRUSH>(bitmap.IsValid() ? ::CreatePatternBrush(bitmap) : nullptr);
}

} // namespace

BEGIN_MESSAGE_MAP(CSimpleSplitter, CWnd)
ON_MESSAGE(WM_NCCREATE, &CSimpleSplitter::OnNcCreate)
ON_WM_WINDOWPOSCHANGING()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CSimpleSplitter::CSimpleSplitter(int paneCount, UINT orientation, int minimumPane, int barWidth)
    : m_layout(paneCount, minimumPane, barWidth), m_orientation(orientation),
      m_panes(static_cast<size_t>(m_layout.PaneCount()), nullptr), m_dragBar(0), m_tracked(0), m_barLength(0),
      m_dragOffset(0)
{
}

CSimpleSplitter::~CSimpleSplitter() = default;

BOOL CSimpleSplitter::Create(CWnd *pParent, const RECT &rect, UINT nID)
{
    return CreateEx(WS_EX_CONTROLPARENT, SplitterClass(Horizontal()), L"", WS_CHILD | WS_VISIBLE, rect, pParent, nID);
}

void CSimpleSplitter::SetPane(int index, CWnd *pWnd)
{
    if (index < 0 || index >= GetPaneCount())
        return;
    m_panes[index] = pWnd;
    if (pWnd != nullptr && pWnd->GetSafeHwnd() != nullptr)
    {
        CRect rect;
        GetPaneRect(index, &rect);
        pWnd->MoveWindow(&rect, FALSE);
    }
}

CWnd *CSimpleSplitter::GetPane(int index) const
{
    return index >= 0 && index < GetPaneCount() ? m_panes[index] : nullptr;
}

void CSimpleSplitter::SetPaneSizes(const int *sizes)
{
    if (!m_layout.SetSizes(sizes, GetPaneCount()))
        return;
    RecalcLayout();
    ResizePanes();
}

void CSimpleSplitter::SetActivePane(int index)
{
    CWnd *pane = GetPane(index);
    if (pane != nullptr && pane->GetSafeHwnd() != nullptr)
        pane->SetFocus();
}

void CSimpleSplitter::GetPaneRect(int index, LPRECT lpRect) const
{
    if (lpRect == nullptr)
        return;
    int start = 0;
    int end = 0;
    if (m_hWnd == nullptr || !m_layout.PaneSpan(index, start, end))
    {
        ::SetRectEmpty(lpRect);
        return;
    }
    GetClientRect(lpRect);
    if (Horizontal())
    {
        lpRect->left = start;
        lpRect->right = end;
    }
    else
    {
        lpRect->top = start;
        lpRect->bottom = end;
    }
}

int CSimpleSplitter::ClientExtent() const
{
    CRect client;
    GetClientRect(&client);
    return Horizontal() ? client.Width() : client.Height();
}

void CSimpleSplitter::RecalcLayout()
{
    if (m_hWnd == nullptr)
        return;
    CRect client;
    GetClientRect(&client);
    if (client.Width() <= 0)
        return;
    m_layout.Recompute(Horizontal() ? client.Width() : client.Height());
}

void CSimpleSplitter::ResizePanes()
{
    if (m_hWnd == nullptr)
        return;
    for (int i = 0; i < GetPaneCount(); ++i)
    {
        if (m_panes[i] == nullptr || m_panes[i]->GetSafeHwnd() == nullptr)
            continue;
        CRect rect;
        GetPaneRect(i, &rect);
        m_panes[i]->MoveWindow(&rect, TRUE);
    }
}

LRESULT CSimpleSplitter::OnNcCreate(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (result != 0)
    {
        HWND parent = ::GetParent(m_hWnd);
        if (parent != nullptr)
            CWnd::FromHandle(parent)->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    }
    return result;
}

void CSimpleSplitter::OnWindowPosChanging(WINDOWPOS *lpwndpos)
{
    if (lpwndpos != nullptr)
        lpwndpos->flags |= SWP_NOCOPYBITS;
    CWnd::OnWindowPosChanging(lpwndpos);
}

void CSimpleSplitter::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    RecalcLayout();
    ResizePanes();
}

void CSimpleSplitter::OnPaint()
{
    CPaintDC dc(this);
    const CRect paint(dc.m_ps.rcPaint);
    const std::vector<int> &positions = m_layout.Positions();
    const int bar = m_layout.BarWidth();
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    for (int i = 1; i < GetPaneCount(); ++i)
    {
        CRect fill = Horizontal() ? CRect(positions[i] - bar, paint.top, positions[i], paint.bottom)
                                  : CRect(paint.left, positions[i] - bar, paint.right, positions[i]);
        ::FillRect(dc.GetSafeHdc(), &fill, face);
    }
}

void CSimpleSplitter::DrawTracker()
{
    CClientDC dc(this);
    if (dc.GetSafeHdc() == nullptr)
        return;
    CGdiObjectOwner<HBRUSH> brush = CreateHalftoneBrush();
    if (brush.IsValid())
    {
        const int bar = m_layout.BarWidth();
        CSelectObjectGuard selected(dc, brush.Get());
        if (Horizontal())
            dc.PatBlt(m_tracked - bar, 0, bar, m_barLength, PATINVERT);
        else
            dc.PatBlt(0, m_tracked - bar, m_barLength, bar, PATINVERT);
    }
}

void CSimpleSplitter::OnLButtonDown(UINT, CPoint point)
{
    const int p = AlongAxis(point);
    // A press counts only on a bar: over a pane without a window (such as the last) there is none to drag.
    const int bar = m_layout.BarAt(p);
    if (bar == 0)
        return;
    SetCapture();
    m_dragBar = bar;
    m_tracked = m_layout.Positions()[bar];
    m_dragOffset = p - m_tracked;
    CRect client;
    GetClientRect(&client);
    m_barLength = Horizontal() ? client.Height() : client.Width();
    DrawTracker();
}

void CSimpleSplitter::OnMouseMove(UINT, CPoint point)
{
    if (m_dragBar == 0 || ::GetCapture() != m_hWnd)
        return;
    DrawTracker();
    m_tracked = m_layout.ClampDrag(m_dragBar, AlongAxis(point) - m_dragOffset);
    DrawTracker();
}

void CSimpleSplitter::OnLButtonUp(UINT, CPoint)
{
    if (m_dragBar == 0 || ::GetCapture() != m_hWnd)
        return;
    DrawTracker();
    const int bar = m_dragBar;
    m_dragBar = 0;
    ::ReleaseCapture();
    if (m_layout.Release(bar, m_tracked, ClientExtent()))
        ResizePanes();
}
