// The job list view as a window: its buttons under the mouse (messages sent, the pointer never moves), what they
// post and to whom, a run thread finding jobs while cards come and go, and the cards as a person sees them
// ("joblist.png" and "joblist-collapsed.png" in the build folder).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/joblist/JobListView.h"
#include "app/support/FaceTestSupport.h"
#include "engine/program/ProgramObjects.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/WinApp.h"
#include "support/ImageSupport.h"

namespace
{

// The application object gives the test's thread a main window, to which the cards post their commands.
CWinApp g_app(L"JobListViewWindow");

const CRect kViewPlace(0, 0, 600, 400);

class JobListViewWindow : public facetest::FaceTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(FaceTest::SetUp());
        m_savedComputerFolder = g_strComputerFolder;
        ASSERT_TRUE(m_dialog.Create(IDD_ABOUTBOX)) << "a dialog to hold the view";
        g_app.m_pMainWnd = &m_dialog;
    }

    void TearDown() override
    {
        g_app.m_pMainWnd = nullptr;
        // The views go with their parents' windows.
        m_dialog.DestroyWindow();
        m_plain.DestroyWindow();
        Pump();
        g_strComputerFolder = m_savedComputerFolder;
        FaceTest::TearDown();
    }

    // A view over kViewPlace in parent; its buttons take the mouse when buttons is set.
    CJobListView *NewView(CWnd &parent, bool buttons)
    {
        CJobListView *view = dynamic_cast<CJobListView *>(RUNTIME_CLASS(CJobListView)->CreateObject());
        EXPECT_NE(view, nullptr);
        if (view == nullptr)
            return nullptr;
        view->m_pButtonsOwner = buttons ? &parent : nullptr;
        if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, kViewPlace, &parent, IDC_VIEW))
        {
            ADD_FAILURE() << "the view's window";
            delete view;
            return nullptr;
        }
        view->ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
        view->OnInitialUpdate();
        return view;
    }

    // A point of a card's element, in the view's client coordinates.
    static CPoint On(const CJobListItem *item, const CSkinElement &element)
    {
        const CPoint centre = element.m_rect.CenterPoint();
        return CPoint(item->m_rect.left + centre.x, item->m_rect.top + centre.y);
    }

    static void Move(CWnd *view, CPoint point)
    {
        view->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    }
    static void Press(CWnd *view, CPoint point)
    {
        view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }
    static void Release(CWnd *view, CPoint point)
    {
        view->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }

    // The commands waiting in the window's queue, taken out of it.
    static std::vector<UINT> PostedCommands(CWnd &window)
    {
        std::vector<UINT> commands;
        MSG msg;
        while (::PeekMessageW(&msg, window.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
            commands.push_back(LOWORD(msg.wParam));
        return commands;
    }

    static constexpr UINT IDC_VIEW = 100;
    CDialog m_dialog;
    CWnd m_plain;
    CString m_savedComputerFolder;
};

TEST_F(JobListViewWindow, ADisabledButtonNeitherLightsNorPosts)
{
    g_strComputerFolder = (m_folder.Path() + L"no such folder").c_str();
    CJobListView *view = NewView(m_dialog, true);
    ASSERT_NE(view, nullptr);
    CJobListItem *item = view->AddJob(NewJob(L"Documents")->GetJobDef());
    ASSERT_EQ(item->m_secondButton.GetState(), SKIN_STATE_DISABLED) << "the remembered folder is missing";

    struct Case
    {
        const char *what;
        CSkinButtonNew &button;
        UINT hover, pressed;
        std::vector<UINT> posted;
    } cases[] = {
        {"disabled second button", item->m_secondButton, SKIN_STATE_DISABLED, SKIN_STATE_DISABLED, {}},
        {"run button", item->m_runButton, SKIN_STATE_HOVER, SKIN_STATE_PRESSED, {ID_JOBLIST_ITEM}},
    };
    for (Case &c : cases)
    {
        const CPoint point = On(item, c.button);
        Move(view, point);
        EXPECT_EQ(c.button.GetState(), c.hover) << c.what;
        Press(view, point);
        EXPECT_EQ(c.button.GetState(), c.pressed) << c.what;
        Release(view, point);
        EXPECT_EQ(PostedCommands(m_dialog), c.posted) << c.what;
    }
}

TEST_F(JobListViewWindow, SecondButtonActsOnlyForSyncTypesZeroAndOne)
{
    g_strComputerFolder = m_folder.Path().c_str();
    CJobListView *view = NewView(m_dialog, true);
    ASSERT_NE(view, nullptr);
    for (int syncType : {0, 1, 2})
    {
        CJobListItem *item = view->AddJob(NewJob(L"Job", syncType)->GetJobDef());
        const CPoint point = On(item, item->m_secondButton);
        Move(view, point);
        Press(view, point);
        Release(view, point);
        const std::vector<UINT> expected = syncType == 2 ? std::vector<UINT>{} : std::vector<UINT>{ID_JOB_RESTORE};
        EXPECT_EQ(PostedCommands(m_dialog), expected) << "sync type " << syncType;
        EXPECT_EQ(item->m_secondButton.GetState() == SKIN_STATE_NORMAL, syncType == 2) << "sync type " << syncType;
        view->RemoveJob(item->m_pJobDef);
    }
}

TEST_F(JobListViewWindow, EmptyViewPostsFromItsAddJobAndBackupButtonsOnlyToADialog)
{
    ASSERT_TRUE(m_plain.CreateEx(0, nullptr, L"plain", WS_POPUP, CRect(0, 0, 600, 400), nullptr, 0));
    CJobListView *inDialog = NewView(m_dialog, true);
    CJobListView *inPlain = NewView(m_plain, true);
    CJobListView *inactive = NewView(m_dialog, false);
    ASSERT_TRUE(inDialog != nullptr && inPlain != nullptr && inactive != nullptr);

    struct Case
    {
        const char *what;
        CJobListView *view;
        int button;
        int lookWhilePressed;
        std::vector<UINT> toDialog;
    } cases[] = {
        {"add a job", inDialog, LARGE_BUTTON_ADD_JOB, LARGE_LOOK_DOWN, {ID_JOBLIST_NEW_JOB}},
        {"back up", inDialog, LARGE_BUTTON_BACKUP, LARGE_LOOK_DOWN, {ID_JOBLIST_ITEM}},
        {"restore", inDialog, LARGE_BUTTON_RESTORE, LARGE_LOOK_DOWN, {}},
        {"back up under a window that is no dialog", inPlain, LARGE_BUTTON_BACKUP, LARGE_LOOK_DOWN, {}},
        {"back up with inactive buttons", inactive, LARGE_BUTTON_BACKUP, LARGE_LOOK_NORMAL, {}},
    };
    for (const Case &c : cases)
    {
        const CPoint point = c.view->GetLargeButtonRect(c.button).CenterPoint();
        Press(c.view, point);
        EXPECT_EQ(c.view->GetLargeButtonLook(c.button), c.lookWhilePressed) << c.what;
        Release(c.view, point);
        EXPECT_EQ(PostedCommands(m_dialog), c.toDialog) << c.what;
        EXPECT_TRUE(PostedCommands(m_plain).empty()) << c.what;
    }

    // The empty view shows its large buttons' pictures.
    CRect client;
    inDialog->GetClientRect(&client);
    testsupport::DibCanvas canvas(client.Width(), client.Height(), RGB(0, 0, 0));
    inDialog->OnDraw(CDC::FromHandle(canvas.Dc()));
    const CRect tile = inDialog->GetLargeButtonRect(LARGE_BUTTON_BACKUP);
    EXPECT_EQ(canvas.At(2, 2), RGB(255, 255, 255)) << "the view's ground";
    EXPECT_NE(canvas.At(tile.left + tile.Width() / 4, tile.top + 6), RGB(255, 255, 255)) << "the back-up tile";
}

TEST_F(JobListViewWindow, ScrollBarComesOnlyWhenTheCardsOutgrowTheView)
{
    const JobListMetrics metrics = CurrentJobListMetrics();
    CJobListView *view = NewView(m_dialog, true);
    ASSERT_NE(view, nullptr);
    // A client area exactly three cards high (the sunken edge takes two pixels on each side).
    view->SetWindowPos(nullptr, 0, 0, 600, 3 * metrics.expandedHeight + 4, SWP_NOZORDER | SWP_NOMOVE);
    CRect client;
    view->GetClientRect(&client);
    ASSERT_EQ(client.Height(), 3 * metrics.expandedHeight);

    const int bar = ::GetSystemMetrics(SM_CXVSCROLL);
    struct Step
    {
        int cards;
        bool hasBar;
        int left;
    } steps[] = {
        {3, false, (client.Width() - metrics.width) / 2},
        {4, true, (client.Width() - bar - 1 - metrics.width) / 2},
    };
    for (const Step &step : steps)
    {
        while (view->GetItemCount() < step.cards)
            view->AddJob(NewJob(L"Job")->GetJobDef());
        EXPECT_EQ((view->GetStyle() & WS_VSCROLL) != 0, step.hasBar) << step.cards << " cards";
        for (int i = 0; i < view->GetItemCount(); ++i)
            EXPECT_EQ(view->GetItem(i)->m_rect.left, step.left) << step.cards << " cards";
        EXPECT_EQ(view->GetTotalSize().cy, step.cards * metrics.expandedHeight);
    }
}

TEST_F(JobListViewWindow, RunThreadsFindJobsWhileCardsComeAndGo)
{
    CJobListView *view = NewView(m_dialog, true);
    ASSERT_NE(view, nullptr);
    std::vector<CSyncJob *> jobs;
    for (int i = 0; i < 10; ++i)
        jobs.push_back(NewJob(L"Job"));
    // A job without a card makes every search walk the whole sequence.
    CSyncJob *without = NewJob(L"Without a card");

    std::atomic<bool> done{false};
    std::atomic<int> found{0};
    std::thread worker([&] {
        for (int call = 0; call < 100000; ++call)
        {
            int index = -1;
            CSyncJob *job = call % 2 == 0 ? without : jobs[call % jobs.size()];
            if (view->FindJob(job, index))
                ++found;
        }
        done = true;
    });
    // Cards come and go in bursts, so that the sequence grows (and moves in memory) and shrinks.
    int cards = 0;
    while (!done || cards < 500)
    {
        for (int i = 0; i < 250; ++i)
            view->AddJob(jobs[i % jobs.size()]->GetJobDef());
        for (int i = 0; i < 250; ++i)
            view->RemoveJob(jobs[i % jobs.size()]->GetJobDef());
        cards += 250;
    }
    worker.join();
    EXPECT_EQ(view->GetItemCount(), 0);
    EXPECT_GT(found.load(), 0);
}

TEST_F(JobListViewWindow, CardsAsAPersonSeesThem)
{
    g_strComputerFolder = m_folder.Path().c_str();
    CJobListView *view = NewView(m_dialog, true);
    ASSERT_NE(view, nullptr);
    view->AddJob(NewJob(L"Documents", 0, L"E:\\Backup Data\\Documents\\")->GetJobDef());
    view->AddJob(NewJob(L"Pictures", 1, L"E:\\Backup Data\\Pictures\\")->GetJobDef());
    view->AddJob(NewJob(L"Work folder", 2, L"\\\\server\\share\\work\\")->GetJobDef());
    const JobListMetrics metrics = CurrentJobListMetrics();

    CRect client;
    view->GetClientRect(&client);
    ASSERT_GE(client.Height(), 3 * metrics.expandedHeight) << "three cards fit without a bar";
    testsupport::DibCanvas expanded(client.Width(), client.Height(), RGB(0, 0, 0));
    view->OnDraw(CDC::FromHandle(expanded.Dc()));
    EXPECT_TRUE(expanded.SavePng(facetest::PicturePath(L"joblist.png")));

    const CJobListItem *first = view->GetItem(0);
    const CPoint header(first->m_rect.left + 300, first->m_rect.top + 10);
    Press(view, header);
    Release(view, header);
    ASSERT_FALSE(first->m_expanded);
    testsupport::DibCanvas collapsed(client.Width(), client.Height(), RGB(0, 0, 0));
    view->OnDraw(CDC::FromHandle(collapsed.Dc()));
    EXPECT_TRUE(collapsed.SavePng(facetest::PicturePath(L"joblist-collapsed.png")));

    // The second card moved up from below the first card to below its header, pixel for pixel (its header
    // aside, which the selection marks).
    const int x = first->m_rect.left + 400;
    for (int y = metrics.collapsedHeight; y < metrics.collapsedHeight + 12; ++y)
        EXPECT_EQ(collapsed.At(x, metrics.collapsedHeight + y), expanded.At(x, metrics.expandedHeight + y)) << y;
    EXPECT_NE(expanded.At(x, metrics.expandedHeight + 12), RGB(255, 255, 255)) << "the header is drawn";
    EXPECT_TRUE(first->m_selected);
    EXPECT_FALSE(view->GetItem(1)->m_selected);
}

} // namespace
