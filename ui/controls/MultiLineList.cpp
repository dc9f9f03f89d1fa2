#include "ui/controls/MultiLineList.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "platform/drawing/Dc.h"
#include "platform/system/Resources.h"

namespace
{

const wchar_t kClassName[] = L"CMultilineList";
const UINT kDrawFormat = DT_WORDBREAK | DT_NOPREFIX;

} // namespace

BEGIN_MESSAGE_MAP(CMultilineList, CWnd)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_WM_MOUSEWHEEL()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CMultilineList::CMultilineList()
    : m_crBackground(RGB(0xF6, 0xF6, 0xF6)), m_selectedRow(-1), m_vertPosition(0), m_horzPosition(0),
      m_horizontalGridLines(true), m_verticalGridLines(true), m_bitmapSize(0, 0), m_gridPenColour(0)
{
    RegisterWindowClass();
}

CMultilineList::~CMultilineList() = default;

void CMultilineList::RegisterWindowClass()
{
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSW existing = {};
    if (::GetClassInfoW(instance, kClassName, &existing))
        return;
    WNDCLASSW wc = {};
    // Global: a dialog of the language library creates its controls for that module, not for the program.
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (::RegisterClassW(&wc) == 0)
    {
        DWORD error = ::GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS)
            throw std::system_error(static_cast<int>(error), std::system_category(),
                                    "cannot register the CMultilineList window class");
    }
}

// --- Owner operations ---

void CMultilineList::SetSize(int columns, int rows)
{
    if (m_model.SetSize(columns, rows))
        RefreshAfterChange();
}

void CMultilineList::SetColumnWidth(int column, int width)
{
    if (m_model.SetColumnWidth(column, width))
        RefreshAfterChange();
}

void CMultilineList::SetItemText(int column, int row, LPCWSTR text)
{
    if (m_model.SetItemText(column, row, CString(text != nullptr ? text : L"")))
        RefreshAfterChange();
}

void CMultilineList::SetVerticalGridLines(BOOL bOn)
{
    m_verticalGridLines = bOn != FALSE;
}

void CMultilineList::RefreshAfterChange()
{
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
    Relayout();
    UpdateScrollBars();
}

// --- Set-up ---

void CMultilineList::PreSubclassWindow()
{
    ModifyStyle(0, WS_BORDER);
    // Shrinking by a pixel and back makes the window take the new frame.
    CRect rect;
    GetWindowRect(&rect);
    HWND parent = (GetStyle() & WS_CHILD) != 0 ? ::GetParent(m_hWnd) : nullptr;
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&rect), 2);
    MoveWindow(rect.left, rect.top, rect.Width() - 1, rect.Height(), TRUE);
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);

    EnsureOffscreen();
    CreateGridPen();
    CreateCellFont();
    m_vertBar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_RIGHTALIGN, CRect(0, 0, 0, 0), this, kVerticalBarId);
    m_horzBar.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ | SBS_BOTTOMALIGN, CRect(0, 0, 0, 0), this, kHorizontalBarId);
    PositionScrollBars();
    Relayout();
    UpdateScrollBars();
    CWnd::PreSubclassWindow();
}

void CMultilineList::CreateGridPen()
{
    m_gridPen.DeleteObject();
    m_gridPenColour = ::GetSysColor(COLOR_WINDOWFRAME);
    m_gridPen.CreatePen(PS_SOLID, 1, m_gridPenColour);
}

void CMultilineList::CreateCellFont()
{
    HWND parent = ::GetParent(m_hWnd);
    HFONT parentFont = parent != nullptr ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW font = {};
    if (parentFont == nullptr || ::GetObjectW(parentFont, sizeof(font), &font) == 0)
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    m_cellFont.DeleteObject();
    m_cellFont.CreateFontIndirect(&font);
}

bool CMultilineList::EnsureOffscreen()
{
    if (m_hWnd == nullptr)
        return false;
    if (m_memDC.GetSafeHdc() == nullptr)
    {
        CClientDC windowDC(this);
        if (!m_memDC.CreateCompatibleDC(&windowDC))
            return false;
    }
    CRect outer;
    GetWindowRect(&outer);
    if (outer.Width() <= 0 || outer.Height() <= 0)
        return false;
    if (m_bitmap.GetSafeHandle() == nullptr || m_bitmapSize.cx != outer.Width() || m_bitmapSize.cy != outer.Height())
    {
        m_bitmap.DeleteObject();
        m_bitmapSize = CSize(0, 0);
        CClientDC windowDC(this);
        if (!m_bitmap.CreateCompatibleBitmap(&windowDC, outer.Width(), outer.Height()))
            return false;
        m_bitmapSize = CSize(outer.Width(), outer.Height());
    }
    return true;
}

// --- Layout and scroll bars ---

void CMultilineList::Relayout()
{
    HDC dc = m_memDC.GetSafeHdc();
    if (dc == nullptr)
        return;
    CSelectObjectGuard font(dc, m_cellFont.GetSafeHandle());
    m_model.Layout([dc](const CString &text, int width) { return mllist::MeasureCellHeight(dc, text, width); });
}

bool CMultilineList::IsBarVisible(const CScrollBar &bar) const
{
    return bar.m_hWnd != nullptr && (bar.GetStyle() & WS_VISIBLE) != 0;
}

CRect CMultilineList::GetDataRect() const
{
    CRect client;
    if (m_hWnd != nullptr)
        GetClientRect(&client);
    return mllist::DataRect(client, IsBarVisible(m_vertBar), IsBarVisible(m_horzBar), ::GetSystemMetrics(SM_CXVSCROLL),
                            ::GetSystemMetrics(SM_CYHSCROLL));
}

void CMultilineList::PositionScrollBars()
{
    if (m_hWnd == nullptr)
        return;
    CRect client;
    GetClientRect(&client);
    int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    if (m_vertBar.m_hWnd != nullptr)
        m_vertBar.MoveWindow(mllist::VerticalBarRect(client, barWidth));
    if (m_horzBar.m_hWnd != nullptr)
        m_horzBar.MoveWindow(mllist::HorizontalBarRect(client, IsBarVisible(m_vertBar), barWidth, barHeight));
}

void CMultilineList::UpdateScrollBar(CScrollBar &bar, int content, int extent, int position)
{
    if (bar.m_hWnd == nullptr)
        return;
    if (content <= extent)
    {
        bar.EnableWindow(FALSE);
        bar.ShowWindow(SW_HIDE);
        return;
    }
    if (!bar.IsWindowEnabled())
    {
        bar.EnableWindow(TRUE);
        bar.ShowWindow(SW_SHOW);
    }
    SCROLLINFO current = {};
    current.cbSize = sizeof(current);
    current.fMask = SIF_ALL;
    bar.GetScrollInfo(&current, SIF_ALL);
    if (current.nMin == 0 && current.nMax == content && current.nPage == static_cast<UINT>(extent) &&
        current.nPos == position)
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = content;
    info.nPage = static_cast<UINT>(extent);
    info.nPos = position;
    bar.SetScrollInfo(&info, TRUE);
}

void CMultilineList::UpdateScrollBars()
{
    if (m_hWnd == nullptr)
        return;
    bool vertWasVisible = IsBarVisible(m_vertBar);
    UpdateScrollBar(m_vertBar, m_model.GetContentHeight(), GetDataRect().Height(), m_vertPosition);
    UpdateScrollBar(m_horzBar, m_model.GetContentWidth(), GetDataRect().Width(), m_horzPosition);
    // The horizontal bar leaves the corner to the vertical one only while that one shows.
    if (vertWasVisible != IsBarVisible(m_vertBar))
        PositionScrollBars();
}

// --- Rows under the pointer ---

int CMultilineList::HitTest(CPoint point)
{
    Relayout();
    CRect data = GetDataRect();
    if (!data.PtInRect(point))
        return -1;
    return m_model.RowAt(m_vertPosition + point.y - data.top);
}

void CMultilineList::ShowRow(int row)
{
    Relayout();
    m_vertPosition = mllist::PositionShowingRow(m_model, row, m_vertPosition, GetDataRect().Height());
    Invalidate(FALSE);
    UpdateScrollBars();
}

// --- Messages ---

BOOL CMultilineList::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CMultilineList::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    PositionScrollBars();
    UpdateScrollBars();
}

void CMultilineList::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    CWnd::OnVScroll(nSBCode, nPos, pScrollBar);
    Relayout();
    m_vertPosition =
        mllist::ScrollVertically(m_model, nSBCode, static_cast<int>(nPos), m_vertPosition, GetDataRect().Height());
    Invalidate(TRUE);
    UpdateScrollBars();
}

void CMultilineList::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    CWnd::OnHScroll(nSBCode, nPos, pScrollBar);
    m_horzPosition =
        mllist::ScrollHorizontally(m_model, nSBCode, static_cast<int>(nPos), m_horzPosition, GetDataRect().Width());
    Invalidate(TRUE);
    UpdateScrollBars();
}

BOOL CMultilineList::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    // Passed on once: the parent would see it twice otherwise.
    CWnd::OnMouseWheel(nFlags, zDelta, pt);
    Relayout();
    m_vertPosition = mllist::ScrollByWheel(m_model, zDelta, m_vertPosition, GetDataRect().Height());
    Invalidate(TRUE);
    UpdateScrollBars();
    return TRUE;
}

void CMultilineList::OnLButtonDown(UINT, CPoint point)
{
    m_selectedRow = HitTest(point);
    Invalidate(FALSE);
    UpdateScrollBars();
    if (m_selectedRow != -1)
        ShowRow(m_selectedRow);
    HWND parent = ::GetParent(m_hWnd);
    if (parent != nullptr)
        ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 1), reinterpret_cast<LPARAM>(m_hWnd));
}

void CMultilineList::OnPaint()
{
    CPaintDC dc(this);
    if (!EnsureOffscreen())
        return;
    if (m_gridPenColour != ::GetSysColor(COLOR_WINDOWFRAME))
        CreateGridPen();
    Relayout();
    CRect data = GetDataRect();
    HDC memory = m_memDC.GetSafeHdc();
    CSelectObjectGuard font(memory, m_cellFont.GetSafeHandle());
    CSelectObjectGuard bitmap(memory, m_bitmap.GetSafeHandle());
    DrawCells(m_memDC, data);
    dc.BitBlt(data.left, data.top, data.Width(), data.Height(), &m_memDC, data.left, data.top, SRCCOPY);
}

// Rows are drawn from the stored texts, so a row whose stored height came from the ';' break may draw
// shorter than the height that scrolling counts; the next row follows the drawn one.
void CMultilineList::DrawCells(CDC &dc, const CRect &data)
{
    HDC hdc = dc.GetSafeHdc();
    dc.SetBkColor(m_crBackground);
    dc.FillSolidRect(&data, m_crBackground);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWFRAME));
    CSelectObjectGuard pen(hdc, m_gridPen.GetSafeHandle());

    int first = m_model.TopRow(m_vertPosition);
    if (first < 0)
        return;
    CRect client;
    GetClientRect(&client);
    int y = data.top - m_vertPosition + m_model.GetRowTop(first);
    for (int row = first; row < m_model.GetRowCount() && y < data.bottom; ++row)
    {
        int bottom = y;
        int x = data.left - m_horzPosition;
        for (int column = 0; column < m_model.GetColumnCount(); ++column)
        {
            int width = m_model.GetColumnWidth(column);
            CString text = m_model.GetItemText(column, row);
            CRect cell(x, y, x + width, y);
            cell.DeflateRect(mllist::kCellMargin, mllist::kCellMargin);
            CRect textRect = mllist::MeasureTextRect(hdc, text, cell);
            textRect.bottom += 3;
            bottom = std::max(bottom, static_cast<int>(textRect.bottom));
            std::wstring buffer(text.GetString(), static_cast<size_t>(text.GetLength()));
            buffer.push_back(L'\0');
            ::DrawTextExW(hdc, &buffer[0], text.GetLength(), &textRect, kDrawFormat, nullptr);
            x += width;
        }
        if (m_horizontalGridLines)
        {
            dc.MoveTo(client.left, bottom + 1);
            dc.LineTo(client.right, bottom + 1);
            if (row != first)
            {
                dc.MoveTo(client.left, y + 1);
                dc.LineTo(client.right, y + 1);
            }
        }
        if (m_verticalGridLines)
        {
            x = data.left - m_horzPosition;
            for (int column = 0; column < m_model.GetColumnCount() && x <= data.right; ++column)
            {
                x += m_model.GetColumnWidth(column);
                dc.MoveTo(x, y + 1);
                dc.LineTo(x, bottom + 1);
            }
        }
        y = bottom;
    }
}
