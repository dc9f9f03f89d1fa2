// The layout helper on a real window: its controls move in one batch by the change since the previous Apply.
#include <gtest/gtest.h>

#include "platform/text/Geometry.h"
#include "setup/layout/DialogLayout.h"

static void PrintTo(const CRect &r, std::ostream *out)
{
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace
{

CRect ChildRect(HWND child)
{
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT *>(static_cast<RECT *>(&rect)), 2);
    return rect;
}

void SetClientSize(HWND window, int width, int height)
{
    RECT frame = {0, 0, width, height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE, 0);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

TEST(LayoutWindow, ControlsFollowTheClientAreaFromOneApplyToTheNext)
{
    HWND window = ::CreateWindowExW(0, L"STATIC", L"layout", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetClientSize(window, 400, 300);
    auto child = [window](int x, int y, int width, int height) {
        return ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, x, y, width, height, window, nullptr,
                                 nullptr, nullptr);
    };
    HWND stretched = child(10, 10, 380, 200), corner = child(300, 260, 90, 30), centred = child(150, 220, 100, 20);

    CDialogLayout layout;
    ASSERT_TRUE(layout.Attach(window));
    // Without controls an Apply only takes the new size: the corner moves by what changes after it joins.
    SetClientSize(window, 390, 300);
    ASSERT_TRUE(layout.Apply());
    ASSERT_TRUE(layout.AddControl(stretched, 15));
    ASSERT_TRUE(layout.AddControl(corner, 12));
    ASSERT_TRUE(layout.AddControl(centred, 0));

    SetClientSize(window, 490, 340);
    ASSERT_TRUE(layout.Apply());
    EXPECT_EQ(ChildRect(stretched), CRect(10, 10, 490, 250));
    EXPECT_EQ(ChildRect(corner), CRect(400, 300, 490, 330));
    EXPECT_EQ(ChildRect(centred), CRect(200, 240, 300, 260));
    // A second Apply without a change moves nothing; a smaller window moves back.
    ASSERT_TRUE(layout.Apply());
    EXPECT_EQ(ChildRect(corner), CRect(400, 300, 490, 330));
    SetClientSize(window, 390, 300);
    ASSERT_TRUE(layout.Apply());
    EXPECT_EQ(ChildRect(stretched), CRect(10, 10, 390, 210));
    EXPECT_EQ(ChildRect(centred), CRect(150, 220, 250, 240));
    ::DestroyWindow(window);
}
