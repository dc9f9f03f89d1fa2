#include "ui/menu/MenuGeometry.h"

#include <algorithm>

namespace menugeometry
{

namespace
{

// trunc(n x 0.5 + 0.5), raised to 0 when negative.
int HalfRoundedUp(int n)
{
    return std::max(0, (n + 1) / 2);
}

} // namespace

FlatLayout Flat(const CRect &item, int iconX, int iconY)
{
    FlatLayout layout;
    const int h = item.Height();
    layout.columnWidth = iconX + 7;
    layout.dx = HalfRoundedUp(layout.columnWidth - iconX);
    layout.dy = HalfRoundedUp(h - iconY);
    layout.column = CRect(item.left, item.top, item.left + layout.columnWidth, item.bottom);
    layout.imageBox = CRect(item.left + 1, item.top + 1, item.left + layout.columnWidth - 1, item.bottom - 1);
    layout.image = CPoint(item.left + layout.dx, item.top + layout.dy);
    const int dx16 = HalfRoundedUp(layout.columnWidth - 16);
    const int dy16 = HalfRoundedUp(h - 16);
    layout.checkBox = CRect(item.left + dx16, item.top + dy16, item.left + dx16 + 16, item.top + dy16 + 16);
    layout.text = CRect(item.left + layout.columnWidth + 8, item.top - 1, item.right, item.bottom - 1);
    layout.separator = CRect(item.left + layout.columnWidth + 7, item.top + (h >> 1), item.right, item.bottom);
    return layout;
}

ClassicLayout Classic(const CRect &item, int iconX, int iconY)
{
    ClassicLayout layout;
    const int h = item.Height();
    layout.dy = std::max(0, (h - iconY - 4) / 2);
    const int top = item.top + layout.dy;
    layout.box1 = CRect(item.left + 1, top + 1, item.left + iconX + 3, top + iconY + 3);
    layout.box2 = CRect(item.left, top, item.left + iconX + 4, top + iconY + 4);
    layout.image = CPoint(item.left + 2, top + 2);
    layout.checkBox = CRect(item.left + 1, top + 2, item.left + iconX + 1, top + iconY + 2);
    layout.text = CRect(item.left + iconX + 9, item.top - 1, item.right, item.bottom - 1);
    layout.highlightWithImage = CRect(item.left + iconX + 5, item.top, item.right, item.bottom);
    layout.separator = CRect(item.left, item.top + (h >> 1), item.right, item.bottom);
    return layout;
}

int SeparatorHeight(int cyMenu, int iconY, int extra)
{
    return std::max(cyMenu / 2, (iconY + extra) / 2);
}

CSize ItemSize(int textWidth, int cyMenu, int iconX, int iconY, int extra, bool flat)
{
    const int width = flat ? textWidth + iconX + extra + 8 : textWidth + 2 * iconX + 1;
    return CSize(width, std::max(cyMenu, iconY + extra));
}

TextParts SplitText(const CString &text)
{
    TextParts parts;
    const int first = text.Find(L'\t');
    parts.hasTab = first >= 0;
    if (!parts.hasTab)
    {
        parts.left = text;
        return parts;
    }
    parts.left = text.Left(first);
    parts.right = text.Mid(text.ReverseFind(L'\t') + 1);
    return parts;
}

CString BeforeTab(const CString &text)
{
    const int tab = text.Find(L'\t');
    return tab < 0 ? text : text.Left(tab);
}

} // namespace menugeometry
