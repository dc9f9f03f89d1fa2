// What a drawing pass of the markup drawer reports besides drawing on the DC: every text run, rule, hot area,
// table, table cell and image, in the order they are drawn. Tests record through it; the drawer works the same without
// one.
#pragma once
#include <windows.h>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

// One piece of text as drawn: its top-left corner, the logical font it was drawn in and its colour.
struct PPHtmlTextRun
{
    CString strText;
    int x = 0;
    int y = 0;
    int nWidth = 0; // the drawn width, justification included
    CString strFace;
    int nHeight = 0; // the logical font's height (the cell height)
    int nWeight = 0;
    BOOL bItalic = FALSE;
    BOOL bUnderline = FALSE;
    BOOL bStrikeOut = FALSE;
    BOOL bOverline = FALSE;
    COLORREF crText = 0;
    COLORREF crBkgnd = 0;
    int nBkMode = TRANSPARENT;
    int nLink = 0; // the number of the link the text belongs to (from 1), 0 for none
};

// A horizontal rule as drawn: a filled rectangle.
struct PPHtmlRule
{
    CRect rect;
    COLORREF crColor = 0;
};

// An area that answers the pointer: the text or image of a link.
struct PPHtmlHotArea
{
    CRect rect;
    int nTypeLink = 0; // PPHtmlLinkKind
    int nLink = 0;     // the link's number, from 1
    CString strLink;   // the URL or message text
};

// A table or one of its cells as drawn.
struct PPHtmlBox
{
    int nTable = 0; // the table's grid number, from 0 in the order the tables appear in the text
    int nRow = -1;  // the cell's grid place; -1 for the table itself
    int nColumn = -1;
    int nRowSpan = 1;
    int nColSpan = 1;
    CRect rect;
    int nBorderStyle = 0; // PPHtmlBorderStyle
    int nBorder = 0;      // pixels the border takes on each side
};

// An image as drawn: its tag (PPTAG_BMP, PPTAG_ICON, PPTAG_ILST), its rectangle without the shade, the effect
// flags it was drawn with and, for an image list, the image's index in the strip.
struct PPHtmlImage
{
    int nTag = 0;
    CRect rect;
    DWORD dwEffect = 0;
    int nIndex = 0;
};

class IPPHtmlObserver
{
  public:
    virtual ~IPPHtmlObserver() = default;
    virtual void OnText(const PPHtmlTextRun &run) = 0;
    virtual void OnRule(const PPHtmlRule &rule) = 0;
    virtual void OnHotArea(const PPHtmlHotArea &area) = 0;
    virtual void OnBox(const PPHtmlBox &)
    {
    }
    virtual void OnImage(const PPHtmlImage &)
    {
    }
};
