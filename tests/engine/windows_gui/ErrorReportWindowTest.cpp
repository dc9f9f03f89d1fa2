// The copy-error window: merging of repeated errors as the list shows them, a run thread adding errors while
// the list repaints, suppression, the message column's width and OK.
#include "ProgressTestSupport.h"

#include <atomic>
#include <thread>

#include "engine/job/CopyErrorList.h"
#include "engine/windows/ErrorReportDlg.h"
#include "engine/store/JobDef.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Resources.h"

using namespace progresstest;

namespace
{

class ErrorReport : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_job = NewJob(L"Pictures");
        m_dialog.reset(new CErrorReportDlg(m_job.get()));
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_job.reset();
        WindowTest::TearDown();
    }

    // Shown without taking the focus.
    void Open()
    {
        m_dialog->ShowReport(L"Pictures");
        ASSERT_NE(m_dialog->GetSafeHwnd(), nullptr);
        m_dialog->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND List()
    {
        return m_dialog->GetList().GetSafeHwnd();
    }

    // The text the list view itself shows (asked through LVN_GETDISPINFO).
    std::wstring Shown(int item, int subItem)
    {
        wchar_t buffer[1024] = {};
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer;
        lvi.cchTextMax = ARRAYSIZE(buffer);
        ::SendMessageW(List(), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi));
        return buffer;
    }

    int ListCount()
    {
        return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    }

    void Add(LPCWSTR text, __time64_t time)
    {
        m_dialog->AddErrorItem(text, &time);
    }

    std::unique_ptr<CSyncJob> m_job;
    std::unique_ptr<CErrorReportDlg> m_dialog;
};

} // namespace

TEST_F(ErrorReport, RepeatedErrorsMergeAsTheListShowsThem)
{
    Add(L"early", 1000);
    Open();
    EXPECT_EQ(ListCount(), 1) << "items from before the window are there";

    Add(L"A", 1700000000);
    Add(L"A", 1700000100);
    Add(L"B", 1700000200);
    Add(L"A", 1700000300);
    Add(L"x\r\n", 1700000400);
    Add(L"x\r\n", 1700000500);
    Pump();

    ASSERT_EQ(ListCount(), 6);
    EXPECT_EQ(Shown(1, 1), L"A");
    EXPECT_EQ(Shown(1, 0), std::wstring(FormatTime(1700000100, L"%m/%d/%y %I:%M:%S %p")))
        << "the same text again only renews the time";
    EXPECT_EQ(Shown(2, 1), L"B");
    EXPECT_EQ(Shown(3, 1), L"A");
    EXPECT_EQ(Shown(4, 1), L"x");
    EXPECT_EQ(Shown(5, 1), L"x") << "a text with a line break never merges";
    EXPECT_EQ(Shown(6, 1), L"") << "past the end";
}

TEST_F(ErrorReport, AWorkerAddsTenThousandItemsWhileTheListRepaints)
{
    Open();
    const int kItems = 10000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < kItems; ++i)
        {
            wchar_t text[64];
            _snwprintf(text, ARRAYSIZE(text), L"C:\\Data\\file%05d.txt could not be copied", i);
            text[63] = L'\0';
            const __time64_t time = 1700000000 + i;
            m_dialog->AddErrorItem(text, &time);
        }
        done = true;
    });
    int rounds = 0;
    while (!done || rounds < 3)
    {
        const int count = ListCount();
        if (count > 0)
        {
            ::SendMessageW(List(), LVM_ENSUREVISIBLE, count - 1, FALSE);
            Shown(count - 1, 1);
        }
        ::RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        Pump();
        if (done)
            ++rounds;
    }
    worker.join();
    Pump();

    EXPECT_EQ(m_job->GetErrorList().GetCount(), static_cast<size_t>(kItems));
    ASSERT_EQ(ListCount(), kItems);
    EXPECT_EQ(Shown(0, 1), L"C:\\Data\\file00000.txt could not be copied");
    EXPECT_EQ(Shown(kItems - 1, 1), L"C:\\Data\\file09999.txt could not be copied");
}

TEST_F(ErrorReport, ErrorsTheJobAddsWhileTheWindowIsOpenAppear)
{
    FakeMainWindow mainWindow; // the job lists errors only while the program has its main window
    Open();
    EXPECT_EQ(ListCount(), 0);
    std::thread run([this] {
        m_job->AddStatusError(L"D:\\Mail\\archive.pst could not be copied");
        m_job->AddStatusError(L"D:\\Mail\\other.pst could not be copied");
    });
    run.join();
    Pump();
    ASSERT_EQ(ListCount(), 2) << "the job's own additions reach the open window";
    EXPECT_EQ(Shown(1, 1), L"D:\\Mail\\other.pst could not be copied");

    // A closed window is told nothing more, and a new one starts from the whole list.
    m_dialog->DestroyWindow();
    m_job->AddStatusError(L"after the window");
    Pump();
    Open();
    EXPECT_EQ(ListCount(), 3);
}

TEST_F(ErrorReport, SuppressedReportMakesTheWindowButDoesNotShowIt)
{
    m_job->GetJobDef()->SetSuppressErrorLogWindow(1);
    m_dialog->ShowReport(L"Pictures");
    ASSERT_NE(m_dialog->GetSafeHwnd(), nullptr);
    EXPECT_FALSE(m_dialog->IsWindowVisible());

    m_job->GetJobDef()->SetSuppressErrorLogWindow(0);
    m_dialog->ShowReport(L"Pictures");
    EXPECT_TRUE(m_dialog->IsWindowVisible());
    CString title;
    m_dialog->GetWindowText(title);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(title)), L"Pictures");
}

TEST_F(ErrorReport, ColumnsAndALongMessageWidenTheMessageColumnOnce)
{
    Open();
    CListCtrl &list = m_dialog->GetList();
    EXPECT_EQ(list.GetColumnWidth(0), 120);
    CRect client;
    list.GetClientRect(&client);
    EXPECT_EQ(list.GetColumnWidth(1), client.Width() - 120);
    EXPECT_EQ(m_dialog->GetRecordedColumnWidth(), client.Width() - 120);
    EXPECT_NE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT, 0u);

    wchar_t heading[64] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = ARRAYSIZE(heading);
    ::SendMessageW(List(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    std::wstring expected;
    AfxLoadStringResource(257, expected);
    EXPECT_EQ(std::wstring(heading), expected);

    // A short text leaves the column alone.
    Add(L"short", 1700000000);
    Pump();
    Shown(0, 1);
    EXPECT_EQ(list.GetColumnWidth(1), client.Width() - 120);

    const std::wstring longText(150, L'W');
    Add(longText.c_str(), 1700000001);
    Pump();
    Shown(1, 1);
    const int width =
        static_cast<int>(::SendMessageW(List(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(longText.c_str())));
    ASSERT_GT(width, client.Width());
    EXPECT_EQ(m_dialog->GetRecordedColumnWidth(), width);
    EXPECT_EQ(list.GetColumnWidth(1), width + 50);

    // Asked again (as every repaint does), the width stays.
    list.SetColumnWidth(1, 77);
    Shown(1, 1);
    Shown(0, 1);
    EXPECT_EQ(list.GetColumnWidth(1), 77) << "no resize without a wider text";
}

TEST_F(ErrorReport, OkRemembersDoNotShowAgainAndHides)
{
    Open();
    ASSERT_TRUE(m_dialog->IsWindowVisible());
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_NE(m_dialog->GetSafeHwnd(), nullptr) << "hidden, not destroyed";
    EXPECT_EQ(m_job->GetJobDef()->GetSuppressErrorLogWindow(), 0);

    m_dialog->ShowReport(L"Pictures");
    m_dialog->CheckDlgButton(1143, BST_CHECKED);
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(m_job->GetJobDef()->GetSuppressErrorLogWindow(), 1);
    EXPECT_EQ(XmlGetAttributeInt(m_job->GetElement(), L"suppress_error_log_window"), 1);

    m_dialog->ShowReport(L"Pictures");
    EXPECT_FALSE(m_dialog->IsWindowVisible());
}
