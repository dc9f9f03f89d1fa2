#include "ui/controls/EditWithButton.h"

#include <algorithm>

#include "platform/drawing/Dc.h"

namespace editbutton
{

namespace
{

// A rectangle whose right and bottom edges do not lie before its left and top.
CRect NotNegative(CRect rect)
{
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    return rect;
}

} // namespace

Areas AreasOf(const CRect &client)
{
    Areas areas;
    areas.text = NotNegative(CRect(client.left + 7, client.top + 2, client.right - 30, client.bottom - 2));
    areas.button = NotNegative(CRect(client.right - 25, client.top + 2, client.right - 5, client.bottom - 2));
    return areas;
}

PiecePlaces PlacePieces(int windowWidth, int windowHeight, int leftWidth, int rightWidth)
{
    const int top = -2;
    PiecePlaces places;
    places.left = CRect(0, top, leftWidth, top + windowHeight);
    places.right = CRect(windowWidth - rightWidth, top, windowWidth, top + windowHeight);
    int middleWidth = std::max(windowWidth - rightWidth - leftWidth, 0);
    places.middle = CRect(leftWidth, top, leftWidth + middleWidth, top + windowHeight);
    return places;
}

} // namespace editbutton

BEGIN_MESSAGE_MAP(CEditWithButton, CEdit)
ON_WM_CREATE()
ON_WM_SIZE()
ON_MESSAGE(WM_SETFONT, &CEditWithButton::OnSetFont)
ON_WM_ERASEBKGND()
ON_WM_KEYDOWN()
ON_WM_SETCURSOR()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CEditWithButton::CEditWithButton() : m_bSecondFrame(FALSE), m_buttonMessage(WM_EDIT_BUTTON_CLICK)
{
}

CEditWithButton::~CEditWithButton() = default;

void CEditWithButton::Piece::Load(UINT id)
{
    bitmap.DeleteObject();
    size = CSize(0, 0);
    BITMAP info = {};
    if (bitmap.LoadBitmap(id) && bitmap.GetBitmap(&info) != 0)
        size = CSize(info.bmWidth, info.bmHeight);
    else
        bitmap.DeleteObject();
}

void CEditWithButton::Frame::Load(UINT leftId, UINT middleId, UINT rightId)
{
    left.Load(leftId);
    middle.Load(middleId);
    right.Load(rightId);
}

void CEditWithButton::SetButtonMessage(UINT message)
{
    m_buttonMessage = message;
}

void CEditWithButton::SetFrameBitmaps(UINT leftId, UINT middleId, UINT rightId)
{
    m_normal.Load(leftId, middleId, rightId);
}

void CEditWithButton::SetActiveFrameBitmaps(UINT leftId, UINT middleId, UINT rightId)
{
    m_second.Load(leftId, middleId, rightId);
    m_second.loaded = true;
}

void CEditWithButton::PreSubclassWindow()
{
    ModifyStyle(WS_BORDER, ES_MULTILINE);
    ApplyRects();
    CEdit::PreSubclassWindow();
}

void CEditWithButton::ApplyRects()
{
    if (m_hWnd == nullptr)
        return;
    CRect client;
    GetClientRect(&client);
    editbutton::Areas areas = editbutton::AreasOf(client);
    m_textRect = areas.text;
    m_buttonRect = areas.button;
    ::SendMessageW(m_hWnd, EM_SETRECT, 0, reinterpret_cast<LPARAM>(static_cast<RECT *>(&m_textRect)));
}

int CEditWithButton::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    int result = CEdit::OnCreate(lpCreateStruct);
    if (result == -1)
        return -1;
    ApplyRects();
    return result;
}

void CEditWithButton::OnSize(UINT nType, int cx, int cy)
{
    CEdit::OnSize(nType, cx, cy);
    ApplyRects();
}

LRESULT CEditWithButton::OnSetFont(WPARAM, LPARAM)
{
    // The edit resets its formatting rectangle when it takes a font.
    Default();
    ApplyRects();
    return 0;
}

BOOL CEditWithButton::OnEraseBkgnd(CDC *pDC)
{
    if (pDC != nullptr && pDC->GetSafeHdc() != nullptr)
        DrawFrame(*pDC, m_bSecondFrame ? m_second : m_normal);
    return TRUE;
}

void CEditWithButton::DrawFrame(CDC &dc, const Frame &frame)
{
    CRect outer;
    GetWindowRect(&outer);
    CDC memory;
    if (!memory.CreateCompatibleDC(&dc))
        return;
    editbutton::PiecePlaces places =
        editbutton::PlacePieces(outer.Width(), outer.Height(), frame.left.size.cx, frame.right.size.cx);
    int oldMode = dc.SetStretchBltMode(COLORONCOLOR);
    CSelectObjectGuard selected(memory, nullptr);
    auto draw = [&](const Piece &piece, const CRect &place) {
        if (piece.bitmap.GetSafeHandle() == nullptr || place.Width() <= 0 || place.Height() <= 0)
            return;
        selected.Select(piece.bitmap.GetSafeHandle());
        dc.StretchBlt(place.left, place.top, place.Width(), place.Height(), &memory, 0, 0, piece.size.cx, piece.size.cy,
                      SRCCOPY);
    };
    draw(frame.left, places.left);
    draw(frame.right, places.right);
    draw(frame.middle, places.middle);
    if (oldMode != 0)
        dc.SetStretchBltMode(oldMode);
}

void CEditWithButton::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    Invalidate(TRUE);
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CEditWithButton::OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    if (m_textRect.PtInRect(point))
        return CEdit::OnSetCursor(pWnd, nHitTest, message);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

void CEditWithButton::OnLButtonUp(UINT nFlags, CPoint point)
{
    // The edit lets go of the mouse first: the owner may answer with a modal window.
    CEdit::OnLButtonUp(nFlags, point);
    if (!m_buttonRect.PtInRect(point))
        return;
    CWnd *target = GetOwner();
    if (target != nullptr && target->GetSafeHwnd() != nullptr)
        target->SendMessage(m_buttonMessage, 0, 0);
}
