// Layout and drawing of markup, through the observer and the canvas: styles, line breaking, tabs, alignments,
// sizes, links and their hot areas, the disabled drawer, rules and overlines. The drawer runs without its
// extension here: tables and images take no room and no link is run.
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace markuptest;

namespace
{

class MarkupLayout : public MarkupTest
{
  protected:
    void SetUp() override
    {
        MarkupTest::SetUp();
        m_drawer.SetExtension(nullptr);
    }
    // The body font's run, measured once.
    PPHtmlTextRun Body()
    {
        MeasureAndDraw(L"x");
        return m_recorder.texts.at(0);
    }
    bool IsInk(int x, int y) const
    {
        const DWORD pixel = m_canvas.GetBits()[static_cast<size_t>(y) * m_canvas.GetWidth() + x] & 0x00FFFFFF;
        return pixel != 0x00FFFFFF;
    }
    COLORREF At(int x, int y) const
    {
        const DWORD pixel = m_canvas.GetBits()[static_cast<size_t>(y) * m_canvas.GetWidth() + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // Whether SetTextJustification moves the ink of a text with blanks in the run's font.
    bool JustificationSpreadsBlanks(const PPHtmlTextRun &run)
    {
        CDibSection probe;
        if (!probe.Create(200, 30, true))
            return false;
        CGdiObjectOwner<HFONT> font(
            CreateFontW(run.nHeight, 0, 0, 0, run.nWeight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, run.strFace));
        SelectObject(probe.GetDC(), font);
        auto inkRight = [&](int extra) {
            RECT all = {0, 0, 200, 30};
            FillRect(probe.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            SetTextJustification(probe.GetDC(), extra, extra > 0 ? 2 : 0);
            TextOutW(probe.GetDC(), 0, 0, L"a b c", 5);
            SetTextJustification(probe.GetDC(), 0, 0);
            int right = 0;
            const DWORD *bits = probe.GetBits();
            for (int i = 0; i < 200 * 30; ++i)
                if ((bits[i] & 0x00FFFFFF) != 0x00FFFFFF)
                    right = std::max(right, i % 200);
            return right;
        };
        const int plain = inkRight(0);
        const int spread = inkRight(40);
        SelectObject(probe.GetDC(), GetStockObject(SYSTEM_FONT));
        return spread >= plain + 30;
    }
    void Clean()
    {
        RECT all = {0, 0, m_canvas.GetWidth(), m_canvas.GetHeight()};
        FillRect(m_canvas.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
};

const UINT kNotifyMessage = WM_USER + 5;
const UINT kMsgMessage = WM_USER + 6;

} // namespace

TEST_F(MarkupLayout, BoldDoublesTheWeightAndItalicSwitches)
{
    MeasureAndDraw(L"a<b>b</b>c");
    ASSERT_EQ(m_recorder.Joined(), L"[a][b][c]");
    const PPHtmlTextRun &a = m_recorder.Run(L"a");
    const PPHtmlTextRun &b = m_recorder.Run(L"b");
    const PPHtmlTextRun &c = m_recorder.Run(L"c");
    EXPECT_EQ(a.nWeight, FW_NORMAL);
    EXPECT_EQ(b.nWeight, 800);
    EXPECT_EQ(c.nWeight, FW_NORMAL);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(b.x, TextWidth(a, L"a"));
    EXPECT_EQ(c.x, b.x + TextWidth(b, L"b"));
    EXPECT_EQ(a.y, b.y);

    MeasureAndDraw(L"<b>a<b>b</b>c</b>d");
    EXPECT_EQ(m_recorder.Run(L"a").nWeight, 800);
    EXPECT_EQ(m_recorder.Run(L"b").nWeight, 900);
    EXPECT_EQ(m_recorder.Run(L"c").nWeight, 800);
    EXPECT_EQ(m_recorder.Run(L"d").nWeight, FW_NORMAL);

    MeasureAndDraw(L"<i><i>x</i></i><u>y<u>z</u></u><s>w</s>");
    EXPECT_FALSE(m_recorder.Run(L"x").bItalic);
    EXPECT_TRUE(m_recorder.Run(L"y").bUnderline);
    EXPECT_FALSE(m_recorder.Run(L"z").bUnderline);
    EXPECT_TRUE(m_recorder.Run(L"w").bStrikeOut);
}

TEST_F(MarkupLayout, MaximumWidthSplitsLongWordsAndMovesWordsThatDoNotFit)
{
    const PPHtmlTextRun body = Body();
    const int maxWidth = TextWidth(body, L"abcdefghij");
    m_drawer.SetMaxWidth(maxWidth);

    const CString word = L"abcdefghijklmnopqrstuvwxyz";
    const CSize size = MeasureAndDraw(word);
    EXPECT_LE(size.cx - 1, maxWidth);
    ASSERT_GE(m_recorder.texts.size(), 3u);
    CString joined;
    int previousY = -1;
    for (const PPHtmlTextRun &run : m_recorder.texts)
    {
        EXPECT_EQ(run.x, 0);
        EXPECT_GT(run.y, previousY) << "each piece on a line of its own";
        EXPECT_LE(TextWidth(run, run.strText), maxWidth);
        previousY = run.y;
        joined += run.strText;
    }
    EXPECT_STREQ(joined, word);
    // The first piece is the longest that fits.
    const CString first = m_recorder.texts[0].strText;
    EXPECT_GT(TextWidth(body, word.Left(first.GetLength() + 1)), maxWidth);

    // A word that does not fit after another goes whole to the next line, with the blank before it dropped.
    m_drawer.SetMaxWidth(TextWidth(body, L"bbbbbbbbbb") + 2);
    MeasureAndDraw(L"aa bbbbbbbbbb");
    EXPECT_EQ(m_recorder.Joined(), L"[aa][bbbbbbbbbb]");
    EXPECT_EQ(m_recorder.Run(L"bbbbbbbbbb").x, 0);
    EXPECT_GT(m_recorder.Run(L"bbbbbbbbbb").y, m_recorder.Run(L"aa").y);

    // The same across style runs: the bold word moves on whole.
    MeasureAndDraw(L"<b>b</b>");
    const PPHtmlTextRun bold = m_recorder.texts.at(0);
    m_drawer.SetMaxWidth(TextWidth(bold, L"bbbbbbbbb") + 1);
    MeasureAndDraw(L"x <b>bbbbbbbbb</b>");
    EXPECT_EQ(m_recorder.Joined(), L"[x ][bbbbbbbbb]");
    EXPECT_EQ(m_recorder.Run(L"bbbbbbbbb").x, 0);
    EXPECT_GT(m_recorder.Run(L"bbbbbbbbb").y, m_recorder.Run(L"x ").y);

    // Breaks come after the break characters, which stay with the piece before them.
    m_drawer.SetMaxWidth(TextWidth(body, L"well-known") - 1);
    MeasureAndDraw(L"well-known");
    EXPECT_EQ(m_recorder.Joined(), L"[well-][known]");

    // Without a maximum width lines end only at line breaks.
    m_drawer.SetMaxWidth(0);
    MeasureAndDraw(L"aa bbbbbbbbbb cccccccccccccccc<br>d");
    EXPECT_EQ(m_recorder.Joined(), L"[aa bbbbbbbbbb cccccccccccccccc][d]");
}

TEST_F(MarkupLayout, TabsMoveToTheNextStopsFromTheLineStart)
{
    const PPHtmlTextRun body = Body();
    ASSERT_LT(TextWidth(body, L"x"), 32);
    const int wide = TextWidth(body, L"abcdefghij");
    ASSERT_GT(wide, 32);
    struct Case
    {
        LPCWSTR text;
        int offset;
    } cases[] = {
        {L"x<t>y", 32}, {L"x<t 3>y", 96}, {L"x<t 0>y", 32},
        {L"<t>y", 32},  {L"<t 3>y", 96},  {L"abcdefghij<t>y", (wide / 32 + 1) * 32},
        {L"x\ty", 32},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        MeasureAndDraw(c.text, 10, 5);
        EXPECT_EQ(m_recorder.Run(L"y").x, 10 + c.offset);
    }
}

TEST_F(MarkupLayout, LinesAreAlignedInTheirBlock)
{
    const PPHtmlTextRun body = Body();
    const int shortWidth = TextWidth(body, L"ab");
    const int longWidth = TextWidth(body, L"abcdef");

    MeasureAndDraw(L"<center>ab<br>abcdef</center>", 20, 0);
    EXPECT_EQ(m_recorder.Run(L"ab").x, 20 + (longWidth - shortWidth) / 2);
    EXPECT_EQ(m_recorder.Run(L"abcdef").x, 20);

    MeasureAndDraw(L"<right>ab<br>abcdef</right>", 20, 0);
    EXPECT_EQ(m_recorder.Run(L"ab").x, 20 + longWidth - shortWidth);

    MeasureAndDraw(L"<right>ab</right><br>abcdef", 20, 0);
    EXPECT_EQ(m_recorder.Run(L"ab").x, 20 + longWidth - shortWidth);
    EXPECT_EQ(m_recorder.Run(L"abcdef").x, 20);
}

TEST_F(MarkupLayout, JustifiedLinesFillTheBlockButTheLastOne)
{
    // The drawer spreads a justified line's room with the platform's text justification, which widens the font's
    // break character. Wine gives its substitutes for the markup's faces a break character other than the blank,
    // so there the ink does not move; the layout itself (the observer's widths) is checked either way.
    const bool spreads = JustificationSpreadsBlanks(Body());
    m_drawer.SetMaxWidth(200);
    MeasureAndDraw(L"<justify>The backup copies every changed file to the drive, keeps older versions of replaced "
                   L"files and tells you what it could not copy.</justify>",
                   10, 10, 200);
    ASSERT_GE(m_recorder.texts.size(), 3u);
    for (size_t i = 0; i < m_recorder.texts.size(); ++i)
    {
        const PPHtmlTextRun &run = m_recorder.texts[i];
        SCOPED_TRACE(testing::PrintToString(std::wstring(run.strText.GetString())));
        EXPECT_EQ(run.x, 10);
        const int natural = TextWidth(run, run.strText);
        // The rightmost ink on the line's band.
        int right = 0;
        const TEXTMETRICW metrics = Metrics(run);
        for (int y = run.y; y < run.y + metrics.tmHeight; ++y)
            for (int x = 0; x < m_canvas.GetWidth(); ++x)
                if (IsInk(x, y))
                    right = std::max(right, x);
        if (i + 1 < m_recorder.texts.size())
        {
            EXPECT_EQ(run.nWidth, 200) << "a wrapped line spreads over the whole block";
            if (spreads)
            {
                EXPECT_GE(right, 10 + 200 - 5);
            }
        }
        else
        {
            EXPECT_EQ(run.nWidth, natural) << "the last line keeps its own width";
            EXPECT_LE(right, 10 + natural + 2);
        }
    }

    // A line without blanks is not justified.
    Clean();
    m_drawer.SetMaxWidth(100);
    MeasureAndDraw(L"<justify>abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz</justify>", 0, 0, 100);
    ASSERT_GE(m_recorder.texts.size(), 2u);
    for (const PPHtmlTextRun &run : m_recorder.texts)
        EXPECT_EQ(run.nWidth, TextWidth(run, run.strText));
    // Later measurements are not widened by a justification left on the DC.
    SIZE extent = {};
    GetTextExtentPoint32W(m_canvas.GetDC(), L"a b c", 5, &extent);
    SetTextJustification(m_canvas.GetDC(), 0, 0);
    SIZE plain = {};
    GetTextExtentPoint32W(m_canvas.GetDC(), L"a b c", 5, &plain);
    EXPECT_EQ(extent.cx, plain.cx);
}

TEST_F(MarkupLayout, VerticalAlignmentWithMixedSizes)
{
    MeasureAndDraw(L"<font size=30>A</font>b<top>c</top><middle>d</middle><bottom>e</bottom>", 0, 7);
    const PPHtmlTextRun &big = m_recorder.Run(L"A");
    const TEXTMETRICW bigMetrics = Metrics(big);
    const TEXTMETRICW small = Metrics(m_recorder.Run(L"b"));
    const int descent = std::max(bigMetrics.tmDescent, small.tmDescent);
    const int height = std::max(bigMetrics.tmAscent, small.tmAscent) + descent;
    EXPECT_EQ(m_drawn.Height(), height);
    EXPECT_EQ(big.y, 7 + height - bigMetrics.tmAscent - descent);
    EXPECT_EQ(m_recorder.Run(L"b").y, 7 + height - small.tmAscent - descent) << "baseline";
    EXPECT_EQ(m_recorder.Run(L"c").y, 7) << "top";
    EXPECT_EQ(m_recorder.Run(L"d").y, 7 + (height - small.tmHeight) / 2) << "middle";
    EXPECT_EQ(m_recorder.Run(L"e").y, 7 + height - small.tmAscent) << "bottom";

    // A second line starts below the first by its height.
    MeasureAndDraw(L"<font size=30>A</font><br>b", 0, 7);
    EXPECT_EQ(m_recorder.Run(L"b").y, 7 + bigMetrics.tmHeight);
}

TEST_F(MarkupLayout, TextsThatShowNothingTakeNoRoom)
{
    EXPECT_EQ(m_drawer.Measure(m_canvas.GetDC(), L""), CSize(0, 0));
    EXPECT_STREQ(m_drawer.GetText(), L"");
    for (LPCWSTR text : {L"<b></b>", L"<unknown attr=1>", L"<br><br>", L"<table><tr><td>x</td></tr></table>"})
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        EXPECT_EQ(m_drawer.Measure(m_canvas.GetDC(), text), CSize(1, 1));
        EXPECT_STREQ(m_drawer.GetText(), L"") << "the text is emptied";
        m_recorder.Clear();
        const RECT rect = {0, 0, 10, 10};
        m_drawer.Draw(m_canvas.GetDC(), &rect);
        EXPECT_TRUE(m_recorder.texts.empty());
    }

    const PPHtmlTextRun body = Body();
    const TEXTMETRICW metrics = Metrics(body);
    EXPECT_EQ(m_drawer.Measure(m_canvas.GetDC(), L"xy"), CSize(TextWidth(body, L"xy") + 1, metrics.tmHeight + 1));
    // Without the extension a table block takes no room: the text around it is laid out alone.
    EXPECT_EQ(m_drawer.Measure(m_canvas.GetDC(), L"xy<table><tr><td>wide cell text</td></tr></table>"),
              CSize(TextWidth(body, L"xy") + 1, metrics.tmHeight + 1));
    MeasureAndDraw(L"a<table border=1><tr><td>b<table><tr><td>c</td></tr></table></td></tr></table>d");
    EXPECT_EQ(m_recorder.Joined(), L"[a][d]");
    EXPECT_GT(m_recorder.Run(L"d").y, m_recorder.Run(L"a").y) << "the blocks lie one below the other";
}

TEST_F(MarkupLayout, LinksAreNumberedMarkedAndRun)
{
    MessageWindow window(kMsgMessage);
    ASSERT_NE(window.Handle(), nullptr);
    m_drawer.SetLinkNotify(window.Handle(), kNotifyMessage, 77);
    m_drawer.SetMsgTarget(window.Handle(), kMsgMessage, 88);

    const CString text = L"<a href=\"http://example.invalid/\">one</a> and <a msg=\"second link\">two</a>";
    MeasureAndDraw(text);
    EXPECT_EQ(m_recorder.Joined(), L"[one][ and ][two]");
    EXPECT_EQ(m_recorder.Run(L"one").nLink, 1);
    EXPECT_EQ(m_recorder.Run(L" and ").nLink, 0);
    EXPECT_EQ(m_recorder.Run(L"two").nLink, 2);
    EXPECT_FALSE(m_recorder.Run(L"two").bUnderline) << "a:link";
    EXPECT_EQ(m_recorder.Run(L"two").crText, RGB(0, 0, 255));
    ASSERT_EQ(m_drawer.GetHotAreas().size(), 2u);
    const PPHtmlHotArea one = m_drawer.GetHotAreas()[0];
    const PPHtmlHotArea two = m_drawer.GetHotAreas()[1];
    EXPECT_EQ(one.nLink, 1);
    EXPECT_EQ(one.nTypeLink, PPLINK_HREF);
    EXPECT_STREQ(one.strLink, L"http://example.invalid/");
    EXPECT_EQ(two.nLink, 2);
    EXPECT_EQ(two.nTypeLink, PPLINK_MSG);
    EXPECT_STREQ(two.strLink, L"second link");
    EXPECT_EQ(two.rect.left, m_recorder.Run(L"two").x);
    EXPECT_EQ(m_recorder.areas.size(), 2u);

    // Pointer over the second link: it is marked, the window hears of it once, and it is drawn with a:hover.
    EXPECT_FALSE(m_drawer.PointerOver(two.rect.CenterPoint())) << "no hand cursor without the link code";
    EXPECT_EQ(m_drawer.GetMarkedLink(), 2);
    EXPECT_FALSE(m_drawer.PointerOver(CPoint(two.rect.right, two.rect.bottom))) << "edges count as inside";
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].message, kNotifyMessage);
    EXPECT_EQ(window.messages[0].wParam, 2u);
    EXPECT_EQ(window.messages[0].lParam, 77);
    m_recorder.Clear();
    m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    EXPECT_TRUE(m_recorder.Run(L"two").bUnderline) << "a:hover";
    EXPECT_FALSE(m_recorder.Run(L"one").bUnderline);

    // Leaving the links sends -2, once.
    m_drawer.PointerOver(CPoint(two.rect.right + 5, two.rect.top));
    m_drawer.PointerOver(CPoint(two.rect.right + 6, two.rect.top));
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(static_cast<INT_PTR>(window.messages[1].wParam), -2);
    EXPECT_EQ(m_drawer.GetMarkedLink(), -2);

    // A click on the "msg" link sends its text and parameter; the "href" link runs nothing without the link code.
    m_drawer.Click(two.rect.CenterPoint());
    ASSERT_EQ(window.messages.size(), 3u);
    EXPECT_EQ(window.messages[2].message, kMsgMessage);
    EXPECT_EQ(window.messages[2].text, L"second link");
    EXPECT_EQ(window.messages[2].lParam, 88);
    m_drawer.Click(one.rect.CenterPoint());
    m_drawer.Click(CPoint(700, 500));
    EXPECT_EQ(window.messages.size(), 3u);

    // A link without a text marks but runs nothing; a cleared notification sends nothing.
    MeasureAndDraw(L"<a>bare</a>");
    ASSERT_EQ(m_drawer.GetHotAreas().size(), 1u);
    m_drawer.Click(m_drawer.GetHotAreas()[0].rect.CenterPoint());
    EXPECT_EQ(window.messages.size(), 3u);
    m_drawer.SetLinkNotify(nullptr, kNotifyMessage, 77);
    m_drawer.PointerOver(m_drawer.GetHotAreas()[0].rect.CenterPoint());
    EXPECT_EQ(m_drawer.GetMarkedLink(), 1);
    EXPECT_EQ(window.messages.size(), 3u);
}

TEST_F(MarkupLayout, HotAreasStayTheSameOverRepeatedDrawing)
{
    MeasureAndDraw(L"<a href=x>one</a><br><a msg=y>two <b>bold</b></a>");
    const std::vector<PPHtmlHotArea> first = m_drawer.GetHotAreas();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[2].nLink, 2) << "text inside a link belongs to it";
    for (int i = 0; i < 100; ++i)
        m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    const std::vector<PPHtmlHotArea> after = m_drawer.GetHotAreas();
    ASSERT_EQ(after.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i)
    {
        EXPECT_EQ(after[i].rect, first[i].rect);
        EXPECT_EQ(after[i].nLink, first[i].nLink);
    }
}

TEST_F(MarkupLayout, DisabledDrawerDrawsEveryTextInTheDisabledColour)
{
    const COLORREF disabled = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(m_drawer.GetDisabledColor(), disabled);
    m_drawer.SetEnabled(FALSE);
    MeasureAndDraw(L"<font color=red>a</font>b<h2>c</h2><a href=x>d</a><font bkgnd=yellow>e</font>"
                   L"<span class=cpp-comment>f</span><pre>g</pre><br><hr color=red size=2>");
    ASSERT_EQ(m_recorder.texts.size(), 7u);
    for (const PPHtmlTextRun &run : m_recorder.texts)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(run.strText.GetString())));
        EXPECT_EQ(run.crText, disabled);
        EXPECT_EQ(run.nBkMode, TRANSPARENT);
    }
    ASSERT_EQ(m_recorder.rules.size(), 1u);
    EXPECT_EQ(m_recorder.rules[0].crColor, disabled);

    m_drawer.SetCssStyles(L"h1 {color: red}");
    MeasureAndDraw(L"x");
    EXPECT_EQ(m_recorder.Run(L"x").crText, disabled) << "also without a body entry";
    m_drawer.SetEnabled(TRUE);
    MeasureAndDraw(L"x");
    EXPECT_EQ(m_recorder.Run(L"x").crText, RGB(0, 0, 0));
}

TEST_F(MarkupLayout, RulesAreFilledRectanglesCentredInTheirLine)
{
    MeasureAndDraw(L"abc<br><hr size=3 color=red><br>b", 5, 5);
    const PPHtmlTextRun &abc = m_recorder.Run(L"abc");
    const int lineHeight = Metrics(abc).tmHeight;
    ASSERT_EQ(m_recorder.rules.size(), 1u);
    const PPHtmlRule &rule = m_recorder.rules[0];
    const int ruleLine = 5 + lineHeight;
    EXPECT_EQ(rule.rect, CRect(5, ruleLine + 4, 5 + TextWidth(abc, L"abc"), ruleLine + 7)) << "100 % of the block";
    EXPECT_EQ(rule.crColor, RGB(255, 0, 0));
    EXPECT_EQ(m_recorder.Run(L"b").y, ruleLine + 11) << "the rule's line is its size + 8 high";
    EXPECT_EQ(At(rule.rect.left, rule.rect.top), RGB(255, 0, 0));
    EXPECT_EQ(At(rule.rect.right - 1, rule.rect.bottom - 1), RGB(255, 0, 0));
    EXPECT_EQ(At(rule.rect.left, rule.rect.top - 1), RGB(255, 255, 255));
    EXPECT_EQ(At(rule.rect.left, rule.rect.bottom), RGB(255, 255, 255));

    MeasureAndDraw(L"<hr width=50 size=2><br><hr width=\"50%\"><br><hr>", 0, 300, 120);
    ASSERT_EQ(m_recorder.rules.size(), 3u);
    EXPECT_EQ(m_recorder.rules[0].rect.Width(), 50);
    EXPECT_EQ(m_recorder.rules[0].rect.Height(), 2);
    EXPECT_EQ(m_recorder.rules[1].rect.Width(), 60);
    EXPECT_EQ(m_recorder.rules[2].rect.Width(), 120);
    EXPECT_EQ(m_recorder.rules[2].rect.Height(), 1);
    EXPECT_EQ(m_recorder.rules[2].crColor, RGB(0, 0, 0)) << "the text colour";
}

TEST_F(MarkupLayout, LineFeedsBreakOnlyWithTheNewlineFlag)
{
    MeasureAndDraw(L"a\nb");
    EXPECT_GT(m_recorder.Run(L"b").y, m_recorder.Run(L"a").y);
    m_drawer.SetNewLine(FALSE);
    MeasureAndDraw(L"a\nb");
    EXPECT_EQ(m_recorder.Joined(), L"[ab]");
    MeasureAndDraw(L"a<br 3>b");
    const int lineHeight = Metrics(m_recorder.Run(L"a")).tmHeight;
    EXPECT_EQ(m_recorder.Run(L"b").y, 3 * lineHeight) << "a break with a count ends that many lines";
}

TEST_F(MarkupLayout, OverlinesAndTextTransforms)
{
    MeasureAndDraw(L"<font style=o>xyz</font><br><b><font style=o>xyz</font></b>", 0, 10);
    const PPHtmlTextRun &plain = m_recorder.texts.at(0);
    const PPHtmlTextRun &bold = m_recorder.texts.at(1);
    EXPECT_TRUE(plain.bOverline);
    for (int x = plain.x; x < plain.x + plain.nWidth; ++x)
    {
        EXPECT_EQ(At(x, plain.y), RGB(0, 0, 0)) << x;
        EXPECT_EQ(At(x, bold.y), RGB(0, 0, 0)) << x;
        EXPECT_EQ(At(x, bold.y + 1), RGB(0, 0, 0)) << "two pixels for bold text, at " << x;
    }

    m_drawer.SetCssStyles(L".up {text-transform: uppercase} .low {text-transform: lowercase} "
                          L".cap {text-transform: capitalize}");
    MeasureAndDraw(L"<span class=up>abc Def</span>|<span class=low>ABC dEF</span>|"
                   L"<span class=cap>the quick-brown fox</span>");
    EXPECT_EQ(m_recorder.Joined(), L"[ABC DEF][|][abc def][|][The Quick-brown Fox]");
}
