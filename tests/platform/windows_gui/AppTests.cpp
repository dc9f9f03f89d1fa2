// The application object: its message loop offers messages up the window chain, and a failed start ends well.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/WinApp.h"
#include "WindowTestSupport.h"

namespace
{

std::vector<std::string> g_trace;

class CTracingApp : public CWinApp
{
  public:
    CTracingApp() : CWinApp(L"Tracing")
    {
    }
    bool initResult = true;
    int exitCalls = 0;
    int exitCode = 0;

    BOOL InitInstance() override
    {
        return initResult;
    }
    int ExitInstance() override
    {
        ++exitCalls;
        int result = CWinApp::ExitInstance();
        return exitCode != 0 ? exitCode : result;
    }
    BOOL PreTranslateMessage(MSG *pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_trace.push_back("app");
        return CWinApp::PreTranslateMessage(pMsg);
    }
};

// A child window that sees the keys dispatched to it and records its turn in the pre-translation.
class CKeyChild : public CWnd
{
  public:
    int keysDispatched = 0;

    BOOL PreTranslateMessage(MSG *pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_trace.push_back("child");
        return FALSE;
    }

  protected:
    afx_msg void OnKeyDown(UINT, UINT, UINT)
    {
        ++keysDispatched;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKeyChild, CWnd)
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

// The main window swallows the key 'S' before it is dispatched.
class CKeyMain : public CDialog
{
  public:
    CKeyMain() : CDialog(IDD_INPUT_DIALOG)
    {
    }
    BOOL PreTranslateMessage(MSG *pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
        {
            g_trace.push_back("main");
            if (pMsg->wParam == 'S')
                return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
};

TEST(AppTest, LoopOffersMessagesFromTheTargetUpToTheMainWindow)
{
    wintest::LanguageLibrary language;
    ASSERT_TRUE(language.Loaded());
    CTracingApp app;
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_STREQ(L"Tracing", AfxGetAppName());

    CKeyMain mainDlg;
    ASSERT_TRUE(mainDlg.Create(IDD_INPUT_DIALOG));
    app.m_pMainWnd = &mainDlg;
    EXPECT_EQ(&mainDlg, AfxGetMainWnd());
    CKeyChild child;
    ASSERT_TRUE(child.Create(nullptr, L"", WS_VISIBLE, CRect(0, 0, 20, 20), &mainDlg, 900));

    g_trace.clear();
    child.PostMessage(WM_KEYDOWN, 'S', 1);
    child.PostMessage(WM_KEYDOWN, 'A', 1);
    ::PostQuitMessage(3);
    EXPECT_EQ(3, app.Run());
    EXPECT_EQ(1, app.exitCalls);

    std::vector<std::string> expected = {"app", "child", "main", "app", "child", "main"};
    EXPECT_EQ(expected, g_trace);
    // The swallowed key never reached the child; the other one did.
    EXPECT_EQ(1, child.keysDispatched);
}

void CALLBACK QuitLate(HWND, UINT, UINT_PTR, DWORD)
{
    ::PostQuitMessage(99);
}

TEST(AppTest, DestroyingTheMainWindowEndsTheLoop)
{
    wintest::LanguageLibrary language;
    CTracingApp app;
    CKeyMain mainDlg;
    ASSERT_TRUE(mainDlg.Create(IDD_INPUT_DIALOG));
    app.m_pMainWnd = &mainDlg;
    EXPECT_TRUE(mainDlg.DestroyWindow());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    // Should the loop not end by itself, this ends it with another code.
    UINT_PTR safety = ::SetTimer(nullptr, 0, 5000, QuitLate);
    EXPECT_EQ(0, app.Run());
    ::KillTimer(nullptr, safety);
    EXPECT_EQ(1, app.exitCalls);
}

TEST(AppTest, FailedStartStillRunsExitInstanceAndDestroysTheMainWindow)
{
    wintest::LanguageLibrary language;
    CTracingApp app;
    app.initResult = false;
    app.exitCode = 12;
    CDialog mainDlg(IDD_INPUT_DIALOG);
    ASSERT_TRUE(mainDlg.Create(IDD_INPUT_DIALOG));
    app.m_pMainWnd = &mainDlg;
    EXPECT_EQ(12, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L"-b"), SW_HIDE));
    EXPECT_EQ(1, app.exitCalls);
    EXPECT_EQ(nullptr, mainDlg.m_hWnd);
    EXPECT_STREQ(L"-b", app.m_lpCmdLine);
    // The destroyed main window asked the loop to end; nothing runs it now, so take the request away.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(AppTest, WithoutAnApplicationObjectTheEntryFails)
{
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(-1, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_HIDE));
}

} // namespace
