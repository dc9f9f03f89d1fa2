// CWnd: creation under the hook, ownership of handles, subclassing, message maps, reflection, exceptions.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/windows/HandleMap.h"
#include "platform/controls/Menu.h"
#include "platform/windows/Wnd.h"
#include "WindowTestSupport.h"

namespace
{

const UINT WM_TEST_THROW = WM_APP + 1;
const UINT WM_TEST_BASE_ONLY = WM_APP + 2;
const UINT WM_TEST_BOTH = WM_APP + 3;
UINT g_registeredMessage = ::RegisterWindowMessageW(L"Velbrook.WindowTests.Registered");

class CBaseWnd : public CWnd
{
  public:
    int baseOnly = 0;
    int baseBoth = 0;

  protected:
    afx_msg LRESULT OnBaseOnly(WPARAM, LPARAM)
    {
        return ++baseOnly;
    }
    afx_msg LRESULT OnBoth(WPARAM, LPARAM)
    {
        ++baseBoth;
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_MESSAGE(WM_TEST_BASE_ONLY, &CBaseWnd::OnBaseOnly)
ON_MESSAGE(WM_TEST_BOTH, &CBaseWnd::OnBoth)
END_MESSAGE_MAP()

class CTestWnd : public CBaseWnd
{
  public:
    int creates = 0;
    int createsSeenWithHandle = 0;
    bool failCreate = false;
    int derivedBoth = 0;
    int timerTicks = 0;
    UINT_PTR lastTimer = 0;
    int commands = 0;
    UINT lastRangeCommand = 0;
    int notifies = 0;
    UINT lastNotifyCode = 0;
    int registered = 0;
    int ctlColors = 0;
    int sizes = 0;
    int lastCx = -1;
    int lastCy = -1;
    CPoint lastClick{-1, -1};
    bool postNcDestroyCalled = false;
    bool *destroyedFlag = nullptr;
    bool deleteOnNcDestroy = false;

    ~CTestWnd() override
    {
        if (destroyedFlag != nullptr)
            *destroyedFlag = true;
    }

  protected:
    void PostNcDestroy() override
    {
        postNcDestroyCalled = true;
        if (deleteOnNcDestroy)
            delete this;
    }

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        ++creates;
        if (m_hWnd != nullptr && lpCreateStruct != nullptr)
            ++createsSeenWithHandle;
        if (failCreate)
            return -1;
        return CWnd::OnCreate(lpCreateStruct);
    }
    afx_msg LRESULT OnBoth(WPARAM, LPARAM)
    {
        ++derivedBoth;
        return 2;
    }
    afx_msg LRESULT OnThrow(WPARAM wParam, LPARAM)
    {
        if (wParam == 1)
            throw std::runtime_error("handler failed");
        throw 5;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        ++timerTicks;
        lastTimer = nIDEvent;
        KillTimer(nIDEvent);
    }
    afx_msg void OnCommandOne()
    {
        ++commands;
    }
    afx_msg void OnCommandRange(UINT nID)
    {
        lastRangeCommand = nID;
    }
    afx_msg void OnItemNotify(NMHDR *pNMHDR, LRESULT *pResult)
    {
        ++notifies;
        lastNotifyCode = pNMHDR->code;
        *pResult = 33;
    }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM)
    {
        return registered = static_cast<int>(wParam);
    }
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
    {
        ++ctlColors;
        return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    afx_msg void OnSize(UINT nType, int cx, int cy)
    {
        CWnd::OnSize(nType, cx, cy);
        ++sizes;
        lastCx = cx;
        lastCy = cy;
    }
    afx_msg void OnLButtonDown(UINT, CPoint point)
    {
        lastClick = point;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CBaseWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_TEST_BOTH, &CTestWnd::OnBoth)
ON_MESSAGE(WM_TEST_THROW, &CTestWnd::OnThrow)
ON_WM_TIMER()
ON_COMMAND(500, &CTestWnd::OnCommandOne)
ON_COMMAND_RANGE(600, 610, &CTestWnd::OnCommandRange)
ON_NOTIFY(NM_CLICK, 77, &CTestWnd::OnItemNotify)
ON_REGISTERED_MESSAGE(g_registeredMessage, &CTestWnd::OnRegistered)
ON_WM_CTLCOLOR()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

// A child that keeps its notifications and its colours to itself.
class CReflectingChild : public CWnd
{
  public:
    int reflectedNotifies = 0;
    int reflectedClicks = 0;
    HBRUSH brush = nullptr;

  protected:
    afx_msg void OnReflectedNotify(NMHDR *, LRESULT *pResult)
    {
        ++reflectedNotifies;
        *pResult = 44;
    }
    afx_msg void OnReflectedClick()
    {
        ++reflectedClicks;
    }
    afx_msg HBRUSH CtlColor(CDC *pDC, UINT)
    {
        if (brush != nullptr)
            pDC->SetBkMode(TRANSPARENT);
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingChild, CWnd)
ON_NOTIFY_REFLECT(NM_CLICK, &CReflectingChild::OnReflectedNotify)
ON_CONTROL_REFLECT(BN_CLICKED, &CReflectingChild::OnReflectedClick)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

bool CreateTopLevel(CWnd &wnd, LPCWSTR title = L"test")
{
    return wnd.CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr) != FALSE;
}

bool CreateChild(CWnd &wnd, CWnd &parent, UINT id)
{
    return wnd.Create(nullptr, L"child", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, id) != FALSE;
}

TEST(WindowTest, CreatedWindowIsHookedBeforeWmCreateAndLetGoOnDestruction)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(1, wnd.creates);
    EXPECT_EQ(1, wnd.createsSeenWithHandle);
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&AfxWndProc), ::GetWindowLongPtrW(wnd.m_hWnd, GWLP_WNDPROC));

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_TRUE(wnd.postNcDestroyCalled);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_FALSE(wnd.DestroyWindow());
}

TEST(WindowTest, FailedCreateLeavesNoWindowAndNoMapEntry)
{
    CTestWnd wnd;
    wnd.failCreate = true;
    EXPECT_FALSE(CreateTopLevel(wnd));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(1, wnd.creates);
    // The object can create a window afterwards.
    wnd.failCreate = false;
    EXPECT_TRUE(CreateTopLevel(wnd));
    // An unknown window class fails without touching the object.
    CTestWnd other;
    EXPECT_FALSE(other.CreateEx(0, L"NoSuchClass.Velbrook", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, other.m_hWnd);
}

TEST(WindowTest, HeapWindowMayDeleteItselfAfterDestruction)
{
    bool destroyed = false;
    auto *wnd = new CTestWnd;
    wnd->destroyedFlag = &destroyed;
    wnd->deleteOnNcDestroy = true;
    ASSERT_TRUE(CreateTopLevel(*wnd));
    HWND hWnd = wnd->m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(WindowTest, DestructorDestroysTheWindowItOwns)
{
    HWND hWnd = nullptr;
    {
        CTestWnd wnd;
        ASSERT_TRUE(CreateTopLevel(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(WindowTest, UnknownHandlesGetOneTemporaryWrapperUntilTheMapsAreCleared)
{
    HWND hRaw = ::CreateWindowExW(0, L"STATIC", L"raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hRaw);
    CWnd *first = CWnd::FromHandle(hRaw);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(hRaw, first->m_hWnd);
    EXPECT_EQ(first, CWnd::FromHandle(hRaw));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hRaw));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    AfxDeleteTempMaps();
    // The wrapper let go of the window without destroying it.
    EXPECT_TRUE(::IsWindow(hRaw));
    EXPECT_EQ(hRaw, CWnd::FromHandle(hRaw)->m_hWnd);
    ::DestroyWindow(hRaw);
}

TEST(WindowTest, SubclassedWindowGoesThroughTheMapAndGetsItsProcedureBack)
{
    HWND hEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hEdit);
    LONG_PTR original = ::GetWindowLongPtrW(hEdit, GWLP_WNDPROC);
    CTestWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hEdit));
    EXPECT_EQ(&wnd, CWnd::FromHandle(hEdit));
    EXPECT_EQ(7, ::SendMessageW(hEdit, g_registeredMessage, 7, 0));
    // Messages without an entry reach the edit control's own procedure.
    wnd.SetWindowText(L"kept");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(CString(L"kept"), text);
    // A second owner is refused.
    CTestWnd intruder;
    EXPECT_FALSE(intruder.SubclassWindow(hEdit));

    EXPECT_EQ(hEdit, wnd.UnsubclassWindow());
    EXPECT_EQ(original, ::GetWindowLongPtrW(hEdit, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_TRUE(::IsWindow(hEdit));
    ::DestroyWindow(hEdit);
}

TEST(WindowTest, MapLookupPrefersTheDerivedEntryAndFallsBackToTheBaseClass)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(2, wnd.SendMessage(WM_TEST_BOTH));
    EXPECT_EQ(1, wnd.derivedBoth);
    EXPECT_EQ(0, wnd.baseBoth);
    EXPECT_EQ(1, wnd.SendMessage(WM_TEST_BASE_ONLY));
    EXPECT_EQ(1, wnd.baseOnly);
}

TEST(WindowTest, WindowMessagesArriveCrackedInTheirHandlers)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    EXPECT_EQ(120, wnd.lastCx);
    EXPECT_EQ(80, wnd.lastCy);
    // Mouse coordinates are signed.
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 12));
    EXPECT_EQ(-5, wnd.lastClick.x);
    EXPECT_EQ(12, wnd.lastClick.y);
}

TEST(WindowTest, CommandsRangesAndNotificationsFindTheirEntries)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    // Menu command and accelerator (code 1) alike.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(500, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(500, 1), 0);
    EXPECT_EQ(2, wnd.commands);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(605, 0), 0);
    EXPECT_EQ(605u, wnd.lastRangeCommand);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(611, 0), 0);
    EXPECT_EQ(605u, wnd.lastRangeCommand);

    CWnd child;
    ASSERT_TRUE(CreateChild(child, wnd, 77));
    NMHDR header = {child.m_hWnd, 77, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(33, wnd.SendMessage(WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, wnd.notifies);
    header.code = static_cast<UINT>(NM_DBLCLK);
    EXPECT_EQ(0, wnd.SendMessage(WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, wnd.notifies);
}

TEST(WindowTest, ReflectedEntriesOfTheChildHideTheMessageFromTheParent)
{
    CTestWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    CReflectingChild child;
    ASSERT_TRUE(CreateChild(child, parent, 77));

    NMHDR header = {child.m_hWnd, 77, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(44, parent.SendMessage(WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, child.reflectedNotifies);
    EXPECT_EQ(0, parent.notifies);

    parent.SendMessage(WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(1, child.reflectedClicks);

    // Colours: the child's brush wins; without one the parent's handler decides.
    CBrush brush(RGB(1, 2, 3));
    child.brush = brush;
    CClientDC dc(&child);
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush)),
              parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC),
                                 reinterpret_cast<LPARAM>(child.m_hWnd)));
    EXPECT_EQ(TRANSPARENT, dc.GetBkMode());
    EXPECT_EQ(1, parent.ctlColors);
    child.brush = nullptr;
    parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(2, parent.ctlColors);
}

TEST(WindowTest, ExceptionInAHandlerStopsAtTheWindowProcedure)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_TEST_THROW, 1));
    EXPECT_EQ(0, wnd.SendMessage(WM_TEST_THROW, 2));
    // The window works on.
    EXPECT_EQ(2, wnd.SendMessage(WM_TEST_BOTH));
}

TEST(WindowTest, TimerMessageCarriesItsIdentifier)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    ASSERT_NE(0u, wnd.SetTimer(31, 10));
    EXPECT_TRUE(wintest::PumpUntil([&] { return wnd.timerTicks > 0; }));
    EXPECT_EQ(31u, wnd.lastTimer);
}

TEST(WindowTest, StyleTextAndGeometryOperations)
{
    CTestWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd, L"caption"));
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(CString(L"caption"), text);
    EXPECT_EQ(7, wnd.GetWindowTextLength());

    EXPECT_TRUE(wnd.ModifyStyle(WS_MAXIMIZEBOX, 0));
    EXPECT_EQ(0u, wnd.GetStyle() & WS_MAXIMIZEBOX);
    EXPECT_FALSE(wnd.ModifyStyle(WS_MAXIMIZEBOX, 0));

    CWnd child;
    ASSERT_TRUE(CreateChild(child, wnd, 12));
    EXPECT_EQ(12, child.GetDlgCtrlID());
    EXPECT_EQ(&child, wnd.GetDlgItem(12));
    EXPECT_EQ(&wnd, child.GetParent());
    EXPECT_EQ(&wnd, child.GetTopLevelParent());
    EXPECT_EQ(&wnd, child.GetOwner());
    child.MoveWindow(5, 6, 30, 10);
    CRect rect;
    child.GetWindowRect(&rect);
    wnd.ScreenToClient(&rect);
    EXPECT_EQ(CRect(5, 6, 35, 16), rect);
    child.GetClientRect(&rect);
    EXPECT_EQ(30, rect.Width());
}

// An owner-drawn list box that gives its items their height itself.
class CMeasuringList : public CListBox
{
  public:
    int measures = 0;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override
    {
        ++measures;
        lpMeasureItemStruct->itemHeight = 25;
    }
};

TEST(WindowTest, OwnerDrawnListBoxMeasuresItsItemsThroughReflection)
{
    CTestWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    CMeasuringList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, CRect(0, 0, 100, 100),
                            &parent, 55));
    EXPECT_EQ(0, list.AddString(L"first"));
    EXPECT_GT(list.measures, 0);
    EXPECT_EQ(25, list.GetItemHeight(0));
    CString text;
    list.GetText(0, text);
    EXPECT_EQ(CString(L"first"), text);
}

TEST(WindowTest, SafeHandlesAreNullThroughNullPointers)
{
    // volatile: the compiler must not see that the pointers are null.
    CWnd *volatile wnd = nullptr;
    CDC *volatile dc = nullptr;
    CGdiObject *volatile object = nullptr;
    CMenu *volatile menu = nullptr;
    EXPECT_EQ(nullptr, wnd->GetSafeHwnd());
    EXPECT_EQ(nullptr, dc->GetSafeHdc());
    EXPECT_EQ(nullptr, object->GetSafeHandle());
    EXPECT_EQ(nullptr, menu->GetSafeHmenu());
    CTestWnd real;
    ASSERT_TRUE(CreateTopLevel(real));
    CWnd *volatile some = &real;
    EXPECT_EQ(real.m_hWnd, some->GetSafeHwnd());
}

} // namespace
