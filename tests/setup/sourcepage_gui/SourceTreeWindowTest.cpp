// The source tree and its file list in a window of the test's own, over a folder of the test's: files stay out of
// the tree, an empty folder loses its button, a check box click toggles through the model and tells the host once,
// and the list never writes past the text buffer it is given.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "SourcePageTestSupport.h"
#include "setup/support/TreeHostDouble.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FileTreeHost.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "setup/sourcetree/FilesListCtrl.h"

namespace
{

using namespace FileTree;

const UINT kTreeId = 1073;
const UINT kListId = 1038;

class SourcePageWindowTree : public sourcetest::SourcePageTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SourcePageTest::SetUp());
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Root").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Root\\Empty").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Root\\Full").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Root\\Full\\Inner").c_str(), nullptr));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Root\\A rather long name.txt", "text"));
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                  CRect(0, 0, 300, 400), &m_host, kTreeId));
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA,
                                  CRect(300, 0, 620, 400), &m_host, kListId));
        // Five states, one image each.
        ASSERT_TRUE(m_checks.Create(16, 16, ILC_COLOR32 | ILC_MASK, 6, 0));
        m_checks.SetImageCount(6);
        m_treeHost.SetUpControls(m_tree, m_list, &m_checks, &m_checks);
        std::unique_ptr<FileNode> top = MakeFileNodeForPath((m_folder / L"Root").c_str(), CHECK_OFF);
        ASSERT_NE(top, nullptr);
        m_top = top.get();
        m_treeHost.SetTopNode(std::move(top));
        m_topItem = m_tree.InsertNode(TVI_ROOT, m_top);
        ASSERT_NE(m_topItem, nullptr);
        m_tree.SetRoot(m_top, m_topItem);
        m_tree.Expand(m_topItem, TVE_EXPAND);
        Pump();
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        m_tree.DestroyWindow();
        SourcePageTest::TearDown();
    }
    HTREEITEM Child(const wchar_t *name) const
    {
        for (HTREEITEM item = m_tree.GetChildItem(m_topItem); item != nullptr; item = m_tree.GetNextSiblingItem(item))
        {
            if (m_tree.GetItemText(item) == name)
                return item;
        }
        return nullptr;
    }
    int ChildrenMark(HTREEITEM item) const
    {
        return setuptest::TreeChildrenMark(m_tree, item);
    }
    // A point on the item's check box, found by the control's own hit test.
    bool CheckBoxPoint(HTREEITEM item, CPoint &point) const
    {
        CRect label;
        if (!m_tree.GetItemRect(item, &label, TRUE))
            return false;
        for (int x = 0; x < label.left; ++x)
        {
            UINT flags = 0;
            if (m_tree.HitTest(CPoint(x, label.CenterPoint().y), &flags) == item && (flags & TVHT_ONITEMSTATEICON) != 0)
            {
                point = CPoint(x, label.CenterPoint().y);
                return true;
            }
        }
        return false;
    }

    CFileTreeCtrl m_tree;
    CFilesListCtrl m_list;
    CImageList m_checks;
    setuptest::TreeHostDouble m_treeHost;
    BaseNode *m_top = nullptr;
    HTREEITEM m_topItem = nullptr;
};

TEST_F(SourcePageWindowTree, TheTreeShowsFoldersOnlyAndAnEmptyOneLosesItsButton)
{
    std::vector<CString> shown;
    for (HTREEITEM item = m_tree.GetChildItem(m_topItem); item != nullptr; item = m_tree.GetNextSiblingItem(item))
        shown.push_back(m_tree.GetItemText(item));
    EXPECT_EQ(shown, (std::vector<CString>{L"Empty", L"Full"})) << "the file is the list's, not the tree's";
    EXPECT_EQ(m_top->GetChildren().size(), 3u);

    HTREEITEM empty = Child(L"Empty");
    ASSERT_NE(empty, nullptr);
    m_tree.Expand(empty, TVE_EXPAND);
    EXPECT_EQ(ChildrenMark(empty), 0) << "an empty folder keeps a button that leads nowhere";
    HTREEITEM full = Child(L"Full");
    m_tree.Expand(full, TVE_EXPAND);
    EXPECT_EQ(ChildrenMark(full), 1);
    EXPECT_NE(m_tree.GetChildItem(full), nullptr);
}

TEST_F(SourcePageWindowTree, ACheckBoxClickTogglesThroughTheModelAndTellsTheHostOnce)
{
    HTREEITEM full = Child(L"Full");
    ASSERT_NE(full, nullptr);
    CPoint point;
    ASSERT_TRUE(CheckBoxPoint(full, point));
    m_tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    m_tree.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    BaseNode *node = m_tree.GetNode(full);
    EXPECT_EQ(m_treeHost.m_fired, std::vector<BaseNode *>{node});
    EXPECT_EQ(node->GetState(), CHECK_ON);
    EXPECT_EQ(m_top->GetState(), CHECK_PARTIAL);
    EXPECT_EQ(m_tree.GetItemState(full, TVIS_STATEIMAGEMASK) >> 12, static_cast<UINT>(CHECK_ON));
    EXPECT_EQ(m_tree.GetItemState(m_topItem, TVIS_STATEIMAGEMASK) >> 12, static_cast<UINT>(CHECK_PARTIAL))
        << "the ancestor's item shows it partly checked";
}

TEST_F(SourcePageWindowTree, TheFileListWritesNoMoreThanItsBufferHolds)
{
    m_treeHost.SetCurrentNode(m_top);
    ASSERT_EQ(m_list.GetItemCount(), 3);
    wchar_t buffer[16];
    wmemset(buffer, L'#', 16);
    NMLVDISPINFOW info = {};
    info.hdr.hwndFrom = m_list.GetSafeHwnd();
    info.hdr.idFrom = kListId;
    info.hdr.code = LVN_GETDISPINFOW;
    info.item.mask = LVIF_TEXT | LVIF_STATE;
    info.item.iItem = 2;
    info.item.pszText = buffer;
    info.item.cchTextMax = 8;
    m_host.SendMessage(WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::wstring(buffer), L"A rathe");
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(buffer[i], L'#') << "written past the buffer at " << i;
    EXPECT_EQ((info.item.state & LVIS_STATEIMAGEMASK) >> 12, static_cast<UINT>(CHECK_OFF + 1));
}

} // namespace
