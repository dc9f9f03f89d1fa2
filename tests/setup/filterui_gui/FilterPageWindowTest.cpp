// The filter page: the summary's figures with and without a scanner handed in, the size text, a tick that changes
// nothing, the list's check boxes and the page's own (saved as filter-page.png in the build folder).
#include "setup/support/SetupTestSupport.h"

#include <memory>

#include "engine/program/FolderSizeScanner.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/filterui/FilterPage.h"
#include "support/TestSupport.h"

using setuptest::FilterWindowTest;

namespace
{

std::wstring ControlText(CWnd &dialog, int id)
{
    CString text;
    dialog.GetDlgItem(id)->GetWindowText(text);
    return text.GetString();
}

class FilterPageWindow : public FilterWindowTest
{
  protected:
    void SetUp() override
    {
        FilterWindowTest::SetUp();
        ::CreateDirectoryW((m_folder / L"Pictures").c_str(), nullptr);
        ::CreateDirectoryW((m_folder / L"Other").c_str(), nullptr);
        testsupport::WriteFileBytes(m_folder / L"Pictures\\one.jpg", std::string(5000, 'j'));
        testsupport::WriteFileBytes(m_folder / L"Other\\big.bin", std::string(100000, 'b'));
        testsupport::WriteFileBytes(m_folder / L"Other\\notes.txt", std::string(10, 't'));
    }

    // The page over the set at index, in a shown host.
    std::unique_ptr<CFilterPage> ShowPage(int index)
    {
        auto page = std::make_unique<CFilterPage>();
        EXPECT_TRUE(page->SelectFilterSet(&m_root, index, CWnd::FromHandle(MakeHost(260, 220))));
        page->ShowWindow(SW_SHOW);
        Pump();
        return page;
    }

    std::string FolderEntry(const std::wstring &folder)
    {
        return "<configuration val=\"" + std::string(CStringA((m_folder / folder).c_str()).GetString()) +
               "\" type=\"1\" description=\"\" selected=\"-1\"/>";
    }
};

} // namespace

TEST_F(FilterPageWindow, TheSummaryShowsTheSizeInItsUnit)
{
    EXPECT_EQ(CFilterPage::FormatSummary(0, 1048575), L"0 files, 1024.0 KB");
    EXPECT_EQ(CFilterPage::FormatSummary(3, 1048576), L"3 files, 1.0 MB");
    EXPECT_EQ(CFilterPage::FormatSummary(1, 1073741824), L"1 files, 1.0 GB");
}

TEST_F(FilterPageWindow, WithoutAScannerTheFoldersAreCountedOnEveryTick)
{
    LoadSets("<filter name=\"Places\" selected=\"-1\"><filter name=\"Pictures\" selected=\"-1\">" +
             FolderEntry(L"Pictures") + "<configuration val=\"jpg\" type=\"0\" selected=\"-1\"/></filter>" +
             "<filter name=\"Off\" selected=\"0\">" + FolderEntry(L"Other") + "</filter></filter>" +
             "<filter name=\"Types\" selected=\"-1\"><filter name=\"Text\" selected=\"-1\">"
             "<configuration val=\"txt\" type=\"0\" selected=\"-1\"/></filter></filter>");
    std::unique_ptr<CFilterPage> page = ShowPage(0);
    EXPECT_EQ(ControlText(*page, IDC_FILTER_SUMMARY), L"0 files, 0.0 KB");
    ASSERT_EQ(page->GetList().GetItemCount(), 1) << "the filter that is off is not listed";

    page->RecountFigures();
    EXPECT_EQ(page->GetFileCount(), 1u);
    EXPECT_EQ(page->GetTotalSize(), 8192u);
    EXPECT_EQ(ControlText(*page, IDC_FILTER_SUMMARY), L"1 files, 8.0 KB");

    // An empty file changes the count but not the total: the summary stays as it was.
    testsupport::WriteFileBytes(m_folder / L"Pictures\\empty.jpg", "");
    page->RecountFigures();
    EXPECT_EQ(page->GetFileCount(), 2u);
    EXPECT_EQ(ControlText(*page, IDC_FILTER_SUMMARY), L"1 files, 8.0 KB");

    // A folder that is gone counts nothing.
    ASSERT_TRUE(testsupport::RemoveTree(m_folder / L"Pictures"));
    page->RecountFigures();
    EXPECT_EQ(ControlText(*page, IDC_FILTER_SUMMARY), L"0 files, 0.0 KB");

    // A set of extension lists only has no figures without a scanner.
    std::unique_ptr<CFilterPage> types = ShowPage(1);
    types->RecountFigures();
    EXPECT_EQ(types->GetFileCount(), 0u);
    EXPECT_EQ(types->GetTotalSize(), 0u);
}

TEST_F(FilterPageWindow, AHandedInScannerGivesTheExtensionFiguresAndKeepsItsFolders)
{
    LoadSets("<filter name=\"Mixed\" selected=\"-1\"><filter name=\"Text\" selected=\"-1\">"
             "<configuration val=\"txt, *.log\" type=\"0\" selected=\"-1\"/>" +
             FolderEntry(L"Pictures") + "</filter></filter>");
    CFolderSizeScanner scanner;
    const std::vector<CString> folders = {(m_folder / L"Other").c_str()};
    scanner.StartScan(folders, L".txt;.log", L"");
    ASSERT_EQ(::WaitForSingleObject(scanner.m_hThread, 30000), WAIT_OBJECT_0);

    std::unique_ptr<CFilterPage> page = ShowPage(0);
    page->StartRefresh(&scanner);
    page->RecountFigures();
    EXPECT_EQ(page->GetFileCount(), 1u);
    EXPECT_EQ(page->GetTotalSize(), 4096u);
    EXPECT_EQ(page->GetSummary(), L"1 files, 4.0 KB");

    // The page's folder entry never reached the scanner: a new scan counts the same.
    HANDLE thread = scanner.RestartScan();
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 4096u);
    EXPECT_EQ(scanner.m_fileCount.load(), 1u);
}

TEST_F(FilterPageWindow, ATickedBoxTogglesItsFilterAndTheSetFollows)
{
    LoadSets("<filter name=\"Pictures, Music and Video\" selected=\"-1\">"
             "<filter name=\"Pictures\" selected=\"-1\"><configuration val=\"jpg, png\" type=\"0\" "
             "selected=\"-1\"/></filter><filter name=\"Music\" selected=\"0\"/>"
             "<filter name=\"Video\" selected=\"-1\"><configuration val=\"avi\" type=\"0\" selected=\"-1\"/>"
             "</filter></filter>");
    std::unique_ptr<CFilterPage> page = ShowPage(0);
    CFilterListCtrl &list = page->GetList();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(page->IsDlgButtonChecked(IDC_FILTER_SET_SWITCH), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(setuptest::SaveWindowPng(m_hosts.back(), testsupport::BuildFolder() + L"filter-page.png"));

    // The check box lies left of the label: the first point of the row the list calls its state icon.
    CRect row;
    ASSERT_TRUE(list.GetItemRect(0, &row, LVIR_BOUNDS));
    CPoint box(-1, (row.top + row.bottom) / 2);
    for (int x = row.left; x < row.right && box.x < 0; ++x)
    {
        UINT flags = 0;
        if (list.HitTest(CPoint(x, box.y), &flags) == 0 && (flags & LVHT_ONITEMSTATEICON))
            box.x = x + 3;
    }
    ASSERT_GE(box.x, 0);
    FilterNode *set = page->GetFilterSet();
    for (int item : {0, 1})
    {
        ASSERT_TRUE(list.GetItemRect(item, &row, LVIR_BOUNDS));
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, (row.top + row.bottom) / 2));
        list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(box.x, (row.top + row.bottom) / 2));
        EXPECT_FALSE(set->GetChild(item == 0 ? 0 : 2)->GetCategory()->IsSelected());
        EXPECT_EQ(list.GetItemState(item, LVIS_STATEIMAGEMASK), static_cast<UINT>(INDEXTOSTATEIMAGEMASK(1)));
    }
    // The last filter went off, so did the set, and the page heard of it.
    EXPECT_FALSE(set->GetCategory()->IsSelected());
    EXPECT_EQ(page->IsDlgButtonChecked(IDC_FILTER_SET_SWITCH), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(list.GetItemCount(), 2) << "the list keeps its rows until it is filled again";
}

TEST_F(FilterPageWindow, ANewTreeIsShownAfreshWhenTheSetsAreReloaded)
{
    LoadSets("<filter name=\"Email\" selected=\"-1\"><filter name=\"Outlook\" selected=\"-1\"/></filter>");
    std::unique_ptr<CFilterPage> page = ShowPage(0);
    ASSERT_EQ(page->GetList().GetItemCount(), 1);
    // The reload destroys the nodes the list's items held.
    LoadSets("<filter name=\"Email\" selected=\"-1\"><filter name=\"Outlook\" selected=\"-1\"/>"
             "<filter name=\"Windows Mail\" selected=\"-1\"/></filter>");
    page->SetFilterList(&m_root);
    ASSERT_EQ(page->GetList().GetItemCount(), 2);
    EXPECT_EQ(page->GetFilterSet(), m_root.GetChild(0));
    EXPECT_EQ(page->GetList().GetNode(1), m_root.GetChild(0)->GetChild(1));
}
