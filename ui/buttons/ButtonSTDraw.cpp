// NewUI::CButtonST: painting the face, border, image and caption.
#include "ui/buttons/ButtonST.h"

#include "platform/system/Handles.h"

namespace NewUI
{

namespace
{

COLORREF Sys(int index)
{
    return ::GetSysColor(index);
}

void Line(CDC &dc, COLORREF colour, std::initializer_list<POINT> points)
{
    CPen pen(PS_SOLID, 1, colour);
    CSelectObjectGuard selected(dc, pen.GetSafeHandle());
    auto point = points.begin();
    dc.MoveTo(*point);
    for (++point; point != points.end(); ++point)
        dc.LineTo(*point);
}

} // namespace

namespace buttonst
{

bool UsesOutImage(bool hasOut, bool pressed, bool checkBoxMode, bool hovered)
{
    return hasOut && !pressed && (checkBoxMode || !hovered);
}

ImagePlace PlaceImage(const CRect &item, const CRect &caption, CSize image, bool hasCaption, bool pressed,
                      bool checkBoxMode, CPoint margin, CPoint pressOffset)
{
    ImagePlace place;
    place.caption = caption;
    CPoint origin(item.left, item.top + (item.Height() - image.cy) / 2);
    if (hasCaption)
    {
        origin.x += margin.x;
        place.caption.left += margin.x + image.cx;
    }
    else
    {
        origin.x += (item.Width() - image.cx) / 2;
    }
    if (pressed && !checkBoxMode)
        origin.Offset(pressOffset.x, pressOffset.y);
    place.image = CRect(origin, image);
    return place;
}

} // namespace buttonst

void CButtonST::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->hDC == nullptr)
        return;
    CBorrowedDC dc(lpDIS->hDC);
    const UINT state = lpDIS->itemState;
    if (m_checkBoxMode)
        m_pressed = (state & ODS_SELECTED) != 0 || m_checked;
    else
        m_pressed = (state & ODS_SELECTED) != 0;
    m_focused = (state & ODS_FOCUS) != 0;
    m_disabled = (state & ODS_DISABLED) != 0;

    const CRect item(lpDIS->rcItem);
    dc.SetBkMode(TRANSPARENT);
    CRect face = item;
    if (m_transparent)
    {
        PaintBackground(&dc, item);
    }
    else
    {
        DrawFace(&dc, face);
        DrawFrame(&dc, face);
    }

    m_caption.Empty();
    if (m_hWnd != nullptr)
        GetWindowText(m_caption);
    const BOOL hasCaption = m_caption.IsEmpty() ? FALSE : TRUE;
    CRect caption = item;
    if (m_icons[IMAGE_IN].icon != nullptr)
        DrawIcon(&dc, hasCaption, item, caption);
    if (m_images[IMAGE_IN].bitmap != nullptr)
    {
        dc.SetBkColor(RGB(255, 255, 255));
        DrawBitmap(&dc, hasCaption, item, caption);
    }
    if (hasCaption)
        DrawCaption(&dc, hasCaption, item, caption);

    if ((!m_flat || m_focusInFlat) && m_focused)
    {
        CRect focus = face;
        focus.DeflateRect(3, 3);
        dc.DrawFocusRect(&focus);
    }
}

void CButtonST::PaintBackground(CDC *pDC, const CRect &item)
{
    CWnd *parent = m_hWnd != nullptr ? GetParent() : nullptr;
    if (m_backgroundDC.GetSafeHdc() == nullptr && parent != nullptr)
    {
        CRect client;
        GetClientRect(&client);
        CRect window;
        GetWindowRect(&window);
        parent->ScreenToClient(&window);
        CClientDC parentDC(parent);
        if (m_backgroundDC.CreateCompatibleDC(&parentDC) &&
            m_backgroundBitmap.CreateCompatibleBitmap(&parentDC, client.Width(), client.Height()))
        {
            m_backgroundOld = ::SelectObject(m_backgroundDC.GetSafeHdc(), m_backgroundBitmap.GetSafeHandle());
            m_backgroundDC.BitBlt(0, 0, client.Width(), client.Height(), &parentDC, window.left, window.top, SRCCOPY);
        }
        else
        {
            DropBackground();
        }
    }
    if (m_backgroundDC.GetSafeHdc() != nullptr)
        pDC->BitBlt(item.left, item.top, item.Width(), item.Height(), &m_backgroundDC, 0, 0, SRCCOPY);
}

void CButtonST::DropBackground()
{
    if (m_backgroundDC.GetSafeHdc() != nullptr && m_backgroundOld != nullptr)
        ::SelectObject(m_backgroundDC.GetSafeHdc(), m_backgroundOld);
    m_backgroundOld = nullptr;
    m_backgroundDC.DeleteDC();
    m_backgroundBitmap.DeleteObject();
}

DWORD CButtonST::DrawFace(CDC *pDC, CRect &item)
{
    if (!m_flat && (m_focused || m_defaultButton))
    {
        CBrush black(RGB(0, 0, 0));
        pDC->FrameRect(&item, &black);
        item.DeflateRect(1, 1);
    }
    const ColourPair &colours = m_hover || m_pressed ? m_colours[COLOURS_HOVER_OR_PRESSED]
                                : m_focused          ? m_colours[COLOURS_FOCUSED]
                                                     : m_colours[COLOURS_NORMAL];
    pDC->FillSolidRect(&item, colours.background);
    return 0;
}

DWORD CButtonST::DrawFrame(CDC *pDC, CRect &item)
{
    if (m_pressed)
    {
        if (m_flat)
        {
            if (m_flatBorder)
                pDC->Draw3dRect(&item, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHILIGHT));
        }
        else
        {
            CBrush shadow(Sys(COLOR_BTNSHADOW));
            pDC->FrameRect(&item, &shadow);
        }
        return 0;
    }
    if (!m_flat)
    {
        const LONG l = item.left;
        const LONG t = item.top;
        const LONG r = item.right;
        const LONG b = item.bottom;
        Line(*pDC, Sys(COLOR_BTNHILIGHT), {{l, b - 1}, {l, t}, {r, t}});
        Line(*pDC, Sys(COLOR_3DLIGHT), {{l + 1, b - 2}, {l + 1, t + 1}, {r - 1, t + 1}});
        Line(*pDC, Sys(COLOR_3DDKSHADOW), {{l, b - 1}, {r - 1, b - 1}, {r - 1, t - 1}});
        Line(*pDC, Sys(COLOR_BTNSHADOW), {{l + 1, b - 2}, {r - 2, b - 2}, {r - 2, t}});
    }
    else if (m_hover && m_flatBorder)
    {
        pDC->Draw3dRect(&item, Sys(COLOR_BTNHILIGHT), Sys(COLOR_BTNSHADOW));
    }
    return 0;
}

DWORD CButtonST::DrawIcon(CDC *pDC, BOOL hasCaption, const CRect &item, CRect &caption)
{
    const bool out = buttonst::UsesOutImage(m_icons[IMAGE_OUT].icon != nullptr, m_pressed != FALSE,
                                            m_checkBoxMode != FALSE, m_hover != FALSE);
    const IconRecord &icon = m_icons[out ? IMAGE_OUT : IMAGE_IN];
    const buttonst::ImagePlace place =
        buttonst::PlaceImage(item, caption, CSize(icon.width, icon.height), hasCaption != FALSE, m_pressed != FALSE,
                             m_checkBoxMode != FALSE, m_margin, m_pressOffset);
    caption = place.caption;
    pDC->DrawState(place.image.TopLeft(), CSize(icon.width, icon.height), icon.icon,
                   DSS_NORMAL | (m_disabled ? DSS_DISABLED : 0));
    return 0;
}

DWORD CButtonST::DrawBitmap(CDC *pDC, BOOL hasCaption, const CRect &item, CRect &caption)
{
    const bool out = buttonst::UsesOutImage(m_images[IMAGE_OUT].bitmap != nullptr, m_pressed != FALSE,
                                            m_checkBoxMode != FALSE, m_hover != FALSE);
    const ImageRecord &image = m_images[out ? IMAGE_OUT : IMAGE_IN];
    const buttonst::ImagePlace place =
        buttonst::PlaceImage(item, caption, CSize(image.width, image.height), hasCaption != FALSE, m_pressed != FALSE,
                             m_checkBoxMode != FALSE, m_margin, m_pressOffset);
    caption = place.caption;
    if (image.mask == nullptr)
        return 0;
    CDCOwner memory(::CreateCompatibleDC(pDC->GetSafeHdc()));
    if (!memory.IsValid())
        return 0;
    // The mask's 1 bits take the background colour (white: the destination stays), its 0 bits the text colour
    // (black: the destination is cleared for the picture).
    const COLORREF oldText = pDC->SetTextColor(RGB(0, 0, 0));
    const COLORREF oldBack = pDC->SetBkColor(RGB(255, 255, 255));
    CSelectObjectGuard selected(memory.Get(), image.mask);
    ::BitBlt(pDC->GetSafeHdc(), place.image.left, place.image.top, image.width, image.height, memory, 0, 0, SRCAND);
    selected.Select(image.bitmap);
    ::BitBlt(pDC->GetSafeHdc(), place.image.left, place.image.top, image.width, image.height, memory, 0, 0, SRCPAINT);
    pDC->SetTextColor(oldText);
    pDC->SetBkColor(oldBack);
    return 0;
}

DWORD CButtonST::DrawCaption(CDC *pDC, BOOL, const CRect &, CRect &caption)
{
    CRect rect = caption;
    if (m_pressed && !m_checkBoxMode)
        rect.OffsetRect(m_pressOffset.x, m_pressOffset.y);
    CRect measured = rect;
    pDC->DrawText(m_caption, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    measured.OffsetRect((rect.Width() - measured.Width()) / 2, (rect.Height() - measured.Height()) / 2);
    if (m_disabled)
    {
        CRect embossed = measured;
        embossed.OffsetRect(1, 1);
        pDC->SetTextColor(Sys(COLOR_BTNHILIGHT));
        pDC->DrawText(m_caption, &embossed, DT_WORDBREAK | DT_CENTER);
        pDC->SetTextColor(Sys(COLOR_BTNSHADOW));
        pDC->DrawText(m_caption, &measured, DT_WORDBREAK | DT_CENTER);
        return 0;
    }
    const ColourPair &colours = m_hover || m_pressed ? m_colours[COLOURS_HOVER_OR_PRESSED]
                                : m_focused          ? m_colours[COLOURS_FOCUSED]
                                                     : m_colours[COLOURS_NORMAL];
    pDC->SetTextColor(colours.text);
    pDC->SetBkColor(colours.background);
    pDC->DrawText(m_caption, &measured, DT_WORDBREAK | DT_CENTER);
    return 0;
}

} // namespace NewUI
