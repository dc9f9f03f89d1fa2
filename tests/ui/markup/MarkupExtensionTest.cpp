// The drawer's side of the interface that tables, images and links implement: passes, table blocks, boxes and
// texts placed in the line, links run through the extension and its hand cursor, and animation entries.
#include "MarkupTestStrings.h"
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace markuptest;

namespace
{

// Draws "bmp" tags as boxes of "cx" x "cy", "string" tags as their resource string and table blocks as
// 50 x 20 blocks; records what the drawer asks.
class FakeExtension : public IPPHtmlExtension
{
  public:
    void BeginPass(CPPHtmlDrawer &drawer) override
    {
        passes.push_back(drawer.IsMeasuring());
    }
    CSize TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame) override
    {
        tables.push_back(strTable);
        if (!drawer.IsMeasuring())
            tableFrames.push_back(frame);
        return CSize(50, 20);
    }
    void InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams) override
    {
        if (nTag == PPTAG_STRING)
        {
            drawer.PlaceText(drawer.GetStringFromResource(static_cast<UINT>(_wtoi(strParams))));
            return;
        }
        CString cx;
        CString cy;
        CPPHtmlDrawer::GetParameter(strParams, L"cx", cx);
        CPPHtmlDrawer::GetParameter(strParams, L"cy", cy);
        CRect box;
        if (drawer.PlaceBox(CSize(drawer.GetLengthUnit(cx, 0), drawer.GetLengthUnit(cy, 0)), box))
        {
            boxes.push_back(box);
            marked.push_back(drawer.IsOpenLinkMarked());
        }
    }
    INT_PTR RunHyperlink(const CString &strUrl, int nShowMode) override
    {
        runs.push_back(strUrl);
        showModes.push_back(nShowMode);
        return 42;
    }
    HCURSOR GetHandCursor() override
    {
        return LoadCursor(nullptr, IDC_HAND);
    }

    std::vector<bool> passes;
    std::vector<CString> tables;
    std::vector<CRect> tableFrames;
    std::vector<CRect> boxes;
    std::vector<bool> marked;
    std::vector<CString> runs;
    std::vector<int> showModes;
};

class MarkupLayoutExtension : public MarkupTest
{
  protected:
    void SetUp() override
    {
        MarkupTest::SetUp();
        auto extension = std::make_unique<FakeExtension>();
        m_extension = extension.get();
        m_drawer.SetExtension(std::move(extension));
    }
    FakeExtension *m_extension = nullptr;
};

} // namespace

TEST_F(MarkupLayoutExtension, BoxesRaiseTheLineAndArePlacedByVerticalAlignment)
{
    MeasureAndDraw(L"a<bmp cx=10 cy=30>b<top><bmp cx=4 cy=5></top>", 0, 3);
    EXPECT_EQ(m_extension->passes, (std::vector<bool>{true, false}));
    const PPHtmlTextRun &a = m_recorder.Run(L"a");
    const TEXTMETRICW metrics = Metrics(a);
    const int height = std::max<int>(30, metrics.tmAscent) + metrics.tmDescent;
    EXPECT_EQ(m_drawn.Height(), height);
    ASSERT_EQ(m_extension->boxes.size(), 2u);
    const int aWidth = TextWidth(a, L"a");
    EXPECT_EQ(m_extension->boxes[0],
              CRect(aWidth, 3 + height - metrics.tmDescent - 30, aWidth + 10, 3 + height - metrics.tmDescent))
        << "on the baseline";
    EXPECT_EQ(m_recorder.Run(L"b").x, aWidth + 10);
    EXPECT_EQ(m_extension->boxes[1].top, 3) << "at the top";
    EXPECT_EQ(m_recorder.Run(L"b").y + metrics.tmAscent, 3 + height - metrics.tmDescent);

    // A box that does not fit after something ends the line first.
    m_extension->boxes.clear();
    m_drawer.SetMaxWidth(aWidth + 5);
    MeasureAndDraw(L"a<bmp cx=10 cy=10>", 0, 0);
    ASSERT_EQ(m_extension->boxes.size(), 1u);
    EXPECT_EQ(m_extension->boxes[0].left, 0);
    EXPECT_GE(m_extension->boxes[0].top, metrics.tmHeight);
}

TEST_F(MarkupLayoutExtension, StringTagsAndTableBlocks)
{
    MeasureAndDraw(CString(L"[<string ") + std::to_wstring(IDS_MARKUP_ONE_LINE).c_str() + L">]");
    EXPECT_EQ(m_recorder.Joined(), L"[[][only one][]]");

    const CSize size = MeasureAndDraw(L"x<table border=1><tr><td>t</td></tr></table>y", 4, 6);
    const int lineHeight = Metrics(m_recorder.Run(L"x")).tmHeight;
    ASSERT_EQ(m_extension->tables.size(), 2u) << "measured and drawn";
    EXPECT_STREQ(m_extension->tables[0], L"<table border=1><tr><td>t</td></tr></table>");
    ASSERT_EQ(m_extension->tableFrames.size(), 1u);
    EXPECT_EQ(m_extension->tableFrames[0].left, 4);
    EXPECT_EQ(m_extension->tableFrames[0].top, 6 + lineHeight);
    EXPECT_EQ(m_recorder.Run(L"y").y, 6 + lineHeight + 20);
    EXPECT_EQ(size.cy - 1, 2 * lineHeight + 20);
    EXPECT_GE(size.cx - 1, 50);
}

TEST_F(MarkupLayoutExtension, LinksRunThroughTheExtensionAndShowItsHandCursor)
{
    MeasureAndDraw(L"<a href=\"http://example.invalid/\">go <bmp cx=8 cy=8></a> and <a msg=m>msg</a>");
    ASSERT_EQ(m_drawer.GetHotAreas().size(), 3u) << "the text and the box of the first link, the second link";
    const CRect box = m_drawer.GetHotAreas()[1].rect;
    EXPECT_EQ(box, m_extension->boxes.at(0));
    EXPECT_TRUE(m_drawer.PointerOver(box.CenterPoint())) << "the hand cursor over a link";
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
    m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    EXPECT_TRUE(m_extension->marked.back()) << "the box knows its link is the marked one";
    m_drawer.Click(box.CenterPoint());
    ASSERT_EQ(m_extension->runs.size(), 1u);
    EXPECT_STREQ(m_extension->runs[0], L"http://example.invalid/");
    EXPECT_EQ(m_extension->showModes[0], SW_SHOW);
    m_drawer.Click(m_drawer.GetHotAreas()[2].rect.CenterPoint());
    EXPECT_EQ(m_extension->runs.size(), 1u) << "a msg link is not run through the extension";
}

TEST_F(MarkupLayoutExtension, AnimationEntriesStepTheirFrames)
{
    EXPECT_EQ(m_drawer.AddAnimation(3, 2), 0);
    EXPECT_EQ(m_drawer.AddAnimation(0, 1), 1);
    std::vector<int> changes;
    for (int tick = 0; tick < 8; ++tick)
        changes.push_back(m_drawer.AnimationTick());
    // Two ticks a frame, three frames: frame 1, 2, 0, 1.
    EXPECT_EQ(changes, (std::vector<int>{FALSE, TRUE, FALSE, TRUE, FALSE, TRUE, FALSE, TRUE}));
    EXPECT_EQ(m_drawer.TakeAnimationFrame(), 1);
    EXPECT_EQ(m_drawer.TakeAnimationFrame(), 0) << "an entry without frames stays";
    EXPECT_EQ(m_drawer.TakeAnimationFrame(), 0) << "past the last entry";
    // A new text forgets the entries.
    m_drawer.Measure(m_canvas.GetDC(), L"x");
    EXPECT_FALSE(m_drawer.AnimationTick());
}
