// The style record of the markup drawer: one per style in effect, copied whole when a style is saved or
// applied. Colours are colour references (0x00BBGGRR).
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// Horizontal alignments (nHorzAlign).
enum PPHtmlHorzAlign : int
{
    PPHA_LEFT = 0,
    PPHA_CENTER = 1,
    PPHA_RIGHT = 2,
    PPHA_JUSTIFY = 3,
};

// Vertical alignments (nVertAlign).
enum PPHtmlVertAlign : int
{
    PPVA_TOP = 0,
    PPVA_MIDDLE = 1,
    PPVA_BOTTOM = 2,
    PPVA_BASELINE = 3,
};

// Text transforms (nTextTransform).
enum PPHtmlTextTransform : int
{
    PPTT_NONE = 0,
    PPTT_UPPERCASE = 1,
    PPTT_LOWERCASE = 2,
    PPTT_CAPITALIZE = 3,
};

// Border styles (nBorderStyle); the numbers are the pen styles of CPPDrawManager.
enum PPHtmlBorderStyle : int
{
    PPBS_NONE = 0,
    PPBS_SOLID = 1,
    PPBS_DASHED = 2,
    PPBS_DOTTED = 3,
    PPBS_DOUBLE = 6,
};

// Link kinds (nTypeLink).
enum PPHtmlLinkKind : int
{
    PPLINK_NONE = 0,
    PPLINK_HREF = 1,
    PPLINK_MSG = 2,
};

struct PPHtmlStyle
{
    CString strTag;              // the matching name of the tag that saved or changed the style
    int nSizeFont = 16;          // character cell height in pixels
    int nWeightFont = FW_NORMAL; // 100 ... 900
    BOOL bItalicFont = FALSE;
    BOOL bUnderlineFont = FALSE;
    BOOL bStrikeOutFont = FALSE;
    BOOL bOverlineFont = FALSE;     // a line along the top of the text
    CString sFaceFont = L"Verdana"; // at most 31 characters are used
    COLORREF crText = RGB(0, 0, 0);
    COLORREF crBkgnd = RGB(255, 255, 255);
    COLORREF crBorderLight = RGB(0, 0, 0);
    COLORREF crBorderDark = RGB(0, 0, 0);
    COLORREF crMidBkgnd = RGB(255, 255, 255); // second colour of a fill effect
    COLORREF crEndBkgnd = RGB(255, 255, 255); // third colour of a fill effect
    int nBkMode = TRANSPARENT;                // TRANSPARENT or OPAQUE
    int nFillBkgnd = -1;                      // -1 none, else a fill-effect number of CPPDrawManager
    CString strNameResBk;                     // background image: a kind, a colon and a value
    int nHorzAlign = PPHA_LEFT;
    int nVertAlign = PPVA_BASELINE;
    int nBorderStyle = PPBS_NONE;
    int nBorderWidth = 0;
    int nWidth = 0;     // pixels (tables and cells); kept by Reset
    int nHeight = 0;    // kept by Reset
    int nReserved1 = 0; // not set by the language; kept by Reset
    int nReserved2 = 0; // kept by Reset
    int nTextTransform = PPTT_NONE;
    int nMargin = 2;  // the table attribute "cellpadding" writes it
    int nPadding = 0; // the table attribute "cellspacing" writes it
    int nTypeLink = PPLINK_NONE;
    CString sHyperlink; // the URL or message text of a link

    // Every field back to its reset value, except the width, the height and the two reserved fields.
    void Reset()
    {
        PPHtmlStyle fresh;
        fresh.nWidth = nWidth;
        fresh.nHeight = nHeight;
        fresh.nReserved1 = nReserved1;
        fresh.nReserved2 = nReserved2;
        *this = fresh;
    }
};
