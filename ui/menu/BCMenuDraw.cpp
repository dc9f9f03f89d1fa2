// BCMenu: drawing an item in the flat look and in the classic look.
#include "ui/menu/BCMenu.h"

#include <memory>

#include "ui/menu/BCMenuMemDC.h"
#include "ui/menu/MenuGeometry.h"

namespace
{

COLORREF Sys(int index)
{
    return ::GetSysColor(index);
}

void Frame(CDC &dc, const CRect &rect, COLORREF colour)
{
    dc.Draw3dRect(&rect, colour, colour);
}

} // namespace

void BCMenu::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->CtlType != ODT_MENU || lpDIS->itemData == 0 || lpDIS->hDC == nullptr)
        return;
    const bool palette = (::GetDeviceCaps(lpDIS->hDC, RASTERCAPS) & RC_PALETTE) != 0;
    if (!palette && UsesFlatLook())
        DrawFlatItem(lpDIS);
    else
        DrawClassicItem(lpDIS);
}

HBITMAP BCMenu::CheckedBitmapOf(HMENU hMenu, UINT nCommand)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    if (hMenu == nullptr || !::GetMenuItemInfoW(hMenu, nCommand, FALSE, &info))
        return nullptr;
    return info.hbmpChecked;
}

void BCMenu::DrawItemText(CDC *pDC, const CRect &textRect, const CString &text, COLORREF colour)
{
    if (text.IsEmpty())
        return;
    const menugeometry::TextParts parts = menugeometry::SplitText(text);
    CRect rect = textRect;
    if (parts.hasTab)
        rect.right -= m_iconX;
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColour = pDC->SetTextColor(colour);
    pDC->DrawText(parts.left, &rect, DT_SINGLELINE | DT_VCENTER);
    if (parts.hasTab)
        pDC->DrawText(parts.right, &rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    pDC->SetTextColor(oldColour);
    pDC->SetBkMode(oldMode);
}

void BCMenu::DrawCheckMark(CDC *pDC, int x, int y, COLORREF colour)
{
    CPen pen(PS_SOLID, 1, colour);
    CSelectObjectGuard selected(*pDC, pen.GetSafeHandle());
    // Seven strokes of three pixels each, the line's end pixel left out.
    static const int kFirstRow[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int column = 0; column < 7; ++column)
    {
        pDC->MoveTo(x + column, y + kFirstRow[column]);
        pDC->LineTo(x + column, y + kFirstRow[column] + 3);
    }
}

void BCMenu::DrawRadioDot(CDC *pDC, int x, int y, COLORREF colour)
{
    CBrush brush(colour);
    CPen pen(PS_SOLID, 1, colour);
    CSelectObjectGuard brushSelected(*pDC, brush.GetSafeHandle());
    CSelectObjectGuard penSelected(*pDC, pen.GetSafeHandle());
    pDC->Ellipse(x, y, x + 6, y + 6);
}

void BCMenu::DrawFlatCheck(CDC *pDC, const CRect &box, HBITMAP hCheckedBitmap, COLORREF highlight)
{
    pDC->FillSolidRect(&box, LightenColor(highlight, 0.85));
    Frame(*pDC, box, highlight);
    if (hCheckedBitmap == nullptr)
        DrawCheckMark(pDC, box.left + 5, box.top + 4, Sys(COLOR_MENUTEXT));
    else
        DrawRadioDot(pDC, box.left + 5, box.top + 4, Sys(COLOR_MENUTEXT));
}

void BCMenu::DrawClassicCheck(CDC *pDC, const CRect &box, BOOL selected, HBITMAP hCheckedBitmap)
{
    const COLORREF background = IsThemedXP() ? Sys(COLOR_BTNFACE) : Sys(COLOR_MENU);
    pDC->FillSolidRect(&box, selected ? background : LightenColor(background, 0.6));
    if (GetWinVersionCode() >= WIN_VERSION_95)
    {
        CRect edge = box;
        pDC->DrawEdge(&edge, BDR_SUNKENOUTER, BF_RECT);
    }
    if (hCheckedBitmap == nullptr)
        DrawCheckMark(pDC, box.left + 4, box.top + 4, Sys(COLOR_MENUTEXT));
    else
        DrawRadioDot(pDC, box.left + 5, box.top + 4, Sys(COLOR_MENUTEXT));
}

void BCMenu::DrawFlatItem(LPDRAWITEMSTRUCT lpDIS)
{
    auto *record = reinterpret_cast<BCMenuData *>(lpDIS->itemData);
    const CRect item(lpDIS->rcItem);
    const bool themedXP = IsThemedXP();
    const COLORREF face = themedXP ? Sys(COLOR_BTNFACE) : LightenColor(Sys(COLOR_BTNFACE), 0.25);
    const COLORREF window = Sys(COLOR_WINDOW);
    const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
    const COLORREF selectionFill = LightenColor(highlight, themedXP ? 0.7 : 0.85);
    const menugeometry::FlatLayout layout = menugeometry::Flat(item, m_iconX, m_iconY);

    UINT state = lpDIS->itemState;
    const bool disabled = (state & ODS_GRAYED) != 0;
    CBorrowedDC target(lpDIS->hDC);
    std::unique_ptr<BCMenuMemDC> surface;
    CFont font;
    CDC *pDC = &target;
    if (disabled)
    {
        // A disabled item is composed off screen and copied in one block.
        state &= ~static_cast<UINT>(ODS_SELECTED);
        surface = std::make_unique<BCMenuMemDC>(&target, item);
        pDC = surface.get();
    }
    CSelectObjectGuard fontSelected(pDC->GetSafeHdc(), nullptr);
    if (disabled && CreateMenuFont(font))
        fontSelected.Select(font.GetSafeHandle());
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;

    if (record->m_flags & MF_SEPARATOR)
    {
        pDC->FillSolidRect(&item, window);
        pDC->FillSolidRect(&layout.column, face);
        Frame(*pDC, layout.column, face);
        CRect line = layout.separator;
        pDC->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        return;
    }

    if (selected)
    {
        pDC->FillSolidRect(&item, selectionFill);
        Frame(*pDC, item, highlight);
    }
    else
    {
        pDC->FillSolidRect(&item, window);
        pDC->FillSolidRect(&layout.column, face);
        Frame(*pDC, item, window);
        Frame(*pDC, layout.column, face);
    }

    CImageList *images = SharedImages();
    const int index = record->m_globalImage;
    const bool hasImage = images != nullptr && index >= 0 && index < images->GetImageCount();
    if (hasImage)
    {
        const bool copies = HasImageCopies(index) != FALSE;
        int x = layout.image.x;
        int y = layout.image.y;
        auto draw = [&](int image, int atX, int atY) { images->Draw(pDC, image, CPoint(atX, atY), ILD_TRANSPARENT); };
        if (disabled)
        {
            CBitmap bitmap;
            if (GetBitmapFromImageList(pDC, images, index, bitmap))
                DrawEmbossed(pDC, x, y, m_iconX, m_iconY, bitmap, 0, 0, face);
        }
        else if (selected)
        {
            pDC->FillSolidRect(&layout.imageBox, selectionFill);
            if (checked)
            {
                Frame(*pDC, layout.imageBox, highlight);
                --x;
                --y;
                draw(index, x, y);
            }
            else if (copies)
            {
                draw(index + 2, x + 1, y + 1);
                draw(index, x - 1, y - 1);
            }
            else
            {
                draw(index, x, y);
            }
        }
        else if (checked)
        {
            pDC->FillSolidRect(&layout.imageBox, LightenColor(highlight, 0.85));
            Frame(*pDC, layout.imageBox, highlight);
            draw(index, x - 1, y - 1);
        }
        else
        {
            pDC->FillSolidRect(&layout.imageBox, face);
            Frame(*pDC, layout.imageBox, face);
            draw(copies ? index + 1 : index, x, y);
        }
    }
    else if (checked)
    {
        DrawFlatCheck(pDC, layout.checkBox, CheckedBitmapOf(reinterpret_cast<HMENU>(lpDIS->hwndItem), lpDIS->itemID),
                      highlight);
    }

    COLORREF textColour = Sys(COLOR_MENUTEXT);
    if (disabled)
        textColour = themedXP || selected ? Sys(COLOR_GRAYTEXT) : LightenColor(Sys(COLOR_GRAYTEXT), 0.4);
    DrawItemText(pDC, layout.text, record->m_text, textColour);
}

void BCMenu::DrawClassicItem(LPDRAWITEMSTRUCT lpDIS)
{
    auto *record = reinterpret_cast<BCMenuData *>(lpDIS->itemData);
    const CRect item(lpDIS->rcItem);
    const COLORREF background = IsThemedXP() ? Sys(COLOR_BTNFACE) : Sys(COLOR_MENU);
    const COLORREF edgeDark = Sys(COLOR_BTNSHADOW);
    const COLORREF edgeLight = Sys(COLOR_BTNHIGHLIGHT);
    const menugeometry::ClassicLayout layout = menugeometry::Classic(item, m_iconX, m_iconY);
    CBorrowedDC dc(lpDIS->hDC);
    CDC *pDC = &dc;

    // Disabled items keep their selected state in this look.
    const UINT state = lpDIS->itemState;
    const bool disabled = (state & ODS_GRAYED) != 0;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;

    if (record->m_flags & MF_SEPARATOR)
    {
        pDC->FillSolidRect(&item, background);
        CRect line = layout.separator;
        pDC->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        return;
    }

    CImageList *images = SharedImages();
    const int index = record->m_globalImage;
    const bool hasImage = images != nullptr && index >= 0 && index < images->GetImageCount();
    COLORREF textColour = Sys(COLOR_MENUTEXT);
    if (selected)
    {
        const CRect highlighted = hasImage || checked ? layout.highlightWithImage : item;
        pDC->FillSolidRect(&highlighted, Sys(COLOR_HIGHLIGHT));
        textColour = Sys(COLOR_HIGHLIGHTTEXT);
    }
    else
    {
        pDC->FillSolidRect(&item, background);
        Frame(*pDC, item, background);
    }

    const bool edges = GetWinVersionCode() >= WIN_VERSION_95;
    if (hasImage)
    {
        Frame(*pDC, layout.box1, background);
        if (disabled)
        {
            Frame(*pDC, layout.box2, background);
            CBitmap bitmap;
            if (GetBitmapFromImageList(pDC, images, index, bitmap))
                DrawEmbossed(pDC, layout.image.x, layout.image.y, m_iconX, m_iconY, bitmap, 0, 0, background);
        }
        else
        {
            if (selected)
            {
                pDC->FillSolidRect(&layout.box1, background);
                if (edges)
                {
                    if (checked)
                        pDC->Draw3dRect(&layout.box2, edgeDark, edgeLight);
                    else
                        pDC->Draw3dRect(&layout.box2, edgeLight, edgeDark);
                }
            }
            else if (checked)
            {
                pDC->FillSolidRect(&layout.box1, LightenColor(background, 0.6));
                if (edges)
                    pDC->Draw3dRect(&layout.box2, edgeDark, edgeLight);
            }
            else
            {
                pDC->FillSolidRect(&layout.box1, background);
                Frame(*pDC, layout.box2, background);
            }
            images->Draw(pDC, index, layout.image, ILD_TRANSPARENT);
        }
    }
    else if (checked)
    {
        DrawClassicCheck(pDC, layout.checkBox, selected,
                         CheckedBitmapOf(reinterpret_cast<HMENU>(lpDIS->hwndItem), lpDIS->itemID));
    }

    if (!disabled)
    {
        DrawItemText(pDC, layout.text, record->m_text, textColour);
    }
    else if (selected)
    {
        DrawItemText(pDC, layout.text, record->m_text, background);
    }
    else
    {
        CRect raised = layout.text;
        raised.OffsetRect(1, 1);
        DrawItemText(pDC, raised, record->m_text, edgeLight);
        DrawItemText(pDC, layout.text, record->m_text, Sys(COLOR_GRAYTEXT));
    }
}
