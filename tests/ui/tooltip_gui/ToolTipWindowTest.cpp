// The tooltip window over a striped test window whose children are its tools, with the pointer read through the
// tooltip's seam and its timers sent by hand: showing and hiding, the behaviours, a tool that arrives while the
// tip fades out, what hides the tip at once, the tool finder, the display notification, links in the tip, the
// snapshot of what lies beneath, the real delays once, and the pictures left in the build folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/drawing/GdiPlusSession.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"
#include "ui/markup/PPHtmlHyperlink.h"
#include "ui/tooltip/PPToolTip.h"

namespace
{

const UINT kSquare = 61201; // ToolTipWindow.rc
CPoint g_cursor;
std::function<void(ToolDisplayNotify *)> g_onNotify;
std::vector<std::wstring> g_opened;

BOOL WINAPI FakeCursor(LPPOINT point)
{
    *point = g_cursor;
    return TRUE;
}

HINSTANCE WINAPI FakeShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_opened.push_back(file);
    return reinterpret_cast<HINSTANCE>(42);
}

COLORREF StripeAt(int x)
{
    return (x / 12) % 2 ? RGB(40, 120, 200) : RGB(235, 225, 110);
}

LRESULT CALLBACK HostProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
    {
        RECT client;
        GetClientRect(hWnd, &client);
        for (int x = 0; x < client.right; x += 12)
        {
            CGdiObjectOwner<HBRUSH> brush(CreateSolidBrush(StripeAt(x)));
            const RECT stripe = {x, 0, x + 12, client.bottom};
            FillRect(reinterpret_cast<HDC>(wParam), &stripe, brush.Get());
        }
        return 1;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == NOTIFY_TOOLTIP_DISPLAY && g_onNotify)
        g_onNotify(reinterpret_cast<ToolDisplayNotify *>(lParam));
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

void PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class TestTip : public CPPToolTip
{
  public:
    using CPPToolTip::m_displayed;
    using CPPToolTip::m_drawer;
    using CPPToolTip::m_next;
    using CPPToolTip::m_nTimeAutoPop;
    using CPPToolTip::m_nTimeFadeOut;
    using CPPToolTip::m_nTimeInitial;
    using CPPToolTip::m_nTooltipState;
    using CPPToolTip::m_placement;
    using CPPToolTip::m_snapshot;
    using CPPToolTip::m_tools;
};

class ToolTipWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        SetCursorPos(1270, 1010); // the real pointer stays off the windows
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelbrookToolTipHost";
        RegisterClassW(&wc);
        m_host = Window(0, L"VelbrookToolTipHost", WS_POPUP | WS_VISIBLE, 100, 200, 600, 500, nullptr);
        m_a = Child(L"BUTTON", 0, 40, 400, 120, 30);
        m_b = Child(L"BUTTON", 0, 300, 400, 120, 30);
        m_combo = Child(L"COMBOBOX", CBS_DROPDOWN, 40, 450, 160, 200);
        m_tip = std::make_unique<TestTip>();
        ASSERT_TRUE(m_tip->Create(CWnd::FromHandle(m_host), TRUE));
        m_tip->AddTool(CWnd::FromHandle(m_a), L"tool <b>A</b>");
        m_tip->AddTool(CWnd::FromHandle(m_b), L"tool B");
        m_tip->AddTool(CWnd::FromHandle(m_combo), L"the combo box");
        UpdateWindow(m_host);
        PumpUntil([] { return false; }, 150);
    }
    void TearDown() override
    {
        g_onNotify = nullptr;
        m_tip.reset();
        DestroyWindow(m_host);
    }
    static HWND Window(DWORD exStyle, LPCWSTR cls, DWORD style, int x, int y, int w, int h, HWND parent)
    {
        return CreateWindowExW(exStyle, cls, L"", style, x, y, w, h, parent, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    }
    HWND Child(LPCWSTR cls, DWORD style, int x, int y, int w, int h) const
    {
        return Window(0, cls, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_host);
    }
    static CPoint Centre(HWND hWnd)
    {
        CRect rect;
        GetWindowRect(hWnd, &rect);
        return rect.CenterPoint();
    }
    // The pointer moves to the screen point and the owner relays the move.
    void MoveTo(CPoint point, TestTip *tip = nullptr)
    {
        g_cursor = point;
        Relay(WM_MOUSEMOVE, tip);
    }
    void Relay(UINT message, TestTip *tip = nullptr)
    {
        MSG msg = {m_host, message, 0, 0, 0, {}};
        (tip != nullptr ? tip : m_tip.get())->RelayEvent(&msg);
    }
    void Timer(UINT_PTR id, TestTip *tip = nullptr)
    {
        (tip != nullptr ? tip : m_tip.get())->SendMessage(WM_TIMER, id, 0);
    }
    // Shows the tool under the point at once.
    void Show(CPoint point, TestTip *tip = nullptr)
    {
        MoveTo(point, tip);
        Timer(0x100, tip);
    }
    bool Visible() const
    {
        return m_tip->IsWindowVisible() != FALSE;
    }

    SeamOverride<PFN_TOOLTIP_GET_CURSOR_POS> m_cursor{g_pfnToolTipGetCursorPos, &FakeCursor};
    HWND m_host = nullptr;
    HWND m_a = nullptr;
    HWND m_b = nullptr;
    HWND m_combo = nullptr;
    std::unique_ptr<TestTip> m_tip;
};

} // namespace

TEST_F(ToolTipWindow, ShownAtTheShowTimerAndHiddenAtTheLifeTimer)
{
    Show(Centre(m_a));
    ASSERT_TRUE(Visible());
    EXPECT_EQ(m_tip->m_nTooltipState, 2);
    EXPECT_EQ(m_tip->m_displayed.hWnd, m_a);
    EXPECT_EQ(m_tip->m_placement.rcWindow.bottom, g_cursor.y) << "above the point by default";
    Timer(0x101);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(m_tip->m_nTooltipState, 0);

    // A pointer that moves before the show timer keeps the tip hidden until it is relayed again.
    MoveTo(Centre(m_b));
    g_cursor.x += 3;
    Timer(0x100);
    EXPECT_FALSE(Visible());
    Show(g_cursor);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(m_tip->m_displayed.hWnd, m_b);
}

TEST_F(ToolTipWindow, Behaviours)
{
    // Behaviour 0: a move within the shown tool hides it, and it comes back only after the pointer has left.
    m_tip->m_nTimeInitial = 50;
    Show(Centre(m_a));
    MoveTo(Centre(m_a) + CSize(2, 0));
    EXPECT_FALSE(Visible());
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(Visible());
    MoveTo(CPoint(Centre(m_a).x, Centre(m_host).y - 150));
    MoveTo(Centre(m_a));
    PumpUntil([&] { return Visible(); }, 2000);
    EXPECT_TRUE(Visible());

    m_tip->SetBehaviour(BEHAVE_MULTIPLE_SHOW);
    Show(Centre(m_b));
    MoveTo(Centre(m_b) + CSize(2, 0));
    EXPECT_FALSE(Visible());
    Timer(0x100);
    EXPECT_TRUE(Visible()) << "shown again within the same tool";

    // The pointer over the tip itself: hidden, unless the behaviour keeps it.
    for (UINT behaviour : {0u, unsigned(BEHAVE_KEEP_OVER_TIP)})
    {
        m_tip->SetBehaviour(behaviour);
        Show(Centre(m_a) + CSize(behaviour, 0));
        MoveTo(m_tip->m_placement.rcWindow.CenterPoint());
        EXPECT_EQ(Visible(), behaviour != 0) << behaviour;
    }

    m_tip->m_nTimeAutoPop = 100;
    for (UINT behaviour : {0u, unsigned(BEHAVE_NO_AUTOPOP)})
    {
        m_tip->SetBehaviour(behaviour);
        Show(Centre(behaviour ? m_a : m_b));
        PumpUntil([] { return false; }, 400);
        EXPECT_EQ(Visible(), behaviour != 0) << behaviour;
    }
}

TEST_F(ToolTipWindow, AToolArrivingWhileTheTipFadesOutIsShownAfter)
{
    m_tip->m_nTimeFadeOut = 30;
    m_tip->m_nTimeInitial = 50;
    Show(Centre(m_a));
    MoveTo(Centre(m_b));
    EXPECT_EQ(m_tip->m_nTooltipState, 3);
    PumpUntil([&] { return Visible() && m_tip->m_displayed.hWnd == m_b; }, 3000);
    EXPECT_EQ(m_tip->m_displayed.hWnd, m_b);
    EXPECT_EQ(m_tip->m_nTooltipState, 2);
}

TEST_F(ToolTipWindow, KeysClicksAndDeactivationHideAtOnce)
{
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_RBUTTONDOWN, WM_MOUSEWHEEL, WM_LBUTTONDOWN, WM_ACTIVATEAPP})
    {
        Show(Centre(message % 2 ? m_a : m_b));
        ASSERT_TRUE(Visible());
        if (message == WM_ACTIVATEAPP)
            m_tip->SendMessage(WM_ACTIVATEAPP, FALSE, 0);
        else
            Relay(message);
        EXPECT_FALSE(Visible()) << message;
        EXPECT_EQ(m_tip->m_nTooltipState, 0);
    }
}

TEST_F(ToolTipWindow, FindingTools)
{
    // Tools told apart by their bounds; the same bounds again replace the tool.
    const HWND panel = Child(L"BUTTON", 0, 300, 300, 200, 60);
    const CRect left(0, 0, 100, 60);
    const CRect right(100, 0, 200, 60);
    m_tip->AddTool(CWnd::FromHandle(panel), L"left", &left);
    m_tip->AddTool(CWnd::FromHandle(panel), L"right", &right);
    m_tip->AddTool(CWnd::FromHandle(panel), L"left again", &left, 7);
    ASSERT_EQ(m_tip->m_tools[panel].size(), 2u);
    EXPECT_STREQ(m_tip->m_tools[panel][0].sTooltip, L"left again");
    EXPECT_EQ(m_tip->m_tools[panel][0].nIDTool, 7u);
    Show(Centre(panel) + CSize(50, 0));
    EXPECT_STREQ(m_tip->m_displayed.ti.sTooltip, L"right");

    // The edit of a drop-down combo box stands for the combo box.
    const HWND edit = FindWindowExW(m_combo, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    Show(Centre(edit));
    EXPECT_EQ(m_tip->m_displayed.hWnd, m_combo);
    EXPECT_STREQ(m_tip->m_displayed.ti.sTooltip, L"the combo box");

    // No window: nothing added. A disabled tool, one that is gone, or one whose text the notification empties
    // shows nothing while the state machine runs on.
    m_tip->AddTool(nullptr, L"none");
    EXPECT_EQ(m_tip->m_tools.count(nullptr), 0u);
    const HWND gone = Child(L"BUTTON", 0, 300, 200, 100, 30);
    m_tip->AddTool(CWnd::FromHandle(gone), L"gone");
    MoveTo(Centre(gone));
    DestroyWindow(gone);
    Timer(0x100);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(m_tip->m_nTooltipState, 2);
    MoveTo(Centre(m_a));
    EnableWindow(m_a, FALSE);
    Timer(0x100);
    EXPECT_FALSE(Visible());
    EnableWindow(m_a, TRUE);
    m_tip->SetNotify(true);
    g_onNotify = [](ToolDisplayNotify *notify) { notify->ti->sTooltip.Empty(); };
    Show(Centre(m_b));
    EXPECT_FALSE(Visible());
    EXPECT_EQ(m_tip->m_nTooltipState, 2);

    // The notification may move the point and change the text.
    g_onNotify = [](ToolDisplayNotify *notify) {
        notify->pt->x += 40;
        notify->ti->sTooltip = L"changed";
    };
    Show(Centre(m_a));
    ASSERT_TRUE(Visible());
    EXPECT_EQ(m_tip->m_placement.rcWindow.left + m_tip->m_placement.ptAnchor.x, Centre(m_a).x + 40);
    EXPECT_STREQ(m_tip->m_displayed.ti.sTooltip, L"changed");
}

TEST_F(ToolTipWindow, LinksInTheTip)
{
    SeamOverride<PFN_LINK_SHELL_EXECUTE> shell(g_pfnLinkShellExecute, &FakeShellExecute);
    g_opened.clear();
    m_tip->AddTool(CWnd::FromHandle(m_a), L"<a href=\"http://example.invalid/tip\">open</a> plain text");
    Show(Centre(m_a));
    ASSERT_EQ(m_tip->m_drawer.GetHotAreas().size(), 1u);
    CPoint link = m_tip->m_drawer.GetHotAreas()[0].rect.CenterPoint();
    m_tip->ClientToScreen(&link);
    CPoint text = CPoint(m_tip->m_placement.rcText.right - 3, m_tip->m_placement.rcText.CenterPoint().y);
    m_tip->ClientToScreen(&text);

    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    g_cursor = link;
    m_tip->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_tip->m_hWnd), hit);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    g_cursor = text;
    m_tip->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_tip->m_hWnd), hit);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

    g_cursor = link;
    Relay(WM_LBUTTONDOWN);
    EXPECT_EQ(g_opened, std::vector<std::wstring>{L"http://example.invalid/tip"});
    EXPECT_FALSE(Visible());
}

TEST_F(ToolTipWindow, TheSnapshotHoldsTheWindowBelow)
{
    Show(Centre(m_a));
    ASSERT_TRUE(Visible());
    // The rows above the tool show the host's stripes, not the tip's undrawn surface.
    const CRect window = m_tip->m_placement.rcWindow;
    CRect tool;
    GetWindowRect(m_a, &tool);
    POINT origin = {0, 0};
    ClientToScreen(m_host, &origin);
    m_tip->m_snapshot.GetBits();
    int matching = 0;
    int sampled = 0;
    for (int y = window.top; y < tool.top; y += 7)
        for (int x = window.left; x < window.right; x += 5, ++sampled)
        {
            const DWORD pixel = m_tip->m_snapshot.At(x - window.left, y - window.top);
            const COLORREF colour = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
            matching += colour == StripeAt(x - origin.x);
        }
    ASSERT_GT(sampled, 20);
    EXPECT_EQ(matching, sampled);
}

TEST_F(ToolTipWindow, RelayingWithoutAWindowDoesNothing)
{
    CPPToolTip lone;
    MSG msg = {m_host, WM_MOUSEMOVE, 0, 0, 0, {}};
    lone.RelayEvent(&msg);
    CWnd bogus;
    bogus.m_hWnd = reinterpret_cast<HWND>(0x7654321);
    EXPECT_FALSE(lone.Create(&bogus, TRUE));
    bogus.m_hWnd = nullptr;
    g_cursor = Centre(m_a);
    lone.RelayEvent(&msg);
    EXPECT_EQ(lone.GetSafeHwnd(), nullptr);
}

TEST_F(ToolTipWindow, RealDelays)
{
    MoveTo(Centre(m_a));
    const DWORD start = GetTickCount();
    PumpUntil([&] { return Visible(); }, 3000);
    const DWORD shown = GetTickCount();
    ASSERT_TRUE(Visible());
    EXPECT_GE(shown - start, 450u);
    EXPECT_LE(shown - start, 2000u);
    PumpUntil([&] { return !Visible(); }, 10000);
    EXPECT_FALSE(Visible());
    EXPECT_GE(GetTickCount() - shown, 4900u);
    EXPECT_LE(GetTickCount() - shown, 8000u);
}

namespace
{

// The screen's pixels in the rectangle, saved as a PNG in the build folder.
void SaveScreen(const CRect &rect, const wchar_t *name)
{
    testsupport::DibCanvas canvas(rect.Width(), rect.Height(), RGB(0, 0, 0));
    CWindowDCOwner screen(nullptr);
    BitBlt(canvas.Dc(), 0, 0, rect.Width(), rect.Height(), screen, rect.left, rect.top, SRCCOPY);
    EXPECT_TRUE(canvas.SavePng(testsupport::BuildFolder() + name)) << name;
}

COLORREF ScreenAt(CPoint point)
{
    CWindowDCOwner screen(nullptr);
    return GetPixel(screen, point.x, point.y);
}

int Sum(COLORREF colour)
{
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
}

const wchar_t kRichTip[] =
    L"<h2>Backup job</h2><table border=1 cellspacing=2 bgcolor=#fff8dc><tr><td><bmp idres=61201 width=32 "
    L"height=32 style=s></td><td>Copies <b>new</b> and <i>changed</i> files<br>to the drive.</td></tr><tr>"
    L"<td colspan=2 align=center><a href=\"http://example.invalid/help\">Help</a> &bull; <a msg=more>More</a>"
    L"</td></tr></table>";

} // namespace

TEST_F(ToolTipWindow, Screenshots)
{
    CGdiPlusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsStarted());
    const CRect screen(0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));

    // A balloon with a table, an image and links; its shade darkens the stripes.
    m_tip->AddTool(CWnd::FromHandle(m_a), kRichTip);
    Show(Centre(m_a));
    PumpUntil([] { return false; }, 300);
    CRect window = m_tip->m_placement.rcWindow;
    const CPoint shade(window.right, window.CenterPoint().y); // just right of the body
    POINT origin = {0, 0};
    ClientToScreen(m_host, &origin);
    EXPECT_LT(Sum(ScreenAt(shade)), Sum(StripeAt(shade.x - origin.x)) - 60);
    window.InflateRect(12, 12);
    SaveScreen(window, L"tooltip_balloon.png");
    Timer(0x101);

    // Near the right edge the alignment flips; a tip wider than either side is centred, and one that would leave
    // the bottom goes above the point.
    const HWND edge =
        Window(0, L"VelbrookToolTipHost", WS_POPUP | WS_VISIBLE, 0, screen.bottom - 160, screen.Width(), 160, nullptr);
    const HWND right = Window(0, L"BUTTON", WS_CHILD | WS_VISIBLE, screen.right - 50, 40, 40, 30, edge);
    const HWND middle = Window(0, L"BUTTON", WS_CHILD | WS_VISIBLE, screen.Width() / 2 - 40, 110, 80, 30, edge);
    TestTip first;
    TestTip second;
    ASSERT_TRUE(first.Create(CWnd::FromHandle(edge), TRUE));
    ASSERT_TRUE(second.Create(CWnd::FromHandle(edge), TRUE));
    first.AddTool(CWnd::FromHandle(right), L"Near the right edge the anchor moves to the tip's end.");
    second.AddTool(CWnd::FromHandle(middle), CString(L"A tip wider than the room on either side of the point is "
                                                     L"centred on it, and one below that would leave the screen "
                                                     L"goes above."));
    second.SetNotify(true);
    g_onNotify = [](ToolDisplayNotify *notify) {
        notify->ti->nMask |= MASK_DIRECTION;
        notify->ti->nDirection = SIDE_BELOW;
    };
    PumpUntil([] { return false; }, 200);
    Show(Centre(right), &first);
    Show(Centre(middle), &second);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(first.m_placement.nDirection, SIDE_ABOVE + 1);
    EXPECT_EQ(second.m_placement.nDirection, SIDE_ABOVE + 2);
    for (const CRect &tip : {first.m_placement.rcWindow, second.m_placement.rcWindow})
    {
        CRect inside;
        EXPECT_TRUE(inside.IntersectRect(&tip, &screen) && inside == tip) << "no tip leaves the screen";
    }
    SaveScreen(CRect(0, screen.bottom - 180, screen.right, screen.bottom), L"tooltip_edges.png");
    first.DestroyWindow();
    second.DestroyWindow();
    DestroyWindow(edge);

    // A plain tip at half transparency: the stripes show through its body.
    g_onNotify = [](ToolDisplayNotify *notify) {
        notify->ti->nMask |= MASK_TRANSPARENCY;
        notify->ti->nTransparency = 50;
    };
    m_tip = std::make_unique<TestTip>();
    ASSERT_TRUE(m_tip->Create(CWnd::FromHandle(m_host), FALSE));
    m_tip->SetNotify(true);
    m_tip->AddTool(CWnd::FromHandle(m_a), L"A plain tip, <b>half</b> transparent");
    Show(Centre(m_a));
    PumpUntil([] { return false; }, 300);
    window = m_tip->m_placement.rcWindow;
    const CPoint body(window.left + 1, window.top + 1);
    const COLORREF seen = ScreenAt(body);
    EXPECT_NE(seen, StripeAt(body.x - origin.x));
    EXPECT_NE(seen, GetSysColor(COLOR_INFOBK));
    window.InflateRect(12, 12);
    SaveScreen(window, L"tooltip_plain.png");

    // Tables drawn into a memory bitmap: nested tables, spans, border styles, fill effects, background images.
    testsupport::DibCanvas sheet(720, 420, RGB(255, 255, 255));
    CPPHtmlDrawer drawer;
    const CString tables =
        L"<table border=2 cellspacing=4 bgcolor=#eef4ff><tr><td bgcolor=lightyellow>solid border 2, "
        L"spacing 4</td><td rowspan=2 valign=middle bgeffect=vgradient bgcolor=#3366cc bgendcolor=white>"
        L"<font color=white>rowspan 2</font></td><td>a nested table:<table border=1 borderstyle=dashed "
        L"bgeffect=metal bgcolor=silver bgmidcolor=gainsboro><tr><td>dashed</td><td bgeffect=vbump bgcolor=wheat "
        L"bgmidcolor=tan>bump</td></tr>"
        L"<tr><td colspan=2 align=center>colspan 2</td></tr></table></td></tr><tr><td "
        L"background=\"idres:61201\" height=60><b>background image</b></td><td align=right>right</td></tr>"
        L"</table><br><table borderstyle=dotted cellpadding=6><tr><td>dotted</td><td bgeffect=3hgradient "
        L"bgcolor=orange bgmidcolor=yellow bgendcolor=red>3 colours</td></tr></table> "
        L"<table border=1 borderstyle=double width=300 align=center><tr><td width=80>double, fixed 80</td>"
        L"<td bgeffect=softbump bgcolor=lightblue>shares the rest</td></tr></table>";
    const CSize size = drawer.Measure(sheet.Dc(), tables);
    ASSERT_LT(size.cx, 700);
    ASSERT_LT(size.cy, 400);
    const CRect rect(10, 10, 710, 10 + size.cy);
    drawer.Draw(sheet.Dc(), &rect);
    EXPECT_TRUE(sheet.SavePng(testsupport::BuildFolder() + L"markup_tables.png"));
}
