// Dialogs from the language library: modeless and modal, commands, posted messages, reflection, worker threads.
#include <gtest/gtest.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/controls/DataExchange.h"
#include "platform/windows/Dialog.h"
#include "platform/system/Thread.h"
#include "WindowTestSupport.h"

namespace
{

const UINT WM_TEST_PRIVATE = WM_APP + 17;
const UINT_PTR SAFETY_TIMER = 99;
const int SAFETY_RESULT = -77;

// The edit box of the dialog, subclassed by data exchange; its change notification is reflected to it.
class CReflectEdit : public CEdit
{
  public:
    int changes = 0;

  protected:
    afx_msg void OnChange()
    {
        ++changes;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectEdit, CEdit)
ON_CONTROL_REFLECT(EN_CHANGE, &CReflectEdit::OnChange)
END_MESSAGE_MAP()

// The input dialog of the language library with its prompt and value exchanged.
class CInputTestDlg : public CDialog
{
  public:
    explicit CInputTestDlg(bool subclassEdit = true, CWnd *pParent = nullptr)
        : CDialog(IDD_INPUT_DIALOG, pParent), m_subclassEdit(subclassEdit)
    {
    }

    CString m_prompt = L"Name of the folder";
    CString m_value = L"first";
    CReflectEdit m_edit;
    bool m_subclassEdit;

    int initDialogCalls = 0;
    int creates = 0;
    int okClicks = 0;
    int parentChanges = 0;
    int privateMessages = 0;
    WPARAM privateWParam = 0;
    bool postNcDestroyCalled = false;
    // What the dialog does by itself once it runs: 0 nothing, else the EndDialog code of the private message.
    int endOnPrivateMessage = 0;
    UINT_PTR endTimer = 0;
    int endOnTimer = 0;

    BOOL OnInitDialog() override
    {
        ++initDialogCalls;
        CDialog::OnInitDialog();
        // A dialog that nobody ends would hang the test; this one ends itself after a while in any case.
        SetTimer(SAFETY_TIMER, 10000, nullptr);
        if (endTimer != 0)
            SetTimer(endTimer, 50, nullptr);
        if (endOnPrivateMessage != 0)
            PostMessage(WM_TEST_PRIVATE, 5, 0);
        return TRUE;
    }

  protected:
    void DoDataExchange(CDataExchange *pDX) override
    {
        CDialog::DoDataExchange(pDX);
        if (m_subclassEdit)
            DDX_Control(pDX, IDC_INPUT_VALUE, m_edit);
        DDX_Text(pDX, IDC_INPUT_PROMPT, m_prompt);
        DDX_Text(pDX, IDC_INPUT_VALUE, m_value);
    }

    void PostNcDestroy() override
    {
        postNcDestroyCalled = true;
    }

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        ++creates;
        return CDialog::OnCreate(lpCreateStruct);
    }
    afx_msg void OnOkClicked()
    {
        ++okClicks;
    }
    afx_msg void OnValueChange()
    {
        ++parentChanges;
    }
    afx_msg LRESULT OnPrivate(WPARAM wParam, LPARAM)
    {
        ++privateMessages;
        privateWParam = wParam;
        if (endOnPrivateMessage != 0)
            EndDialog(endOnPrivateMessage);
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == SAFETY_TIMER)
        {
            EndDialog(SAFETY_RESULT);
        }
        else if (nIDEvent == endTimer)
        {
            KillTimer(nIDEvent);
            EndDialog(endOnTimer);
        }
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CInputTestDlg, CDialog)
ON_WM_CREATE()
ON_BN_CLICKED(IDOK, &CInputTestDlg::OnOkClicked)
ON_EN_CHANGE(IDC_INPUT_VALUE, &CInputTestDlg::OnValueChange)
ON_MESSAGE(WM_TEST_PRIVATE, &CInputTestDlg::OnPrivate)
ON_WM_TIMER()
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_language.Loaded());
    }
    wintest::LanguageLibrary m_language;
};

TEST_F(DialogTest, ModelessDialogFromLanguageLibraryExchangesDataBothWays)
{
    CInputTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    EXPECT_EQ(1, dlg.initDialogCalls);
    // The dialog was this object's from its first message on.
    EXPECT_EQ(1, dlg.creates);
    EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd));

    // OnInitDialog's base loaded the members into the controls.
    CString text;
    dlg.GetDlgItemText(IDC_INPUT_PROMPT, text);
    EXPECT_EQ(CString(L"Name of the folder"), text);
    dlg.GetDlgItemText(IDC_INPUT_VALUE, text);
    EXPECT_EQ(CString(L"first"), text);
    // The edit box became the CReflectEdit member.
    EXPECT_EQ(&dlg.m_edit, CWnd::FromHandlePermanent(dlg.GetDlgItem(IDC_INPUT_VALUE)->m_hWnd));

    dlg.SetDlgItemText(IDC_INPUT_VALUE, L"second");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(CString(L"second"), dlg.m_value);

    HWND hWnd = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_edit.m_hWnd);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(dlg.postNcDestroyCalled);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST_F(DialogTest, ButtonCommandGoesToTheDerivedMapEntryBeforeTheBaseOnes)
{
    CInputTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    dlg.ShowWindow(SW_SHOW);
    HWND hOk = ::GetDlgItem(dlg.m_hWnd, IDOK);
    ASSERT_NE(nullptr, hOk);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(hOk));
    EXPECT_EQ(1, dlg.okClicks);
    // The base map's IDOK entry (OnOK, which would end and hide the dialog) was not used.
    EXPECT_TRUE(dlg.IsWindowVisible());
    // A click on the real button arrives the same way.
    ::SendMessageW(hOk, BM_CLICK, 0, 0);
    EXPECT_EQ(2, dlg.okClicks);
}

TEST_F(DialogTest, ModelessEndDialogHidesTheWindowAndKeepsIt)
{
    CInputTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
}

TEST_F(DialogTest, ReflectedNotificationStaysWithTheControl)
{
    CInputTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    dlg.m_edit.SetWindowText(L"typed");
    EXPECT_EQ(1, dlg.m_edit.changes);
    EXPECT_EQ(0, dlg.parentChanges);

    // Loading the controls by data exchange reports no change to anyone.
    dlg.m_value = L"loaded";
    EXPECT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(1, dlg.m_edit.changes);
    EXPECT_EQ(0, dlg.parentChanges);
}

TEST_F(DialogTest, NotificationOfAPlainControlReachesTheParent)
{
    CInputTestDlg dlg(false);
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    ::SetWindowTextW(::GetDlgItem(dlg.m_hWnd, IDC_INPUT_VALUE), L"typed");
    EXPECT_EQ(1, dlg.parentChanges);
}

TEST_F(DialogTest, ModalDialogRunsItsLoopForPostedMessagesAndReturnsTheEndCode)
{
    CInputTestDlg dlg;
    dlg.endOnPrivateMessage = 42;
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_EQ(1, dlg.initDialogCalls);
    EXPECT_EQ(1, dlg.privateMessages);
    EXPECT_EQ(5u, dlg.privateWParam);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_TRUE(dlg.postNcDestroyCalled);
}

// Clicks Cancel once the modal dialog is up.
class CCancelledDlg : public CInputTestDlg
{
  public:
    BOOL OnInitDialog() override
    {
        CInputTestDlg::OnInitDialog();
        ::PostMessageW(::GetDlgItem(m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
        return TRUE;
    }
};

TEST_F(DialogTest, ClickOnCancelEndsTheModalDialogWithIdCancel)
{
    CCancelledDlg dlg;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST_F(DialogTest, OwnerIsDisabledWhileTheModalDialogRuns)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));

    class COwnerProbeDlg : public CInputTestDlg
    {
      public:
        using CInputTestDlg::CInputTestDlg;
        HWND hOwner = nullptr;
        int ownerEnabledWhileRunning = -1;
        BOOL OnInitDialog() override
        {
            CInputTestDlg::OnInitDialog();
            ownerEnabledWhileRunning = ::IsWindowEnabled(hOwner) ? 1 : 0;
            EndDialog(IDOK);
            return TRUE;
        }
    };
    COwnerProbeDlg dlg(true, &owner);
    dlg.hOwner = owner.m_hWnd;
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(0, dlg.ownerEnabledWhileRunning);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

struct WorkerRun
{
    INT_PTR result = 0;
    DWORD dialogThread = 0;
    DWORD workerThread = 0;
};

UINT __cdecl RunDialogOnWorker(LPVOID param)
{
    auto *run = static_cast<WorkerRun *>(param);
    run->workerThread = ::GetCurrentThreadId();
    CInputTestDlg dlg;
    dlg.endTimer = 5;
    dlg.endOnTimer = 7;
    run->result = dlg.DoModal();
    return 0;
}

TEST_F(DialogTest, DoModalOnAWorkerThreadRunsItsOwnLoop)
{
    WorkerRun run;
    CWinThread *thread = AfxBeginThread(RunDialogOnWorker, &run, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    // The main thread keeps pumping: a worker's dialog may need this thread's windows to answer.
    bool ended =
        wintest::PumpUntil([&] { return ::WaitForSingleObject(thread->m_hThread, 0) == WAIT_OBJECT_0; }, 20000);
    EXPECT_TRUE(ended);
    if (ended)
        delete thread;
    EXPECT_EQ(7, run.result);
    EXPECT_NE(0u, run.workerThread);
    EXPECT_NE(::GetCurrentThreadId(), run.workerThread);
}

TEST_F(DialogTest, EndDialogInsideOnInitDialogSkipsTheLoop)
{
    class CQuickDlg : public CDialog
    {
      public:
        CQuickDlg() : CDialog(IDD_INPUT_DIALOG)
        {
        }
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            EndDialog(3);
            return TRUE;
        }
    };
    CQuickDlg dlg;
    EXPECT_EQ(3, dlg.DoModal());
}

TEST_F(DialogTest, MissingTemplateFailsWithoutAWindow)
{
    CDialog modal(9999);
    EXPECT_EQ(-1, modal.DoModal());
    EXPECT_EQ(nullptr, modal.m_hWnd);
    CDialog modeless;
    EXPECT_FALSE(modeless.Create(9999));
    EXPECT_EQ(nullptr, modeless.m_hWnd);
}

TEST_F(DialogTest, UnhandledCommandsAndWmCloseFollowDialogRules)
{
    CInputTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_INPUT_DIALOG));
    dlg.ShowWindow(SW_SHOW);
    // A command nobody maps is not handled and does no harm.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(4321, 0), 0);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    // Closing the window is a Cancel: it ends (hides) the modeless dialog.
    dlg.SendMessage(WM_CLOSE);
    wintest::PumpUntil([&] { return !dlg.IsWindowVisible(); }, 2000);
    EXPECT_FALSE(dlg.IsWindowVisible());
}

} // namespace
