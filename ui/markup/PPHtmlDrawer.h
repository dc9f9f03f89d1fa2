// The markup drawer: reads a small HTML-like language (tags, entities, colours, sizes, a style sheet), lays the
// text out in lines and draws it into a DC, keeps the hot areas of links and answers the pointer over them.
//
// Every text runs twice: Measure prepares it and runs a measuring pass that breaks the lines and records each
// line's width and height; Draw runs a drawing pass that places each line by its alignment and draws it, using
// the line records of the last Measure. Tables, images, "string" tags, running "href" links and the hand cursor
// go through the extension (PPHtmlExtension.h).
//
// Runs on one thread (the tooltip's); the drawer reports nothing and throws nothing: unknown tags, attributes,
// properties, keywords and colour names change nothing.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/system/Handles.h"
#include "platform/text/Geometry.h"
#include "platform/text/String.h"
#include "ui/effects/PPDrawManager.h"
#include "ui/markup/PPHtmlExtension.h"
#include "ui/markup/PPHtmlObserver.h"
#include "ui/markup/PPHtmlStyle.h"

// Tag numbers of the language.
enum PPHtmlTag : int
{
    PPTAG_NONE = 0,
    PPTAG_BOLD = 1,
    PPTAG_ITALIC = 2,
    PPTAG_UNDERLINE = 3,
    PPTAG_STRIKEOUT = 4,
    PPTAG_FONT = 5,
    PPTAG_HR = 6,
    PPTAG_BR = 7,
    PPTAG_TAB = 8,
    PPTAG_LEFT = 9,
    PPTAG_CENTER = 10,
    PPTAG_RIGHT = 11,
    PPTAG_JUSTIFY = 12,
    PPTAG_BASELINE = 13,
    PPTAG_TOP = 14,
    PPTAG_VCENTER = 15,
    PPTAG_BOTTOM = 16,
    PPTAG_BMP = 17,
    PPTAG_ICON = 18,
    PPTAG_ILST = 19,
    PPTAG_STRING = 20,
    PPTAG_NEWSTYLE = 21,
    PPTAG_SPAN = 22,
    PPTAG_HYPERLINK = 23,
};

class CPPHtmlDrawer
{
  public:
    CPPHtmlDrawer();
    virtual ~CPPHtmlDrawer();
    CPPHtmlDrawer(const CPPHtmlDrawer &) = delete;
    CPPHtmlDrawer &operator=(const CPPHtmlDrawer &) = delete;

    // --- Measuring and drawing ---

    // Stores and prepares the text, forgets the line records, hot areas and animation entries, and measures it
    // (lines broken at the maximum width when one is set). Returns the size plus one pixel each way; an empty
    // text gives 0 x 0, and a text that takes no room is emptied and gives 1 x 1.
    CSize Measure(HDC hDC, const CString &strText);
    // Draws the text of the last Measure into the rectangle. Hot areas are those of this drawing.
    void Draw(HDC hDC, LPCRECT lpRect);
    // The prepared text of the last Measure (empty when it took no room).
    const CString &GetText() const
    {
        return m_strText;
    }

    // --- Settings ---

    // Replaces the style sheet; null loads the default sheet.
    void SetCssStyles(LPCWSTR lpszCssStyles = nullptr);
    const CString &GetCssStyles() const
    {
        return m_strCssStyles;
    }
    // Lines are broken to fit this width in pixels; 0 for none (lines end only at line breaks).
    void SetMaxWidth(int nWidth)
    {
        m_nMaxWidth = nWidth > 0 ? nWidth : 0;
    }
    int GetMaxWidth() const
    {
        return m_nMaxWidth;
    }
    // A disabled drawer draws every colour that the text sets in the disabled colour (system colour 16), without
    // backgrounds.
    void SetEnabled(BOOL bEnabled)
    {
        m_bEnabled = bEnabled;
    }
    BOOL IsEnabled() const
    {
        return m_bEnabled;
    }
    COLORREF GetDisabledColor() const
    {
        return m_crDisabled;
    }
    // With the newline flag set (the default) a line feed in the text breaks the line and a tab moves to the
    // next tab stop; without it both are removed.
    void SetNewLine(BOOL bNewLine)
    {
        m_bNewLine = bNewLine;
    }
    // Where a change of the link under the pointer is sent: message nMessage with the link's number (-2 for
    // none) and lParam. A null window clears the message and the parameter.
    void SetLinkNotify(HWND hWnd, UINT nMessage, LPARAM lParam);
    // Where a "msg" link sends its text when clicked: message nMessage with the text and lParam.
    void SetMsgTarget(HWND hWnd, UINT nMessage, LPARAM lParam);
    // Receives every text run, rule and hot area of a drawing pass; null for none. Not owned.
    void SetObserver(IPPHtmlObserver *pObserver)
    {
        m_pObserver = pObserver;
    }

    // --- Links and animation ---

    // The pointer is at the point: marks the link under it (sending the link notification when the mark
    // changes). True when it is over a link with a text and the hand cursor was set.
    BOOL PointerOver(POINT point);
    // Runs the link under the point: "href" through the extension, "msg" to the message target.
    void Click(POINT point);
    // The number of the link under the pointer, -2 for none.
    int GetMarkedLink() const
    {
        return m_nMarkedLink;
    }
    const std::vector<PPHtmlHotArea> &GetHotAreas() const
    {
        return m_hotAreas;
    }
    // One tick of the animated images; true when a frame moved (the picture needs drawing again).
    BOOL AnimationTick();

    // --- Resource strings ---

    // String nID of the language library, else of the program; empty for 0 or a missing string.
    CString GetStringFromResource(UINT nID) const;
    // Line nLine (from 0) of string nID, lines split at line feeds; empty past the last line.
    CString GetStringFromResource(UINT nID, int nLine) const;

    // --- The language: text preparation and value parsers ---

    // Entities replaced (one entity at a time over the whole text, in their sorted order), carriage returns
    // removed, line feeds and tabs made tags (newline flag) or removed.
    CString PrepareText(const CString &strText) const;
    // A size in pixels (units px, ex, em, in, cm, mm, pt, pc, a percentage of nDefault, or a plain number in any
    // base); bHtmlScale maps the plain numbers 1 ... 7 to the HTML font sizes. Empty: nDefault.
    int GetLengthUnit(const CString &strValue, int nDefault, BOOL bHtmlScale = FALSE) const;
    // "#RRGGBB", a number (0x00BBGGRR, any base) or a colour name (case-sensitive); else crDefault.
    COLORREF GetColor(const CString &strValue, COLORREF crDefault) const;
    int GetStyleFontStyle(const CString &strValue, int nDefault) const;
    int GetStyleFontWeight(const CString &strValue, int nDefault) const;
    int GetStyleHorzAlign(const CString &strValue, int nDefault) const;
    int GetStyleVertAlign(const CString &strValue, int nDefault) const;
    int GetStyleTextTransform(const CString &strValue, int nDefault) const;
    int GetStyleBorder(const CString &strValue, int nDefault) const;
    int GetStyleBorderWidth(const CString &strValue, int nDefault) const;
    int GetStyleBkEffect(const CString &strValue, int nDefault) const;
    // Underline, strike-out and overline of a text-decoration value.
    void SetStyleTextDecoration(const CString &strValue, PPHtmlStyle &style) const;
    // Reads a declaration text ("color: red; font-size: 10pt") onto the style; it is lower-cased first.
    void SetStyleFromDeclarations(const CString &strDeclarations, PPHtmlStyle &style) const;
    // Applies the "font" tag's attributes onto the style.
    void SetStyleFromFontTag(const CString &strParams, PPHtmlStyle &style) const;
    // The style-sheet entry of the selector (looked up lower-cased); false when there is none.
    bool GetStyleSheetEntry(const CString &strSelector, CString &strDeclarations) const;

    // The tag's name (up to the first blank) and its parameter text.
    static void SplitTag(const CString &strTag, CString &strName, CString &strParams);
    // The value of parameter strName in a parameter text; false when it is not there.
    static bool GetParameter(const CString &strParams, LPCWSTR lpszName, CString &strValue);
    // Looks a tag name up (case-sensitive): its number (PPTAG_NONE when unknown) and matching name.
    int LookupTag(const CString &strName, CString &strMatch) const;
    // Reads from pos the text before the next tag (a doubled "<" is one literal "<"; a "<" without a ">" after
    // it is text) and the tag's content between "<" and ">"; *pTagStart gets the position of its "<". False
    // when no tag follows. pos ends after the tag.
    static bool NextTag(const CString &strText, int &pos, CString &strBefore, CString &strTag,
                        int *pTagStart = nullptr);

    // --- For the extension (tables, images, links) ---

    // Replaces the extension made by CreatePPHtmlExtension (null: none).
    void SetExtension(std::unique_ptr<IPPHtmlExtension> extension)
    {
        m_extension = std::move(extension);
    }

    BOOL IsMeasuring() const
    {
        return m_bMeasuring;
    }
    HDC GetOutputDC() const
    {
        return m_hDC;
    }
    PPHtmlStyle &CurrentStyle()
    {
        return m_style;
    }
    // Saves a copy of the current style on the style stack; PopStyle puts the saved one back (nothing when the
    // stack is empty). Both reselect the font and colours.
    void PushStyle();
    void PopStyle();
    // The number of saved styles, and popping back to such a number (tags left open in a part of the text,
    // a table cell say, end with it).
    size_t GetStyleDepth() const
    {
        return m_styles.size();
    }
    void RestoreStyleDepth(size_t nDepth);
    // Applies the style-sheet entry of the selector onto the current style (nothing without an entry).
    void ApplyStyleSheet(const CString &strSelector);
    // Builds the font from the current style and selects it with the style's colours and background mode.
    void SelectStyle();
    // Lays out (measuring) or draws one flow block of text in the frame (the frame's width is the line width;
    // 0 or a drawer without a maximum width: lines end only at line breaks). Returns its size.
    CSize FlowBlock(const CString &strText, const CRect &frame);
    // A text that may hold tables: its flow and table blocks laid out one below the other from the frame's top.
    CSize Blocks(const CString &strText, const CRect &frame);
    // Places a box of the given size in the current line: a line that holds something and has no room for it
    // ends first; measuring raises the line's height to the box. While drawing returns TRUE with the box's
    // rectangle (placed by the style's vertical alignment) and records a hot area when a link is open.
    BOOL PlaceBox(const CSize &size, CRect &rcBox);
    // Places and draws a text as one piece in the current style, without breaking it.
    void PlaceText(const CString &strText);
    // Whether a link is open and it is the one under the pointer.
    BOOL IsOpenLinkMarked() const;
    // Animation entries of animated images: added while measuring (returns its index), and while drawing taken
    // back in the same order (the current frame of the next entry; 0 when there is none).
    int AddAnimation(int nFrames, int nTicksPerFrame);
    int TakeAnimationFrame();
    CPPDrawManager &GetDrawManager()
    {
        return m_drawManager;
    }
    // The drop shade of images.
    struct ImageShade
    {
        int nOffsetX = 4;
        int nOffsetY = 4;
        int nDepthX = 7;
        int nDepthY = 7;
        int nDarkness = 50;
        COLORREF crColor = RGB(127, 127, 127);
        BOOL bOn = TRUE;
    };
    const ImageShade &GetImageShade() const
    {
        return m_imageShade;
    }
    int GetTabWidth() const
    {
        return m_nTabWidth;
    }
    IPPHtmlObserver *GetObserver() const
    {
        return m_pObserver;
    }

  private:
    struct TagInfo
    {
        int nTag;
        CString strMatch;
    };
    struct LineRecord
    {
        int nWidth = 0;  // pixels
        int nHeight = 0; // max ascent + max descent
        int nDescent = 0;
        int nPercent = 0; // width in percent of the block (rules)
        int nAlign = PPHA_LEFT;
        int nBlanks = 0;
        BOOL bWrapped = FALSE;
    };
    // The line being laid out in the current flow block.
    struct FlowState
    {
        CRect rcFrame;
        int nBlockWidth = 0; // widest line so far
        int x = 0;
        int y = 0;
        int nUsed = 0; // width the line holds, without justification
        int nAscent = 0;
        int nDescent = 0;
        int nPercent = 0;
        int nBlanks = 0;
        int nAlign = PPHA_LEFT;
        BOOL bWrapped = FALSE;
        int nJustifyExtra = 0; // drawing a justified line: pixels spread over its blanks
        int nJustifyBlanks = 0;
        int nJustifyDone = 0; // blanks drawn so far
    };
    struct Animation
    {
        int nFrame = 0;
        int nFrames = 0;
        int nTicks = 0;
        int nTicksPerFrame = 0;
    };

    // Language tables (PPHtmlDrawerTables.cpp).
    std::map<CString, TagInfo> m_tags;
    std::map<CString, CString> m_entities;
    std::map<CString, COLORREF> m_colors;
    std::map<CString, CString> m_styleSheet;
    CString m_strCssStyles;
    void FillTables();

    BOOL m_bEnabled = TRUE;
    COLORREF m_crDisabled = 0;
    BOOL m_bNewLine = TRUE;
    int m_nTabWidth = 32;
    int m_nMaxWidth = 0;
    ImageShade m_imageShade;
    CString m_strText;

    // Pass state.
    BOOL m_bMeasuring = FALSE;
    HDC m_hDC = nullptr;
    PPHtmlStyle m_style;
    std::vector<PPHtmlStyle> m_styles;
    LOGFONTW m_lf = {};
    CGdiObjectOwner<HFONT> m_font;
    HGDIOBJ m_hOldFont = nullptr;
    int m_nOldBkMode = 0;
    COLORREF m_crOldText = 0;
    COLORREF m_crOldBkgnd = 0;
    TEXTMETRICW m_tm = {};
    FlowState m_flow;
    std::vector<LineRecord> m_lines;
    size_t m_nCurLine = 0;

    std::vector<PPHtmlHotArea> m_hotAreas;
    int m_nLinkCounter = 0;
    int m_nMarkedLink = -2;
    HWND m_hNotifyWnd = nullptr;
    UINT m_nNotifyMsg = 0;
    LPARAM m_lNotifyParam = 0;
    HWND m_hMsgWnd = nullptr;
    UINT m_nMsgMsg = 0;
    LPARAM m_lMsgParam = 0;
    std::vector<Animation> m_animations;
    size_t m_nAnimationTaken = 0;

    IPPHtmlObserver *m_pObserver = nullptr;
    std::unique_ptr<IPPHtmlExtension> m_extension;
    CPPDrawManager m_drawManager;

    // Passes, blocks and lines (PPHtmlDrawerLayout.cpp).
    CSize RunPass(BOOL bMeasuring, HDC hDC, const CRect &rect);
    void ProcessText(CString strText);
    void OutputPiece(const CString &strPiece, int nWidth);
    void FitPiece(CString &strText, int nRoom, int nLineWidth, CString &strPiece, int &nWidth) const;
    void StartLine();
    void EndLine(int nCount);
    int PlainWidth(const CString &strText) const;
    int LineWidth() const;
    const LineRecord *CurrentLine() const;
    void RestoreDC();

    // Tags (PPHtmlDrawerTags.cpp).
    void ProcessTag(const CString &strTag);
    void ApplyOpeningTag(int nTag, const CString &strName, const CString &strParams);
    void DrawRule(const CString &strParams);
    void MoveToTab(const CString &strParams);

    // Links (PPHtmlDrawerLinks.cpp).
    // The number of the open link (0 for none).
    int OpenLink() const;
    void AddHotArea(const CRect &rect);
    const PPHtmlHotArea *HotAreaAt(POINT point) const;

    // Language helpers (PPHtmlDrawerLanguage.cpp).
    void SetTextColor(PPHtmlStyle &style, COLORREF crColor) const;
    void SetBackground(PPHtmlStyle &style, const CString &strValue) const;
    int XHeight() const;
    int PixelsPerInch() const;
};
