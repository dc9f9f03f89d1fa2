// The progress window: titles and banners by mode, periodic updates, the end state, OK and Cancel with the
// question, the close element, and its painting (saved as progress.png in the build folder).
#include "ProgressTestSupport.h"

#include "engine/windows/ProgressDialog.h"
#include "platform/system/Clock.h"
#include "platform/system/Resources.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestSupport.h"
#include "ui/skin/SdSkinDlg.h"
#include "ui/skin/SkinGlobals.h"

using namespace progresstest;

namespace
{

const ULONGLONG MB = 1024 * 1024;

struct Question
{
    int asked = 0;
    std::wstring text;
    UINT flags = 0;
    int answer = IDNO;
};
Question g_question;

int AnswerQuestion(UINT, const CString &text, UINT flags)
{
    ++g_question.asked;
    g_question.text = text.GetString();
    g_question.flags = flags;
    return g_question.answer;
}

__time64_t g_now = 1700000000;
__time64_t TestClock()
{
    return g_now;
}

std::wstring LoadString(UINT id)
{
    std::wstring text;
    AfxLoadStringResource(id, text);
    return text;
}

std::wstring Title(const CWnd &window)
{
    CString text;
    window.GetWindowText(text);
    return std::wstring(static_cast<LPCWSTR>(text));
}

bool IsShownAndEnabled(CWnd &dialog, int id)
{
    CWnd *control = dialog.GetDlgItem(id);
    return control != nullptr && control->IsWindowVisible() && control->IsWindowEnabled();
}

bool IsHiddenAndDisabled(CWnd &dialog, int id)
{
    CWnd *control = dialog.GetDlgItem(id);
    return control != nullptr && !control->IsWindowVisible() && !control->IsWindowEnabled();
}

class ProgressDialog : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        g_question = Question();
        m_job = NewJob(L"Documents");
        m_main.reset(new FakeMainWindow(FakeMainWindow::Kind::TopLevel));
        m_main->m_runningJob = m_job.get();
        m_dialog.reset(new CProgressDialog);
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_main.reset();
        m_job.reset();
        WindowTest::TearDown();
    }

    // A run starts: mode running, the window reset and shown without taking the focus from the tests.
    void StartRun(int mode)
    {
        m_main->m_mode = mode;
        m_dialog->ResetProgress(FALSE);
        ASSERT_NE(m_dialog->GetSafeHwnd(), nullptr);
        m_dialog->ShowWindow(SW_SHOWNOACTIVATE);
        m_main->m_progressShown = TRUE;
        ::EnableWindow(m_main->GetWindowHandle(), FALSE);
    }

    void Update(ULONGLONG done, ULONGLONG total, __time64_t now)
    {
        m_job->m_bytesDone = done;
        m_job->m_bytesTotal = total;
        g_now = now;
        m_dialog->ShowCompleted();
    }

    HWND Hwnd() const
    {
        return m_dialog->GetSafeHwnd();
    }

    SeamOverride<MessageBoxAnswer> m_answer{g_messageBoxAnswer, &AnswerQuestion};
    SeamOverride<PFN_CLOCK> m_clock{g_pfnClock, &TestClock};
    std::unique_ptr<CSyncJob> m_job;
    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<CProgressDialog> m_dialog;
};

} // namespace

TEST_F(ProgressDialog, TitleBannerAndButtonsFollowTheMode)
{
    StartRun(MAIN_MODE_BACKUP_IDLE);
    EXPECT_EQ(Title(*m_dialog), LoadString(50007));
    ASSERT_NE(m_dialog->GetCurrentBanner(), nullptr);
    EXPECT_TRUE(IsSkinImageValid(m_dialog->GetCurrentBanner()));
    Gdiplus::Image *backupBanner = m_dialog->GetCurrentBanner();
    EXPECT_TRUE(IsShownAndEnabled(*m_dialog, IDCANCEL));
    EXPECT_TRUE(IsHiddenAndDisabled(*m_dialog, IDOK));
    CString cancel;
    m_dialog->GetDlgItem(IDCANCEL)->GetWindowText(cancel);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(cancel)), LoadString(248));

    StartRun(MAIN_MODE_RESTORE_IDLE);
    EXPECT_EQ(Title(*m_dialog), LoadString(50008));
    EXPECT_NE(m_dialog->GetCurrentBanner(), backupBanner);
    EXPECT_TRUE(IsSkinImageValid(m_dialog->GetCurrentBanner()));

    // OK lies on Cancel's place; the text box is hidden and only lends its rectangle.
    CRect ok, cancelRect;
    m_dialog->GetDlgItem(IDOK)->GetWindowRect(&ok);
    m_dialog->GetDlgItem(IDCANCEL)->GetWindowRect(&cancelRect);
    EXPECT_EQ(ok, cancelRect);
    EXPECT_FALSE(m_dialog->GetDlgItem(1269)->IsWindowVisible());
    EXPECT_FALSE(m_dialog->GetDlgItem(1268)->IsWindowVisible());
}

TEST_F(ProgressDialog, UpdatesFillTheBarAndTheStatusLine)
{
    StartRun(MAIN_MODE_BACKUP_RUNNING);
    Update(0, 0, g_now);
    EXPECT_EQ(m_dialog->GetBarPosition(), 0);
    EXPECT_TRUE(m_dialog->GetStatusText().IsEmpty());

    Update(0, 10 * MB, g_now);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(m_dialog->GetStatusText())), LoadString(1246) + L"...");

    Update(2 * MB, 10 * MB, 1700000000);
    EXPECT_EQ(m_dialog->GetBarPosition(), 20);
    EXPECT_TRUE(m_dialog->GetStatusText().IsEmpty()) << "the first update only starts the clock";
    Update(4 * MB, 10 * MB, 1700000002);
    EXPECT_EQ(m_dialog->GetBarPosition(), 40);
    EXPECT_NE(m_dialog->GetStatusText().Find(L"4.0 MB"), -1);
    EXPECT_NE(m_dialog->GetStatusText().Find(L"10.0 MB"), -1);
    EXPECT_NE(m_dialog->GetStatusText().Find(L"2.0 MB"), -1) << "rate 2 MB/s";

    Update(12 * MB, 10 * MB, 1700000003);
    EXPECT_EQ(m_dialog->GetBarPosition(), 100);
    EXPECT_TRUE(m_dialog->GetStatusText().IsEmpty());

    // Without a running job the update changes nothing.
    m_main->m_runningJob = nullptr;
    Update(1 * MB, 10 * MB, 1700000004);
    EXPECT_EQ(m_dialog->GetBarPosition(), 100);
}

TEST_F(ProgressDialog, ASecondRunMeasuresItsOwnRate)
{
    StartRun(MAIN_MODE_BACKUP_RUNNING);
    Update(1 * MB, 10 * MB, 1000);
    Update(2 * MB, 10 * MB, 1002);
    EXPECT_DOUBLE_EQ(m_dialog->GetEstimate().rate, 1.0 * MB);
    m_dialog->ShowFinished(L"Documents", 0, 0);

    StartRun(MAIN_MODE_BACKUP_RUNNING);
    EXPECT_FALSE(m_dialog->GetEstimate().started);
    EXPECT_EQ(m_dialog->GetBarPosition(), 0);
    Update(1 * MB, 10 * MB, 5000);
    EXPECT_EQ(m_dialog->GetEstimate().startTime, 5000);
    Update(3 * MB, 10 * MB, 5001);
    EXPECT_DOUBLE_EQ(m_dialog->GetEstimate().rate, 3.0 * MB);
}

TEST_F(ProgressDialog, ShowFinishedFillsTheBarAndOffersOk)
{
    StartRun(MAIN_MODE_BACKUP_RUNNING);
    Update(3 * MB, 10 * MB, 1000);
    // The end message the main window chose is what the window says.
    m_dialog->ShowFinished(L"The backup has ended, but not every file was backed up.", 3, 1);
    EXPECT_EQ(m_dialog->GetBarPosition(), 100);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(m_dialog->GetStatusText())),
              L"The backup has ended, but not every file was backed up.");
    m_dialog->ShowFinished(L"", 3, 1);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(m_dialog->GetStatusText())), LoadString(177));
    EXPECT_TRUE(IsShownAndEnabled(*m_dialog, IDOK));
    EXPECT_TRUE(IsHiddenAndDisabled(*m_dialog, IDCANCEL));

    StartRun(MAIN_MODE_RESTORE_RUNNING);
    m_dialog->ShowFinished(nullptr, 0, 0);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(m_dialog->GetStatusText())), LoadString(405));

    // OK gives the main window back, in the idle mode of its kind.
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_main->m_mode, MAIN_MODE_RESTORE_IDLE);
    EXPECT_TRUE(::IsWindowEnabled(m_main->GetWindowHandle()));
    EXPECT_FALSE(m_main->m_progressShown);
    EXPECT_EQ(m_dialog->GetBarPosition(), 0);
    EXPECT_EQ(m_main->TakePostedCommands(), std::vector<WPARAM>{IDCANCEL});
}

TEST_F(ProgressDialog, CancelWithoutARunClosesAtOnce)
{
    StartRun(MAIN_MODE_BACKUP_IDLE);
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(g_question.asked, 0);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_main->m_mode, MAIN_MODE_BACKUP_IDLE);
    EXPECT_FALSE(m_main->m_progressShown);
    EXPECT_EQ(m_main->TakePostedCommands(), std::vector<WPARAM>{IDCANCEL});
    EXPECT_EQ(m_main->m_runJobsCalls, 0);

    // Closing the window is Cancel too.
    StartRun(MAIN_MODE_RESTORE_IDLE);
    m_dialog->SendMessage(WM_CLOSE);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_main->TakePostedCommands(), std::vector<WPARAM>{IDCANCEL});
}

TEST_F(ProgressDialog, CancelDuringARunAsksFirst)
{
    StartRun(MAIN_MODE_BACKUP_RUNNING);
    Update(5 * MB, 10 * MB, 1000);

    // Enter during the run (OK is hidden) changes nothing.
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_main->m_mode, MAIN_MODE_BACKUP_RUNNING);

    g_question.answer = IDNO;
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(g_question.asked, 1);
    EXPECT_EQ(g_question.text, LoadString(50009));
    EXPECT_EQ(g_question.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_dialog->GetBarPosition(), 50);
    EXPECT_EQ(m_main->m_runJobsCalls, 0);
    EXPECT_EQ(m_main->m_mode, MAIN_MODE_BACKUP_RUNNING);
    EXPECT_FALSE(::IsWindowEnabled(m_main->GetWindowHandle()));
    EXPECT_TRUE(m_main->m_progressShown);
    EXPECT_TRUE(m_main->TakePostedCommands().empty());

    g_question.answer = IDYES;
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(g_question.asked, 2);
    EXPECT_EQ(m_main->m_runJobsCalls, 1);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_dialog->GetBarPosition(), 0);
    EXPECT_FALSE(m_main->m_progressShown);
    EXPECT_TRUE(m_main->TakePostedCommands().empty());

    // A restore asks its own question.
    StartRun(MAIN_MODE_RESTORE_RUNNING);
    g_question.answer = IDNO;
    m_dialog->SendMessage(WM_CLOSE);
    EXPECT_EQ(g_question.text, LoadString(50010));
    EXPECT_TRUE(m_dialog->IsWindowVisible());
}

TEST_F(ProgressDialog, CloseElementSitsTopRightAndCancelsOrConfirms)
{
    StartRun(MAIN_MODE_BACKUP_IDLE);
    CSkinButtonNew *close = m_dialog->GetCloseButton();
    ASSERT_NE(close, nullptr);
    CRect client;
    m_dialog->GetClientRect(&client);
    EXPECT_EQ(close->m_rect, CSdSkinDlg::CloseButtonRect(client.Width()));
    EXPECT_EQ(close->m_rect.Width(), 24);
    EXPECT_EQ(close->m_rect.Height(), 24);
    EXPECT_EQ(close->m_commandId, static_cast<UINT>(IDCANCEL));

    // During the run the element posts Cancel to the window itself.
    const CPoint inside = close->m_rect.CenterPoint();
    ::SendMessageW(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(close->GetState(), SKIN_STATE_HOVER);
    ::SendMessageW(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(close->GetState(), SKIN_STATE_PRESSED);
    ::SendMessageW(Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, Hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDCANCEL));
    EXPECT_TRUE(m_dialog->IsWindowVisible());

    // At the end it is OK.
    m_dialog->ShowFinished(L"Documents", 0, 0);
    ::SendMessageW(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
    ::SendMessageW(Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_main->TakePostedCommands(), std::vector<WPARAM>{IDCANCEL});
}

TEST_F(ProgressDialog, PaintsBackgroundBarTextAndCloseElement)
{
    StartRun(MAIN_MODE_BACKUP_RUNNING);
    Update(2 * MB, 10 * MB, 1700000000);
    Update(4 * MB, 10 * MB, 1700000002);
    ASSERT_EQ(m_dialog->GetBarPosition(), 40);

    ErasedImage image(Hwnd());
    EXPECT_TRUE(image.SavePng(testsupport::BuildFolder() + L"progress.png"));

    CRect bar;
    m_dialog->GetDlgItem(1268)->GetWindowRect(&bar);
    m_dialog->ScreenToClient(&bar);
    const int y = bar.top + bar.Height() * 3 / 4;
    const COLORREF used = image.At(bar.left + bar.Width() / 10, y);
    const COLORREF empty = image.At(bar.left + bar.Width() * 9 / 10, y);
    EXPECT_NE(used, empty) << "the filled part differs from the empty track";
    EXPECT_GT(GetGValue(used), GetRValue(used)) << "the filled part is green";

    // Some dark text pixels lie in the status box.
    CRect text;
    m_dialog->GetDlgItem(1269)->GetWindowRect(&text);
    m_dialog->ScreenToClient(&text);
    int dark = 0;
    for (int yy = text.top; yy < text.bottom; ++yy)
        for (int x = text.left; x < text.right; ++x)
        {
            const COLORREF c = image.At(x, yy);
            if (GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80)
                ++dark;
        }
    EXPECT_GT(dark, 20);

    // The close element's normal frame differs from the background around it.
    const CRect close = m_dialog->GetCloseButton()->m_rect;
    EXPECT_NE(image.At(close.CenterPoint().x, close.CenterPoint().y), image.At(close.left - 3, close.bottom + 3));
}
