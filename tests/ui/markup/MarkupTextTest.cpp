// The markup language: text preparation and entities, sizes, colours, keywords, declarations, the style sheet,
// closing tags, font styles, parameters and resource strings.
#include "MarkupTestStrings.h"
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

using namespace markuptest;

namespace
{

class MarkupText : public MarkupTest
{
};

const COLORREF kDefault = RGB(1, 2, 3);

} // namespace

TEST_F(MarkupText, PreparationReplacesEntitiesOnceAndTurnsLineEndsIntoTags)
{
    struct Case
    {
        LPCWSTR text;
        BOOL newLine;
        LPCWSTR prepared;
    } cases[] = {
        {L"&amp;lt;b&gt;", TRUE, L"<<b>"},
        {L"&lt;b&gt;", TRUE, L"<<b>"},
        {L"&amp;amp;", TRUE, L"&amp;"},
        {L"a\r\nb\rc", TRUE, L"a<br>bc"},
        {L"a\r\nb", FALSE, L"ab"},
        {L"a\tb", TRUE, L"a<t>b"},
        {L"a\tb\n", FALSE, L"ab"},
        {L"&bull;&euro;&trade;", TRUE, L"\x2022\x20AC\x2122"},
        {L"&copy;&reg;&pound;&para;&iquest;&quot;&nbsp;", TRUE, L"\x00A9\x00AE\x00A3\x00B6\x00BF\" "},
        {L"&unknown; & &amp", TRUE, L"&unknown; & &amp"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        m_drawer.SetNewLine(c.newLine);
        EXPECT_STREQ(m_drawer.PrepareText(c.text), c.prepared);
    }

    // The escaped tag draws as its three characters.
    m_drawer.SetNewLine(TRUE);
    MeasureAndDraw(L"&amp;lt;b&gt;x");
    EXPECT_EQ(m_recorder.Joined(), L"[<b>x]");
    EXPECT_EQ(m_recorder.texts[0].nWeight, FW_NORMAL);
    // A "<" without a ">" after it is text.
    MeasureAndDraw(L"a<b>c<d");
    EXPECT_EQ(m_recorder.Joined(), L"[a][c<d]");
}

TEST_F(MarkupText, SizesFollowTheirUnits)
{
    struct Case
    {
        LPCWSTR value;
        int fallback;
        BOOL htmlScale;
        int expected;
    } cases[] = {
        {L"", 16, FALSE, 16},   {L"-3px", 16, FALSE, 3},  {L"+7px", 16, FALSE, 7}, {L"150%", 16, FALSE, 24},
        {L"50%", 15, FALSE, 8}, {L"3", 16, TRUE, 12},     {L"1", 16, TRUE, 8},     {L"7", 16, TRUE, 36},
        {L"8", 16, TRUE, 8},    {L"3", 16, FALSE, 3},     {L"0x10", 5, FALSE, 16}, {L"010", 5, FALSE, 8},
        {L"0x3", 5, TRUE, 12},  {L"12abc", 5, FALSE, 12}, {L"abc", 5, FALSE, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.value)));
        EXPECT_EQ(m_drawer.GetLengthUnit(c.value, c.fallback, c.htmlScale), c.expected);
    }
    struct Border
    {
        LPCWSTR value;
        int expected;
    } borders[] = {{L"3", 3}, {L"thin", 3}, {L"thick", 5}, {L"medium", 4}, {L"", 3}, {L"2px", 2}};
    for (const Border &b : borders)
        EXPECT_EQ(m_drawer.GetStyleBorderWidth(b.value, 4), b.expected)
            << testing::PrintToString(std::wstring(b.value));

    // Units read on the drawing's DC (96 pixels an inch) and its current font (the body font).
    MeasureAndDraw(L"x");
    const TEXTMETRICW body = Metrics(m_recorder.texts[0]);
    EXPECT_EQ(m_recorder.texts[0].nHeight, 13) << "the body's 10pt";
    GLYPHMETRICS glyph = {};
    {
        LOGFONTW lf = {};
        lf.lfHeight = 13;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyW(lf.lfFaceName, L"verdana");
        CGdiObjectOwner<HFONT> font(CreateFontIndirectW(&lf));
        HGDIOBJ old = SelectObject(m_canvas.GetDC(), font);
        const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        ASSERT_NE(GetGlyphOutlineW(m_canvas.GetDC(), L'x', GGO_METRICS, &glyph, 0, nullptr, &identity), GDI_ERROR);
        SelectObject(m_canvas.GetDC(), old);
    }
    struct Unit
    {
        LPCWSTR size;
        int height;
    } units[] = {
        {L"10pt", 13},
        {L"1in", 96},
        {L"1cm", 37},
        {L"10mm", 37},
        {L"2pc", 32},
        {L"20px", 20},
        {L"2em", 2 * static_cast<int>(body.tmHeight)},
        {L"3ex", 3 * static_cast<int>(glyph.gmBlackBoxY)},
        {L"150%", 20}, // 19.5 rounded
        {L"5", 18},
    };
    for (const Unit &u : units)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(u.size)));
        MeasureAndDraw(CString(L"<font size=") + u.size + L">x</font>");
        ASSERT_EQ(m_recorder.texts.size(), 1u);
        EXPECT_EQ(m_recorder.texts[0].nHeight, u.height);
    }
}

TEST_F(MarkupText, ColoursByNumberHexAndCaseSensitiveName)
{
    struct Case
    {
        LPCWSTR value;
        COLORREF expected;
    } cases[] = {
        {L"", kDefault},
        {L"#FF0000", RGB(255, 0, 0)},
        {L"#00ff80", RGB(0, 255, 128)},
        {L"#F00", kDefault},
        {L"#FF00000", kDefault},
        {L"#GG0000", kDefault},
        {L"255", RGB(255, 0, 0)},
        {L"0xFF00", RGB(0, 255, 0)},
        {L"Red", kDefault},
        {L"red", RGB(255, 0, 0)},
        {L"green", RGB(0, 128, 0)},
        {L"brown", RGB(0xA5, 0x2A, 0x2A)},
        {L"gold", RGB(0xFF, 0xD7, 0x00)},
        {L"orange", RGB(0xFF, 0xA5, 0x00)},
        {L"tomato", RGB(0xFF, 0x63, 0x47)},
        {L"lightgrey", RGB(0xD3, 0xD3, 0xD3)},
        {L"darkslategray", RGB(0x2F, 0x4F, 0x4F)},
        {L"yellowgreen", RGB(0x9A, 0xCD, 0x32)},
        {L"lightgray", kDefault},
        {L"grey", kDefault},
        {L"nosuchcolour", kDefault},
        {L"buttonface", GetSysColor(COLOR_BTNFACE)},
        {L"buttonshadow", GetSysColor(COLOR_BTNSHADOW)},
        {L"threeddarkshadow", GetSysColor(COLOR_3DDKSHADOW)},
        {L"threedlightshadow", GetSysColor(COLOR_3DLIGHT)},
        {L"threedshadow", GetSysColor(COLOR_3DSHADOW)},
        {L"infobackground", GetSysColor(COLOR_INFOBK)},
        {L"scrollbar", GetSysColor(COLOR_SCROLLBAR)},
        {L"windowtext", GetSysColor(COLOR_WINDOWTEXT)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(m_drawer.GetColor(c.value, kDefault), c.expected) << testing::PrintToString(std::wstring(c.value));

    // A name is case-sensitive in an attribute; a declaration is lower-cased first.
    m_drawer.SetCssStyles(L".loud {color: Red}");
    MeasureAndDraw(L"<font color=Red>a</font><span class=loud>b</span><font color=\"#0000FF\">c</font>");
    EXPECT_EQ(m_recorder.Run(L"a").crText, RGB(0, 0, 0));
    EXPECT_EQ(m_recorder.Run(L"b").crText, RGB(255, 0, 0));
    EXPECT_EQ(m_recorder.Run(L"c").crText, RGB(0, 0, 255));
}

TEST_F(MarkupText, KeywordsGiveTheirValuesAndUnknownWordsTheDefault)
{
    struct Case
    {
        int (CPPHtmlDrawer::*parser)(const CString &, int) const;
        LPCWSTR value;
        int expected;
    } cases[] = {
        {&CPPHtmlDrawer::GetStyleFontStyle, L"", 0},
        {&CPPHtmlDrawer::GetStyleFontStyle, L"italic", 1},
        {&CPPHtmlDrawer::GetStyleFontStyle, L"oblique", 1},
        {&CPPHtmlDrawer::GetStyleFontStyle, L"slanted", -5},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"", 400},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"bold", 700},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"bolder", 900},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"lighter", 100},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"600", 600},
        {&CPPHtmlDrawer::GetStyleFontWeight, L"heavy", -5},
        {&CPPHtmlDrawer::GetStyleHorzAlign, L"", 0},
        {&CPPHtmlDrawer::GetStyleHorzAlign, L"center", 1},
        {&CPPHtmlDrawer::GetStyleHorzAlign, L"right", 2},
        {&CPPHtmlDrawer::GetStyleHorzAlign, L"justify", -5},
        {&CPPHtmlDrawer::GetStyleVertAlign, L"", 3},
        {&CPPHtmlDrawer::GetStyleVertAlign, L"middle", 1},
        {&CPPHtmlDrawer::GetStyleVertAlign, L"vcenter", 1},
        {&CPPHtmlDrawer::GetStyleVertAlign, L"top", 0},
        {&CPPHtmlDrawer::GetStyleVertAlign, L"bottom", 2},
        {&CPPHtmlDrawer::GetStyleTextTransform, L"capitalize", 3},
        {&CPPHtmlDrawer::GetStyleTextTransform, L"lowercase", 2},
        {&CPPHtmlDrawer::GetStyleTextTransform, L"Upper", -5},
        {&CPPHtmlDrawer::GetStyleBorder, L"", 0},
        {&CPPHtmlDrawer::GetStyleBorder, L"dotted", 3},
        {&CPPHtmlDrawer::GetStyleBorder, L"double", 6},
        {&CPPHtmlDrawer::GetStyleBorder, L"groove", -5},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"", -1},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"solid", 0},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"3vgradient", 6},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"softbump", 13},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"metal", 15},
        {&CPPHtmlDrawer::GetStyleBkEffect, L"12", 12},
    };
    for (const Case &c : cases)
        EXPECT_EQ((m_drawer.*c.parser)(c.value, -5), c.expected) << testing::PrintToString(std::wstring(c.value));
}

TEST_F(MarkupText, DeclarationsSetTheirFieldsAndKeepBordersConsistent)
{
    PPHtmlStyle style;
    m_drawer.SetStyleFromDeclarations(L"border-style: solid", style);
    EXPECT_EQ(style.nBorderStyle, PPBS_SOLID);
    EXPECT_EQ(style.nBorderWidth, 1) << "a style with width 0 gets width 1";
    m_drawer.SetStyleFromDeclarations(L"border-width: 0", style);
    EXPECT_EQ(style.nBorderWidth, 0);
    EXPECT_EQ(style.nBorderStyle, PPBS_NONE) << "width 0 sets style none";
    m_drawer.SetStyleFromDeclarations(L"size: 3px", style);
    EXPECT_EQ(style.nBorderWidth, 3);
    EXPECT_EQ(style.nBorderStyle, PPBS_SOLID) << "a width with style none sets style solid";
    m_drawer.SetStyleFromDeclarations(L"border-style: dashed; border-color: #00FF00", style);
    EXPECT_EQ(style.nBorderStyle, PPBS_DASHED);
    EXPECT_EQ(style.nBorderWidth, 3);
    EXPECT_EQ(style.crBorderLight, RGB(0, 255, 0));
    EXPECT_EQ(style.crBorderDark, RGB(0, 255, 0));

    PPHtmlStyle text;
    m_drawer.SetStyleFromDeclarations(L"FONT-WEIGHT: Bold; font-style:italic; text-decoration: underline, overline; "
                                      L"color: Navy; font-family:\"Courier New\"; text-align: right; "
                                      L"vertical-align: top; text-transform: uppercase; margin: 5; padding: 7px; "
                                      L"no-such-thing: 4; font-size: 150%",
                                      text);
    EXPECT_EQ(text.nWeightFont, FW_BOLD);
    EXPECT_TRUE(text.bItalicFont);
    EXPECT_TRUE(text.bUnderlineFont);
    EXPECT_TRUE(text.bOverlineFont);
    EXPECT_FALSE(text.bStrikeOutFont);
    EXPECT_EQ(text.crText, RGB(0, 0, 128));
    EXPECT_STREQ(text.sFaceFont, L"courier new");
    EXPECT_EQ(text.nHorzAlign, PPHA_RIGHT);
    EXPECT_EQ(text.nVertAlign, PPVA_TOP);
    EXPECT_EQ(text.nTextTransform, PPTT_UPPERCASE);
    EXPECT_EQ(text.nMargin, 5);
    EXPECT_EQ(text.nPadding, 7);
    EXPECT_EQ(text.nSizeFont, 24);

    m_drawer.SetStyleFromDeclarations(L"text-decoration: none line-through; font-family: ; background-color: yellow",
                                      text);
    EXPECT_FALSE(text.bUnderlineFont);
    EXPECT_FALSE(text.bOverlineFont);
    EXPECT_TRUE(text.bStrikeOutFont);
    EXPECT_STREQ(text.sFaceFont, L"courier new") << "an empty family keeps the face";
    EXPECT_EQ(text.nBkMode, OPAQUE);
    EXPECT_EQ(text.crBkgnd, RGB(255, 255, 0));
    m_drawer.SetStyleFromDeclarations(L"background-color: transparent; color red; font-weight: 300", text);
    EXPECT_EQ(text.nBkMode, TRANSPARENT);
    EXPECT_EQ(text.crBkgnd, RGB(255, 255, 0));
    EXPECT_EQ(text.crText, RGB(0, 0, 128)) << "a property without its colon is skipped";
    EXPECT_EQ(text.nWeightFont, 300);
}

TEST_F(MarkupText, StyleSheetBlocksReplaceEarlierOnesAndAnOpenBlockEndsTheSheet)
{
    CString entry;
    m_drawer.SetCssStyles(L"H1 {color: red} p {color:blue} h1 {color: green}\r\n.Note{font-weight:bold}");
    ASSERT_TRUE(m_drawer.GetStyleSheetEntry(L"h1", entry));
    EXPECT_STREQ(entry, L"color: green");
    ASSERT_TRUE(m_drawer.GetStyleSheetEntry(L".note", entry));
    EXPECT_STREQ(entry, L"font-weight:bold");
    EXPECT_FALSE(m_drawer.GetStyleSheetEntry(L"body", entry)) << "a sheet of one's own replaces the default";

    m_drawer.SetCssStyles(L"h1 {color:red} h2 {color:blue h3 {color:green}");
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L"h1", entry));
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L"h2", entry)) << "its block runs to the next closing brace";
    EXPECT_FALSE(m_drawer.GetStyleSheetEntry(L"h3", entry));
    m_drawer.SetCssStyles(L"h1 {color:red} h2 {color:blue");
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L"h1", entry));
    EXPECT_FALSE(m_drawer.GetStyleSheetEntry(L"h2", entry));
    m_drawer.SetCssStyles(L"h1 color:red");
    EXPECT_FALSE(m_drawer.GetStyleSheetEntry(L"h1", entry));

    // Without a body entry the text is drawn in the reset style.
    MeasureAndDraw(L"x");
    EXPECT_STREQ(m_recorder.texts[0].strFace, L"Verdana");
    EXPECT_EQ(m_recorder.texts[0].nHeight, 16);

    m_drawer.SetCssStyles(nullptr);
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L"a:hover", entry));
    EXPECT_STREQ(entry, L"text-decoration:underline; color:blue");
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L".cpp-comment", entry));
    EXPECT_TRUE(m_drawer.GetStyleSheetEntry(L"p", entry));
    EXPECT_TRUE(
        CString(m_drawer.GetCssStyles()).Find(L"body {font-size: 10pt; color:black; font-family:Verdana}\r\n") == 0);
    MeasureAndDraw(L"<h3>x</h3><pre>y</pre><span class=cpp-comment>z</span>");
    EXPECT_STREQ(m_recorder.Run(L"x").strFace, L"arial");
    EXPECT_EQ(m_recorder.Run(L"x").crText, RGB(0xFF, 0x99, 0x00));
    EXPECT_EQ(m_recorder.Run(L"x").nHeight, 16);
    EXPECT_STREQ(m_recorder.Run(L"y").strFace, L"courier");
    EXPECT_EQ(m_recorder.Run(L"y").nBkMode, OPAQUE);
    EXPECT_EQ(m_recorder.Run(L"y").crBkgnd, RGB(0xFB, 0xED, 0xBB));
    EXPECT_EQ(m_recorder.Run(L"z").crText, RGB(0, 128, 0));
    EXPECT_TRUE(m_recorder.Run(L"z").bItalic);
}

TEST_F(MarkupText, ClosingTagsRestoreOnlyTheStyleTheyMatch)
{
    struct Case
    {
        LPCWSTR text;
        LPCWSTR run;
        BOOL italic;
        int weight;
    } cases[] = {
        {L"<i>a</em>b", L"b", FALSE, FW_NORMAL},
        {L"<em>a</i>b", L"b", FALSE, FW_NORMAL},
        {L"<b>a</i>b", L"b", FALSE, 800},
        {L"<b><i>a</b>b", L"b", TRUE, 800},
        {L"<b><i>a</i></b>b", L"b", FALSE, FW_NORMAL},
        {L"</b>b", L"b", FALSE, FW_NORMAL},
        {L"<b>a</unknown>b", L"b", FALSE, 800},
        {L"<unknown>b", L"b", FALSE, FW_NORMAL},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        MeasureAndDraw(c.text);
        EXPECT_EQ(m_recorder.Run(c.run).bItalic, c.italic);
        EXPECT_EQ(m_recorder.Run(c.run).nWeight, c.weight);
    }

    // "middle" closes an open "bottom" (both match "vcenter"), which puts the baseline back.
    MeasureAndDraw(L"<font size=30>A</font><bottom>b</middle>c");
    const PPHtmlTextRun &big = m_recorder.Run(L"A");
    const PPHtmlTextRun &c = m_recorder.Run(L"c");
    const TEXTMETRICW bigMetrics = Metrics(big);
    const TEXTMETRICW small = Metrics(c);
    EXPECT_EQ(c.y + small.tmAscent, big.y + bigMetrics.tmAscent) << "c sits on the baseline again";
    EXPECT_NE(m_recorder.Run(L"b").y, c.y);
}

TEST_F(MarkupText, FontTagAttributes)
{
    MeasureAndDraw(L"<i><font style=\"b-i+u\">a</font></i><font style=\"-bsox\" weight=600>b</font>"
                   L"<font face=\"Courier New\" size=4 color=#102030>c</font><font face=\"\">d</font>"
                   L"<font bkgnd=lime>e</font><font bkgnd=transparent>f</font><font bkgnd=nothing>g</font>");
    const PPHtmlTextRun &a = m_recorder.Run(L"a");
    EXPECT_EQ(a.nWeight, FW_BOLD);
    EXPECT_FALSE(a.bItalic);
    EXPECT_TRUE(a.bUnderline);
    const PPHtmlTextRun &b = m_recorder.Run(L"b");
    EXPECT_EQ(b.nWeight, 600) << "weight after style";
    EXPECT_TRUE(b.bStrikeOut) << "the minus switches only the letter after it";
    EXPECT_TRUE(b.bOverline);
    const PPHtmlTextRun &c = m_recorder.Run(L"c");
    EXPECT_STREQ(c.strFace, L"Courier New");
    EXPECT_EQ(c.nHeight, 14);
    EXPECT_EQ(c.crText, RGB(0x10, 0x20, 0x30));
    EXPECT_STREQ(m_recorder.Run(L"d").strFace, L"verdana");
    EXPECT_EQ(m_recorder.Run(L"e").nBkMode, OPAQUE);
    EXPECT_EQ(m_recorder.Run(L"e").crBkgnd, RGB(0, 255, 0));
    EXPECT_EQ(m_recorder.Run(L"f").nBkMode, TRANSPARENT);
    EXPECT_EQ(m_recorder.Run(L"g").nBkMode, OPAQUE);
    EXPECT_EQ(m_recorder.Run(L"g").crBkgnd, RGB(255, 255, 255)) << "the inherited background colour";
}

TEST_F(MarkupText, ParametersWithQuotesAndBlanks)
{
    const CString params = L"face = \"Courier New\"  size=3 alt='a b' .x=1 flag Size=9 last=\"open to the end";
    struct Case
    {
        LPCWSTR name;
        bool found;
        LPCWSTR value;
    } cases[] = {
        {L"face", true, L"Courier New"},
        {L"size", true, L"3"},
        {L"alt", true, L"a b"},
        {L".x", true, L"1"},
        {L"flag", true, L""},
        {L"Size", true, L"9"},
        {L"last", true, L"open to the end"},
        {L"missing", false, L""},
        {L"SIZE", false, L""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        CString value = L"stale";
        EXPECT_EQ(CPPHtmlDrawer::GetParameter(params, c.name, value), c.found);
        EXPECT_STREQ(value, c.value);
    }
    CString name;
    CString rest;
    CPPHtmlDrawer::SplitTag(L"font size=3 face=x", name, rest);
    EXPECT_STREQ(name, L"font");
    EXPECT_STREQ(rest, L"size=3 face=x");
    CPPHtmlDrawer::SplitTag(L"/b", name, rest);
    EXPECT_STREQ(name, L"/b");
    EXPECT_STREQ(rest, L"");
}

TEST_F(MarkupText, ResourceStringsByNumberAndLine)
{
    EXPECT_STREQ(m_drawer.GetStringFromResource(IDS_MARKUP_ONE_LINE), L"only one");
    EXPECT_STREQ(m_drawer.GetStringFromResource(0), L"");
    EXPECT_STREQ(m_drawer.GetStringFromResource(IDS_MARKUP_MISSING), L"");
    struct Case
    {
        UINT id;
        int line;
        LPCWSTR text;
    } cases[] = {
        {IDS_MARKUP_THREE_LINES, 0, L"first line"},
        {IDS_MARKUP_THREE_LINES, 1, L"second line"},
        {IDS_MARKUP_THREE_LINES, 2, L"third line"},
        {IDS_MARKUP_THREE_LINES, 3, L""},
        {IDS_MARKUP_THREE_LINES, -1, L""},
        {IDS_MARKUP_ONE_LINE, 0, L"only one"},
        {IDS_MARKUP_ONE_LINE, 1, L""},
        {IDS_MARKUP_MISSING, 0, L""},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(m_drawer.GetStringFromResource(c.id, c.line), c.text) << c.id << " line " << c.line;
}
