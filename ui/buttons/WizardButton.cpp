#include "ui/buttons/WizardButton.h"

#include <algorithm>

#include "platform/system/Handles.h"
#include "ui/resources/WizardButtonIds.h"

namespace wizardbutton
{

const UINT kDefaultSetIds[12] = {
    IDB_WIZARD_NORMAL_LEFT,     IDB_WIZARD_NORMAL_MIDDLE,  IDB_WIZARD_NORMAL_RIGHT,   IDB_WIZARD_DISABLED_LEFT,
    IDB_WIZARD_DISABLED_MIDDLE, IDB_WIZARD_DISABLED_RIGHT, IDB_WIZARD_HOVER_LEFT,     IDB_WIZARD_HOVER_MIDDLE,
    IDB_WIZARD_HOVER_RIGHT,     IDB_WIZARD_PRESSED_LEFT,   IDB_WIZARD_PRESSED_MIDDLE, IDB_WIZARD_PRESSED_RIGHT,
};

int FaceSet(bool focusedOrHovered, bool disabled)
{
    if (focusedOrHovered)
        return 2;
    return disabled ? 1 : 0;
}

CRect KeptRect(const CRect &client, bool multiLine, int buttonHeight)
{
    CRect kept = client;
    // Without a middle piece to take the height from, the button keeps the height of its template.
    if (!multiLine && buttonHeight > 0)
        kept.bottom = kept.top + buttonHeight;
    return kept;
}

int CaptionLines(int cx, int width)
{
    if (width <= 0)
        return 1;
    return std::max(1, (cx + width - 1) / width);
}

CRect TextRect(const CRect &client, bool multiLine, int cx, int cy)
{
    CRect text = client;
    if (multiLine)
    {
        text.DeflateRect(15, 0);
        const int block = CaptionLines(cx, text.Width()) * cy;
        text.top += (text.Height() - block) / 2;
        text.bottom = text.top + block;
        return text;
    }
    const int band = (client.Height() - cy) / 2;
    text.top += band;
    text.bottom -= band;
    return text;
}

} // namespace wizardbutton

namespace
{

// Draws the piece stretched over dest, its key-coloured pixels leaving the destination as it was.
void DrawKeyed(HDC target, const CRect &dest, HBITMAP piece, CSize size)
{
    if (dest.Width() <= 0 || dest.Height() <= 0 || size.cx <= 0 || size.cy <= 0)
        return;
    CDCOwner pieceDC(::CreateCompatibleDC(target));
    CDCOwner scratchDC(::CreateCompatibleDC(target));
    CDCOwner maskDC(::CreateCompatibleDC(target));
    CGdiObjectOwner<HBITMAP> scratch(::CreateCompatibleBitmap(target, dest.Width(), dest.Height()));
    CGdiObjectOwner<HBITMAP> mask(::CreateBitmap(dest.Width(), dest.Height(), 1, 1, nullptr));
    if (!pieceDC.IsValid() || !scratchDC.IsValid() || !maskDC.IsValid() || !scratch.IsValid() || !mask.IsValid())
        return;
    CSelectObjectGuard pieceSelected(pieceDC.Get(), piece);
    CSelectObjectGuard scratchSelected(scratchDC.Get(), scratch.Get());
    CSelectObjectGuard maskSelected(maskDC.Get(), mask.Get());
    // Stretching that picks pixels, never blends them: the key colour stays exact.
    ::SetStretchBltMode(scratchDC, COLORONCOLOR);
    ::StretchBlt(scratchDC, 0, 0, dest.Width(), dest.Height(), pieceDC, 0, 0, size.cx, size.cy, SRCCOPY);
    // The mask: 1 where the scratch holds the key colour.
    ::SetBkColor(scratchDC, wizardbutton::kKeyColour);
    ::BitBlt(maskDC, 0, 0, dest.Width(), dest.Height(), scratchDC, 0, 0, SRCCOPY);
    // Key pixels of the scratch to black (mask 1 -> background colour black, 0 -> text colour white; AND).
    ::SetBkColor(scratchDC, RGB(0, 0, 0));
    ::SetTextColor(scratchDC, RGB(255, 255, 255));
    ::BitBlt(scratchDC, 0, 0, dest.Width(), dest.Height(), maskDC, 0, 0, SRCAND);
    // The destination keeps its pixels under the key (mask 1 -> white) and is cleared elsewhere, then takes the
    // piece.
    const COLORREF oldBack = ::SetBkColor(target, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(target, RGB(0, 0, 0));
    ::BitBlt(target, dest.left, dest.top, dest.Width(), dest.Height(), maskDC, 0, 0, SRCAND);
    ::BitBlt(target, dest.left, dest.top, dest.Width(), dest.Height(), scratchDC, 0, 0, SRCPAINT);
    ::SetBkColor(target, oldBack);
    ::SetTextColor(target, oldText);
}

} // namespace

BEGIN_MESSAGE_MAP(CWizardButton, CButton)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_MOUSEHOVER()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CWizardButton::CWizardButton()
    : m_multiLine(0), m_hover(0), m_tracking(0), m_roundRegion(1), m_previousPress(32), m_press(32), m_buttonHeight(0)
{
}

CWizardButton::~CWizardButton() = default;

void CWizardButton::SetBitmaps(const UINT *ids, int count)
{
    if (ids == nullptr || count <= 0)
        return;
    for (int first = 0; first < count; first += 3)
    {
        auto set = std::make_unique<BitmapSet>();
        for (int piece = 0; piece < 3 && first + piece < count; ++piece)
        {
            Piece &loaded = set->pieces[piece];
            BITMAP info = {};
            if (loaded.bitmap.LoadBitmap(ids[first + piece]) && loaded.bitmap.GetBitmap(&info) != 0)
                loaded.size = CSize(info.bmWidth, info.bmHeight);
            else
                loaded.bitmap.DeleteObject();
        }
        m_sets.push_back(std::move(set));
    }
    m_buttonHeight = m_sets.front()->pieces[1].size.cy;
}

const CWizardButton::Piece *CWizardButton::PieceOf(int set, int piece) const
{
    if (set >= 0 && set < static_cast<int>(m_sets.size()))
    {
        const Piece &chosen = m_sets[static_cast<size_t>(set)]->pieces[piece];
        if (chosen.bitmap.GetSafeHandle() != nullptr)
            return &chosen;
    }
    if (!m_sets.empty())
    {
        const Piece &normal = m_sets.front()->pieces[piece];
        if (normal.bitmap.GetSafeHandle() != nullptr)
            return &normal;
    }
    return nullptr;
}

void CWizardButton::DrawFace(CDC &dc, const CRect &rect, int set)
{
    const Piece *left = PieceOf(set, 0);
    const Piece *middle = PieceOf(set, 1);
    const Piece *right = PieceOf(set, 2);
    const int leftWidth = left != nullptr ? left->size.cx : 0;
    const int rightWidth = right != nullptr ? right->size.cx : 0;
    const HDC target = dc.GetSafeHdc();
    if (left != nullptr)
        DrawKeyed(target, CRect(rect.left, rect.top, rect.left + leftWidth, rect.bottom),
                  static_cast<HBITMAP>(left->bitmap.GetSafeHandle()), left->size);
    if (right != nullptr)
        DrawKeyed(target, CRect(rect.right - rightWidth, rect.top, rect.right, rect.bottom),
                  static_cast<HBITMAP>(right->bitmap.GetSafeHandle()), right->size);
    if (middle != nullptr)
        DrawKeyed(target, CRect(rect.left + leftWidth, rect.top, rect.right - rightWidth, rect.bottom),
                  static_cast<HBITMAP>(middle->bitmap.GetSafeHandle()), middle->size);
}

void CWizardButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_OWNERDRAW);
    if (GetStyle() & BS_MULTILINE)
        m_multiLine = 1;
    if (m_sets.empty())
        SetBitmaps(wizardbutton::kDefaultSetIds, static_cast<int>(std::size(wizardbutton::kDefaultSetIds)));
    CRect client;
    GetClientRect(&client);
    m_client = wizardbutton::KeptRect(client, m_multiLine != 0, m_buttonHeight);
    if (m_client != client)
        SetWindowPos(nullptr, 0, 0, m_client.Width(), m_client.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_roundRegion)
    {
        CRgn region;
        if (region.CreateRoundRectRgn(m_client.left, m_client.top, m_client.right, m_client.bottom, m_client.Height(),
                                      m_client.Height()))
        {
            // The window owns the region from here on.
            if (SetWindowRgn(static_cast<HRGN>(region.GetSafeHandle()), TRUE))
                region.Detach();
        }
    }
}

void CWizardButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->hDC == nullptr)
        return;
    CBorrowedDC dc(lpDIS->hDC);
    const CRect client(lpDIS->rcItem);
    m_caption.Empty();
    if (m_hWnd != nullptr)
        GetWindowText(m_caption);
    dc.SetBkColor(RGB(203, 203, 203));
    const CSize extent = dc.GetTextExtent(m_caption);
    const CRect text = wizardbutton::TextRect(client, m_multiLine != 0, extent.cx, extent.cy);

    const UINT state = lpDIS->itemState;
    const bool disabled = (state & ODS_DISABLED) != 0;
    DrawFace(dc, client, wizardbutton::FaceSet((state & ODS_FOCUS) != 0 || m_hover != 0, disabled));
    if (state & ODS_SELECTED)
        DrawFace(dc, client, 3);

    dc.SetTextColor(disabled ? ::GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    CRect drawn = text;
    dc.DrawText(m_caption, &drawn, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
}

LRESULT CWizardButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A double click acts as a second click.
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    return CButton::WindowProc(message, wParam, lParam);
}

void CWizardButton::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_previousPress = m_press;
    m_press = m_client.PtInRect(point) ? 1 : 32;
    if (m_press != m_previousPress)
        Invalidate();
    // Passed on as a button-down even when it came as a double click.
    DefWindowProc(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
}

void CWizardButton::OnLButtonUp(UINT nFlags, CPoint point)
{
    m_previousPress = m_press;
    m_press = 32;
    if (m_press != m_previousPress)
        Invalidate();
    CButton::OnLButtonUp(nFlags, point);
}

void CWizardButton::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_tracking)
    {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        m_tracking = ::_TrackMouseEvent(&track) ? 1 : 0;
    }
    CButton::OnMouseMove(nFlags, point);
}

void CWizardButton::OnMouseLeave()
{
    m_hover = 0;
    m_tracking = 0;
    Invalidate(FALSE);
    CButton::OnMouseLeave();
}

void CWizardButton::OnMouseHover(UINT nFlags, CPoint point)
{
    m_hover = 1;
    Invalidate();
    CButton::OnMouseHover(nFlags, point);
}

BOOL CWizardButton::OnEraseBkgnd(CDC *)
{
    return TRUE;
}
