// Where the parts of an owner-drawn menu item go, in both looks, and how large an item is: pure arithmetic
// that the measuring and drawing of BCMenu share.
#pragma once
#include <windows.h>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

namespace menugeometry
{

// The flat look (icon column of icon width + 7).
struct FlatLayout
{
    int columnWidth; // width of the image column
    int dx;          // image offset inside the column
    int dy;
    CRect column;    // the column's rectangle
    CRect imageBox;  // the frame around the image
    CPoint image;    // where the image goes
    CRect checkBox;  // the 16 x 16 box of a check mark without an image
    CRect text;      // where the text goes (before the right edge moves for a TAB part)
    CRect separator; // the rectangle whose top edge carries the separator line
};
FlatLayout Flat(const CRect &item, int iconX, int iconY);

// The classic look.
struct ClassicLayout
{
    int dy;
    CRect box1; // inner frame around the image
    CRect box2; // outer frame (3-D)
    CPoint image;
    CRect checkBox; // the box of a check mark without an image
    CRect text;
    CRect highlightWithImage; // the highlight of a selected item that has an image or is checked
    CRect separator;          // the rectangle whose top edge carries the etched line
};
ClassicLayout Classic(const CRect &item, int iconX, int iconY);

// The height of a separator: the larger of half the menu height and half of icon height + extra.
int SeparatorHeight(int cyMenu, int iconY, int extra);
// The size of an item whose text is textWidth wide.
CSize ItemSize(int textWidth, int cyMenu, int iconX, int iconY, int extra, bool flat);

// The parts of an item text: before the first TAB (all of it without one), and after the last TAB.
struct TextParts
{
    CString left;
    CString right;
    bool hasTab;
};
TextParts SplitText(const CString &text);

// The text's part before its first TAB (the whole text without one).
CString BeforeTab(const CString &text);
// The text with its part before the first TAB padded with spaces until widthOf(part) reaches width; padding
// stops when a space adds no width. A text without a TAB comes back as it is.
template <class WidthOf> CString PadBeforeTab(const CString &text, int width, WidthOf widthOf)
{
    int tab = text.Find(L'\t');
    if (tab < 0)
        return text;
    CString left = text.Left(tab);
    int current = widthOf(left);
    while (current < width)
    {
        CString longer = left + L" ";
        int next = widthOf(longer);
        if (next <= current)
            break;
        left = longer;
        current = next;
    }
    return left + text.Mid(tab);
}

} // namespace menugeometry
