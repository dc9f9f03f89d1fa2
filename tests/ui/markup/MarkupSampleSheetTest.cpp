// The markup sample sheet for a person to look at, written into the build folder as "markup.png": headings,
// styles, faces, sizes and colours, pre and code, sub and sup, big and small, a justified paragraph at a maximum
// width, tabs, rules, a marked and an unmarked link, and the entities.
#include "MarkupTestSupport.h"

#include "platform/drawing/GdiPlusSession.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace markuptest;

namespace
{

const wchar_t kSample[] =
    L"<h1>Heading 1</h1> <h2>Heading 2</h2> <h3>Heading 3</h3> <h4>Heading 4</h4> <h5>Heading 5</h5> "
    L"<h6>Heading 6</h6>\n"
    L"<b>bold</b>, <i>italic</i>, <u>underlined</u>, <s>struck out</s>, <font style=\"o\">overlined</font>, "
    L"<b><i>bold italic</i></b>\n"
    L"Faces: <font face=\"Arial\">Arial</font>, <font face=\"Courier\">Courier</font>, "
    L"<font face=\"Verdana\">Verdana</font>\n"
    L"Sizes: <font size=1>one</font> <font size=3>three</font> <font size=5>five</font> "
    L"<font size=\"24px\">24px</font>\n"
    L"Colours: <font color=red>red</font>, <font color=\"#008000\">#008000</font>, <font color=blue>blue</font>, "
    L"<font color=buttonshadow>buttonshadow</font>, <font bkgnd=yellow>on yellow</font>\n"
    L"<pre>pre: copy C:\\Data to E:\\Backup</pre> and <code>code: CSyncJob::Start()</code>\n"
    L"H<sub>2</sub>O and E = mc<sup>2</sup>, <big>big</big> and <small>small</small>\n"
    L"<justify>A justified paragraph at a maximum width of 520 pixels: the backup copies every new and changed "
    L"file to the drive through a temporary name, keeps earlier versions of replaced files as revisions and "
    L"tells you plainly which files it could not copy, so that nothing is reported done unless it is done."
    L"</justify>\n"
    L"Tabs:<t>one<t>two<t 2>four\n"
    L"<hr>\n"
    L"<hr width=\"50%\" size=3 color=teal>\n"
    L"Links: <a href=\"http://example.invalid/\">an unmarked link</a> and <a msg=\"marked\">the marked link</a>\n"
    L"Entities: bullet &bull; euro &euro; trade mark &trade; &copy; &reg; &pound; &para; &iquest; &quot; "
    L"&lt;tag&gt; &amp;";

class MarkupLayoutSample : public MarkupTest
{
  protected:
    CGdiPlusSession m_gdiplus;
};

} // namespace

TEST_F(MarkupLayoutSample, SampleSheet)
{
    ASSERT_TRUE(m_gdiplus.IsStarted());
    m_drawer.SetMaxWidth(520);
    const CSize size = m_drawer.Measure(m_canvas.GetDC(), kSample);
    ASSERT_LE(size.cx, 521);
    ASSERT_LT(size.cy, 560);
    const CRect rect(20, 20, 20 + size.cx, 20 + size.cy);
    m_drawer.Draw(m_canvas.GetDC(), &rect);

    // Mark the second link and draw again on a clean canvas, as the tooltip does on a change of the link.
    ASSERT_EQ(m_drawer.GetHotAreas().size(), 2u);
    m_drawer.PointerOver(m_drawer.GetHotAreas()[1].rect.CenterPoint());
    ASSERT_EQ(m_drawer.GetMarkedLink(), 2);
    RECT all = {0, 0, m_canvas.GetWidth(), m_canvas.GetHeight()};
    FillRect(m_canvas.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    m_recorder.Clear();
    m_drawer.Draw(m_canvas.GetDC(), &rect);

    EXPECT_TRUE(m_recorder.Run(L"the marked link").bUnderline);
    EXPECT_FALSE(m_recorder.Run(L"an unmarked link").bUnderline);
    bool symbols = false;
    for (const PPHtmlTextRun &run : m_recorder.texts)
        if (run.strText.Find(L"bullet \x2022 euro \x20AC trade mark \x2122") >= 0)
            symbols = true;
    EXPECT_TRUE(symbols) << testing::PrintToString(m_recorder.Joined());
    EXPECT_GE(m_recorder.rules.size(), 2u);

    // The sheet is the drawn text with a margin of 20 pixels.
    CDibSection sheet;
    ASSERT_TRUE(sheet.Create(rect.right + 20, rect.bottom + 20, true));
    BitBlt(sheet.GetDC(), 0, 0, sheet.GetWidth(), sheet.GetHeight(), m_canvas.GetDC(), 0, 0, SRCCOPY);
    EXPECT_TRUE(testsupport::SaveSectionAsPng(sheet.GetBits(), sheet.GetWidth(), sheet.GetHeight(), true,
                                              testsupport::BuildFolder() + L"markup.png"));
}
