// The main dialog's face as a window in the test's own process: the view switching, the minimum size, the skin
// buttons under the mouse (messages sent, a spy catches the window drag), the log viewer's command line, the job
// status messages of the poller and the poller's end, and the window as a person sees it ("mainface.png").
#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/start/Qordel.h"
#include "app/support/AppTestSupport.h"
#include "app/support/FaceTestSupport.h"
#include "app/window/MainLayout.h"
#include "app/window/QordelDlg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Resources.h"
#include "platform/system/Seam.h"
#include "platform/windows/WinApp.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"

namespace
{

const char kTwoJobStore[] = "<?xml version=\"1.0\"?>\r\n"
                            "<Tessel xmlns=\"ORVANE\">"
                            "<jobdef name=\"My Documents\" state=\"1\" sync_type=\"1\" dest=\"C:\\Backup\\Docs\\\"/>"
                            "<jobdef name=\"My Pictures\" state=\"1\" sync_type=\"0\" dest=\"C:\\Backup\\Pics\\\"/>"
                            "</Tessel>\r\n";

// Catches the system's window drag and records the job status messages, passing everything else on.
class WindowSpy
{
  public:
    struct Status
    {
        DWORD tick;
        WPARAM index;
        LPARAM state;
    };

    explicit WindowSpy(HWND window) : m_window(window)
    {
        s_spy = this;
        m_previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowSpy::Proc)));
    }
    ~WindowSpy()
    {
        if (::IsWindow(m_window))
            ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        s_spy = nullptr;
    }
    WindowSpy(const WindowSpy &) = delete;
    WindowSpy &operator=(const WindowSpy &) = delete;

    int drags = 0;
    WPARAM dragHitTest = 0;
    std::vector<Status> statuses;

  private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        WindowSpy *spy = s_spy;
        if (message == WM_NCLBUTTONDOWN)
        {
            ++spy->drags;
            spy->dragHitTest = wParam;
            return 0;
        }
        if (message == WM_JOB_STATUS)
            spy->statuses.push_back({::GetTickCount(), wParam, lParam});
        return ::CallWindowProcW(spy->m_previous, hWnd, message, wParam, lParam);
    }

    HWND m_window;
    WNDPROC m_previous = nullptr;
    static WindowSpy *s_spy;
};
WindowSpy *WindowSpy::s_spy = nullptr;

std::atomic<int> g_terminations{0};
BOOL WINAPI CountTermination(HANDLE thread, DWORD code)
{
    ++g_terminations;
    return ::TerminateThread(thread, code);
}

std::wstring g_shellFile;
std::wstring g_shellParameters;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    g_shellFile = file != nullptr ? file : L"";
    g_shellParameters = parameters != nullptr ? parameters : L"";
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

class MainFaceWindow : public facetest::FaceTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(FaceTest::SetUp());
        ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another test is still open";
        m_saved = {g_strJobsXmlPath, g_strIniPath, g_strDataFolder, g_strComputerFolder};
        g_strDataFolder = m_folder.Path().c_str();
        g_strJobsXmlPath = (m_folder / L"Zel.xml").c_str();
        g_strIniPath = (m_folder / L"Zel.ini").c_str();
        g_strComputerFolder = m_folder.Path().c_str();
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", kTwoJobStore));

        WNDCLASSW windowClass = {};
        windowClass.style = CS_DBLCLKS | CS_GLOBALCLASS;
        windowClass.lpfnWndProc = ::DefDlgProcW;
        windowClass.cbWndExtra = DLGWINDOWEXTRA;
        windowClass.hInstance = AfxGetInstanceHandle();
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kMainWindowClass;
        ::RegisterClassW(&windowClass);

        // The dialog loads the job list's images itself.
        CJobListView::FreeImages();
        m_dialog.reset(new CQordelDlg(nullptr));
        ASSERT_TRUE(m_dialog->Create(CQordelDlg::IDD)) << "the main dialog from the language library";
        AfxGetApp()->m_pMainWnd = m_dialog.get();
    }

    void TearDown() override
    {
        if (AfxGetApp() != nullptr)
            AfxGetApp()->m_pMainWnd = nullptr;
        m_dialog.reset();
        Pump();
        g_strJobsXmlPath = m_saved[0];
        g_strIniPath = m_saved[1];
        g_strDataFolder = m_saved[2];
        g_strComputerFolder = m_saved[3];
        FaceTest::TearDown();
    }

    HWND Window() const
    {
        return m_dialog->GetSafeHwnd();
    }
    bool Shown(int id) const
    {
        CWnd *control = m_dialog->GetDlgItem(id);
        return control != nullptr && (control->GetStyle() & WS_VISIBLE) != 0;
    }
    bool Enabled(int id) const
    {
        CWnd *control = m_dialog->GetDlgItem(id);
        return control != nullptr && control->IsWindowEnabled();
    }
    UINT ButtonState(MainSkinButton button) const
    {
        return m_dialog->GetSkinButton(button)->GetState();
    }
    CPoint On(MainSkinButton button) const
    {
        return m_dialog->GetSkinButton(button)->m_rect.CenterPoint();
    }
    void Send(UINT message, CPoint point)
    {
        ::SendMessageW(Window(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(point.x, point.y));
    }
    // The commands waiting in the dialog's queue, taken out of it before the dialog sees them.
    std::vector<UINT> PostedCommands() const
    {
        std::vector<UINT> commands;
        MSG msg;
        while (::PeekMessageW(&msg, Window(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
            commands.push_back(LOWORD(msg.wParam));
        return commands;
    }

    std::unique_ptr<CQordelDlg> m_dialog;
    std::vector<CString> m_saved;
};

TEST_F(MainFaceWindow, ViewStatesShowTheirControlGroups)
{
    struct Row
    {
        int state;
        int toOtherFolder;
        bool restoreShown, restoreEnabled, folderEnabled, barShown, listShown;
        UINT help, bigButtons;
    } rows[] = {
        {0, 0, false, false, false, false, true, SKIN_STATE_NORMAL, SKIN_STATE_DISABLED},
        {1, 0, false, false, false, true, false, SKIN_STATE_DISABLED, SKIN_STATE_NORMAL},
        {2, 0, false, false, false, true, false, SKIN_STATE_DISABLED, SKIN_STATE_NORMAL},
        {3, 0, true, true, false, false, false, SKIN_STATE_DISABLED, SKIN_STATE_NORMAL},
        {3, 1, true, true, true, false, false, SKIN_STATE_DISABLED, SKIN_STATE_NORMAL},
        {4, 1, true, false, false, false, false, SKIN_STATE_DISABLED, SKIN_STATE_NORMAL},
        {0, 1, false, false, false, false, true, SKIN_STATE_NORMAL, SKIN_STATE_DISABLED},
    };
    for (const Row &row : rows)
    {
        m_dialog->viewState = row.state;
        m_dialog->restoreToOtherFolder = row.toOtherFolder;
        m_dialog->UpdateView();
        const std::string what =
            "state " + std::to_string(row.state) + ", other folder " + std::to_string(row.toOtherFolder);
        for (int id : {IDC_RUN_JOBS, IDC_BACK, IDC_MAIN_HIDDEN_1151})
            EXPECT_FALSE(Shown(id)) << what << ", control " << id;
        for (int id : {IDC_RESTORE_TO_OTHER, IDC_RESTORE_TO_ORIGIN, IDC_RESTORE_OPTION, IDC_RESTORE_FOLDER})
            EXPECT_EQ(Shown(id), row.restoreShown) << what << ", control " << id;
        for (int id : {IDC_RESTORE_TO_OTHER, IDC_RESTORE_TO_ORIGIN, IDC_RESTORE_OPTION})
            EXPECT_EQ(Enabled(id), row.restoreEnabled) << what << ", control " << id;
        EXPECT_EQ(Enabled(IDC_RESTORE_FOLDER), row.folderEnabled) << what;
        EXPECT_EQ(m_dialog->IsDlgButtonChecked(IDC_RESTORE_TO_OTHER), static_cast<UINT>(row.toOtherFolder)) << what;
        EXPECT_EQ(m_dialog->IsDlgButtonChecked(IDC_RESTORE_TO_ORIGIN), static_cast<UINT>(!row.toOtherFolder)) << what;
        EXPECT_EQ(Shown(IDC_DRIVE_BAR), row.barShown) << what;
        ASSERT_NE(m_dialog->GetJobListView(), nullptr);
        EXPECT_EQ((m_dialog->GetJobListView()->GetStyle() & WS_VISIBLE) != 0, row.listShown) << what;
        EXPECT_EQ(m_dialog->GetJobListView()->IsWindowEnabled() != FALSE, row.listShown) << what;
        EXPECT_EQ(ButtonState(MAIN_BUTTON_HELP), row.help) << what;
        EXPECT_EQ(ButtonState(MAIN_BUTTON_RUN), row.bigButtons) << what;
        EXPECT_EQ(ButtonState(MAIN_BUTTON_BACK), row.bigButtons) << what;
    }
}

TEST_F(MainFaceWindow, ShrinkingSnapsTheMovingEdgeBack)
{
    CRect initial;
    ::GetWindowRect(Window(), &initial);
    const int w = initial.Width();
    const int h = initial.Height();
    const CRect start(100, 100, 100 + w - 40, 100 + h - 30); // too narrow and too low
    struct Case
    {
        UINT edge;
        CRect expected;
    } cases[] = {
        {WMSZ_LEFT, CRect(start.right - w, start.top, start.right, start.top + h)},
        {WMSZ_RIGHT, CRect(start.left, start.top, start.left + w, start.top + h)},
        {WMSZ_TOP, CRect(start.left, start.bottom - h, start.left + w, start.bottom)},
        {WMSZ_BOTTOM, CRect(start.left, start.top, start.left + w, start.top + h)},
        {WMSZ_TOPLEFT, CRect(start.right - w, start.bottom - h, start.right, start.bottom)},
        {WMSZ_TOPRIGHT, CRect(start.left, start.bottom - h, start.left + w, start.bottom)},
        {WMSZ_BOTTOMLEFT, CRect(start.right - w, start.top, start.right, start.top + h)},
        {WMSZ_BOTTOMRIGHT, CRect(start.left, start.top, start.left + w, start.top + h)},
    };
    for (const Case &c : cases)
    {
        RECT rect = start;
        ::SendMessageW(Window(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(CRect(rect), c.expected) << "edge " << c.edge;
    }
    RECT larger = {0, 0, w + 50, h + 50};
    ::SendMessageW(Window(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&larger));
    EXPECT_EQ(CRect(larger), CRect(0, 0, w + 50, h + 50)) << "growing is left alone";

    // A larger window takes the job list with it, and the drive bar keeps its corner.
    CJobListView *view = m_dialog->GetJobListView();
    ASSERT_NE(view, nullptr);
    CRect listBefore;
    view->GetWindowRect(&listBefore);
    CRect barBefore;
    ::GetWindowRect(::GetDlgItem(Window(), IDC_DRIVE_BAR), &barBefore);
    ::SetWindowPos(Window(), nullptr, 0, 0, w + 50, h + 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CRect listAfter;
    view->GetWindowRect(&listAfter);
    CRect barAfter;
    ::GetWindowRect(::GetDlgItem(Window(), IDC_DRIVE_BAR), &barAfter);
    EXPECT_EQ(listAfter.Width(), listBefore.Width() + 50);
    EXPECT_EQ(listAfter.Height(), listBefore.Height() + 30);
    EXPECT_EQ(barAfter.Size(), barBefore.Size());
    EXPECT_EQ(barAfter.right - barBefore.right, 50);
    EXPECT_EQ(barAfter.bottom - barBefore.bottom, 30);
}

TEST_F(MainFaceWindow, SkinButtonsAnswerTheMouse)
{
    WindowSpy spy(Window());
    ASSERT_EQ(m_dialog->viewState, 0);

    // On the job list buttons 1 and 2 are disabled: a press there drags the window and a release does nothing.
    for (MainSkinButton button : {MAIN_BUTTON_RUN, MAIN_BUTTON_BACK})
    {
        const int drags = spy.drags;
        Send(WM_LBUTTONDOWN, On(button));
        Send(WM_LBUTTONUP, On(button));
        EXPECT_EQ(spy.drags, drags + 1) << "button " << button;
        EXPECT_EQ(spy.dragHitTest, static_cast<WPARAM>(HTCAPTION));
        EXPECT_EQ(ButtonState(button), SKIN_STATE_DISABLED);
        EXPECT_TRUE(PostedCommands().empty()) << "button " << button;
    }

    // Close: lights up, presses, and its release posts IDCANCEL.
    Send(WM_MOUSEMOVE, On(MAIN_BUTTON_CLOSE));
    EXPECT_EQ(ButtonState(MAIN_BUTTON_CLOSE), SKIN_STATE_HOVER);
    const int drags = spy.drags;
    Send(WM_LBUTTONDOWN, On(MAIN_BUTTON_CLOSE));
    EXPECT_EQ(ButtonState(MAIN_BUTTON_CLOSE), SKIN_STATE_PRESSED);
    EXPECT_EQ(spy.drags, drags) << "a press on an enabled button is no drag";
    Send(WM_LBUTTONUP, On(MAIN_BUTTON_CLOSE));
    EXPECT_EQ(PostedCommands(), std::vector<UINT>{IDCANCEL});
    Send(WM_MOUSEMOVE, CPoint(300, 480));
    EXPECT_EQ(ButtonState(MAIN_BUTTON_CLOSE), SKIN_STATE_NORMAL);

    // Beside a page the big button posts its command; minimise minimises.
    m_dialog->viewState = 1;
    m_dialog->UpdateView();
    Send(WM_LBUTTONDOWN, On(MAIN_BUTTON_RUN));
    Send(WM_LBUTTONUP, On(MAIN_BUTTON_RUN));
    EXPECT_EQ(PostedCommands(), std::vector<UINT>{IDC_RUN_JOBS});
    m_dialog->ShowWindow(SW_SHOW);
    Send(WM_LBUTTONDOWN, On(MAIN_BUTTON_MINIMIZE));
    Send(WM_LBUTTONUP, On(MAIN_BUTTON_MINIMIZE));
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(Window()) != FALSE; }, 5000));
    EXPECT_TRUE(PostedCommands().empty());
}

TEST_F(MainFaceWindow, ViewLogHandsTheEditorTheQuotedLogPath)
{
    SeamOverride<ShellExecuteFunction> shell(g_pfnMainShellExecute, &RecordShellExecute);
    g_shellFile.clear();
    CJobListView *view = m_dialog->GetJobListView();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetSelectedJob(), nullptr);
    const std::wstring logPath = view->GetSelectedJob()->GetOwner()->GetLog().GetPath();
    ASSERT_NE(logPath.find(L' '), std::wstring::npos) << "the job's name holds a blank";

    ::SendMessageW(Window(), WM_COMMAND, ID_VIEW_LOG, 0);
    EXPECT_EQ(g_shellFile, L"notepad");
    EXPECT_EQ(g_shellParameters, L"\"" + logPath + L"\"");
}

TEST_F(MainFaceWindow, RunningBitsReachTheWindowAndClosingEndsThePoller)
{
    SeamOverride<TerminatePollerFunction> terminate(g_pfnTerminatePoller, &CountTermination);
    g_terminations = 0;
    ASSERT_TRUE(m_dialog->IsStatusPollerRunning());
    WindowSpy spy(Window());
    CSyncJob *job = m_dialog->GetJobList()->GetAt(1);
    int index = -1;
    ASSERT_TRUE(m_dialog->GetJobIndex(job, index));
    ASSERT_EQ(index, 1);

    auto setFlag = [job](BOOL on) {
        std::thread worker([job, on] { job->SetRunningFlag(on); });
        worker.join();
    };
    setFlag(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return !spy.statuses.empty(); }, 10000)) << "no start report";
    EXPECT_EQ(spy.statuses[0].index, 1u);
    EXPECT_EQ(spy.statuses[0].state, 0);

    const DWORD cleared = ::GetTickCount();
    setFlag(FALSE);
    ASSERT_TRUE(PumpUntil([&] { return spy.statuses.size() >= 2; }, 15000)) << "no end report";
    EXPECT_EQ(spy.statuses[1].index, 1u);
    EXPECT_EQ(spy.statuses[1].state, 1);
    EXPECT_GE(spy.statuses[1].tick - cleared, 4900u) << "the end is reported 5 s late";
    EXPECT_EQ(spy.statuses.size(), 2u);

    // Again, and the window closes while the poller waits out the 5 s of the end report.
    setFlag(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return spy.statuses.size() >= 3; }, 10000));
    setFlag(FALSE);
    PumpUntil([] { return false; }, 500);
    const DWORD closing = ::GetTickCount();
    m_dialog.reset();
    EXPECT_LT(::GetTickCount() - closing, 6000u);
    EXPECT_EQ(g_terminations.load(), 0) << "the poller ended by itself";
}

TEST_F(MainFaceWindow, SkinAndCardsAsAPersonSeesThem)
{
    m_dialog->ShowWindow(SW_SHOW);
    Pump();
    ASSERT_TRUE(apptest::SaveWindowPng(Window(), facetest::PicturePath(L"mainface.png")));

    // The first card's header, drawn by the job list view, where the view shows it on the screen.
    CJobListView *view = m_dialog->GetJobListView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetItemCount(), 2);
    CRect card = view->GetItem(0)->m_rect;
    view->ClientToScreen(&card);
    HDC screen = ::GetDC(nullptr);
    const COLORREF header = ::GetPixel(screen, card.left + 300, card.top + 12);
    const COLORREF body = ::GetPixel(screen, card.left + 300, card.top + 45);
    ::ReleaseDC(nullptr, screen);
    EXPECT_LT(GetRValue(header), 160) << "a dark header";
    EXPECT_GT(GetRValue(body), 200) << "a light body";
}

} // namespace
