// The splitter as a window: its class and styles, the panes it lays out, and a bar dragged by messages.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/Controls.h"
#include "ui/controls/Splitter.h"

namespace
{

const int kBar = 3;
const int kMinimum = 30;

class SplitterWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.CreateEx(WS_EX_CLIENTEDGE, AfxDefaultWndClass(), L"host", WS_POPUP | WS_VISIBLE, 0, 0, 400,
                                    300, nullptr, nullptr));
    }

    // A splitter of the given panes in a 300 x 200 client area, with a window in every pane but the last
    // when lastEmpty is set.
    CSimpleSplitter &Make(int panes, UINT orientation, bool lastEmpty = false)
    {
        m_splitter.reset(new CSimpleSplitter(panes, orientation, kMinimum, kBar));
        EXPECT_TRUE(m_splitter->Create(&m_host, CRect(0, 0, 300, 200), 100));
        for (int i = 0; i < panes && i < 3; ++i)
        {
            if (lastEmpty && i == panes - 1)
                break;
            EXPECT_TRUE(
                m_panes[i].Create(L"pane", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), m_splitter.get(), 200 + i));
            m_splitter->SetPane(i, &m_panes[i]);
        }
        return *m_splitter;
    }

    CRect PaneRect(int i) const
    {
        CRect rect;
        m_panes[i].GetWindowRect(&rect);
        m_splitter->ScreenToClient(&rect);
        return rect;
    }

    void Send(UINT message, int x, int y)
    {
        m_splitter->SendMessage(message, MK_LBUTTON, MAKELPARAM(x, y));
    }

    CWnd m_host;
    std::unique_ptr<CSimpleSplitter> m_splitter;
    CStatic m_panes[3];
};

} // namespace

TEST_F(SplitterWindow, IsAControlParentWithTheSizingCursorAndTakesTheParentsEdge)
{
    CSimpleSplitter &splitter = Make(2, 1);
    EXPECT_NE(splitter.GetExStyle() & WS_EX_CONTROLPARENT, 0u);
    EXPECT_EQ(splitter.GetStyle() & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(m_host.GetExStyle() & WS_EX_CLIENTEDGE, 0u);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(splitter.GetSafeHwnd(), GCLP_HCURSOR)),
              ::LoadCursorW(nullptr, IDC_SIZEWE));
    EXPECT_EQ(::GetClassLongPtrW(splitter.GetSafeHwnd(), GCLP_HBRBACKGROUND), 0);

    CSimpleSplitter stacked(2, 2, kMinimum, kBar);
    ASSERT_TRUE(stacked.Create(&m_host, CRect(0, 0, 100, 100), 101));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(stacked.GetSafeHwnd(), GCLP_HCURSOR)),
              ::LoadCursorW(nullptr, IDC_SIZENS));
}

TEST_F(SplitterWindow, PanesFollowTheirShares)
{
    CSimpleSplitter &splitter = Make(2, 1);
    const int sizes[] = {100, 197};
    splitter.SetPaneSizes(sizes);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 100, 200));
    EXPECT_EQ(PaneRect(1), CRect(103, 0, 300, 200));
    CRect rect;
    splitter.GetPaneRect(1, &rect);
    EXPECT_EQ(rect, CRect(103, 0, 300, 200));
    splitter.GetPaneRect(2, &rect);
    EXPECT_TRUE(rect.IsRectNull());

    // The shares survive a resize.
    splitter.MoveWindow(0, 0, 597, 100);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 200, 100));
    EXPECT_EQ(PaneRect(1), CRect(203, 0, 597, 100));

    // Sizes adding up to nothing change nothing.
    const int zero[] = {0, 0};
    splitter.SetPaneSizes(zero);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 200, 100));
}

TEST_F(SplitterWindow, PressMoveAndReleaseMoveTheBar)
{
    CSimpleSplitter &splitter = Make(2, 1);
    const int sizes[] = {100, 197};
    splitter.SetPaneSizes(sizes);

    Send(WM_LBUTTONDOWN, 101, 50);
    EXPECT_EQ(::GetCapture(), splitter.GetSafeHwnd());
    Send(WM_MOUSEMOVE, 151, 60);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 100, 200)) << "panes move on release only";
    Send(WM_LBUTTONUP, 151, 60);
    EXPECT_EQ(::GetCapture(), nullptr);
    // The press was 2 pixels left of the bar's end, and stays so.
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 150, 200));
    EXPECT_EQ(PaneRect(1), CRect(153, 0, 300, 200));

    // Dragged far right, the right pane keeps its minimum.
    Send(WM_LBUTTONDOWN, 151, 50);
    Send(WM_MOUSEMOVE, 299, 50);
    Send(WM_LBUTTONUP, 299, 50);
    EXPECT_EQ(PaneRect(1).Width(), kMinimum);

    // A move or release without a press does nothing.
    Send(WM_MOUSEMOVE, 100, 50);
    Send(WM_LBUTTONUP, 100, 50);
    EXPECT_EQ(PaneRect(1).Width(), kMinimum);
}

TEST_F(SplitterWindow, PressOffTheBarsStartsNothing)
{
    CSimpleSplitter &splitter = Make(3, 1, true);
    const int sizes[] = {100, 97, 100};
    splitter.SetPaneSizes(sizes);
    const CRect before = PaneRect(1);

    // Over the last pane, which has no window, and over a pane's own area.
    Send(WM_LBUTTONDOWN, 250, 50);
    EXPECT_EQ(::GetCapture(), nullptr);
    Send(WM_MOUSEMOVE, 120, 50);
    Send(WM_LBUTTONUP, 120, 50);
    Send(WM_LBUTTONDOWN, 50, 50);
    EXPECT_EQ(::GetCapture(), nullptr);
    Send(WM_LBUTTONUP, 50, 50);
    EXPECT_EQ(PaneRect(1), before);

    // One pane: no bar anywhere.
    CSimpleSplitter single(1, 1, kMinimum, kBar);
    ASSERT_TRUE(single.Create(&m_host, CRect(0, 0, 100, 100), 102));
    single.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(99, 10));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SplitterWindow, StackedPanesSplitTheHeight)
{
    CSimpleSplitter &splitter = Make(2, 2);
    const int sizes[] = {50, 147};
    splitter.SetPaneSizes(sizes);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 300, 50));
    EXPECT_EQ(PaneRect(1), CRect(0, 53, 300, 200));

    Send(WM_LBUTTONDOWN, 10, 51);
    Send(WM_MOUSEMOVE, 10, 101);
    Send(WM_LBUTTONUP, 10, 101);
    EXPECT_EQ(PaneRect(0), CRect(0, 0, 300, 100));
    EXPECT_EQ(PaneRect(1), CRect(0, 103, 300, 200));
}
