// The destination tree and its group list in a window of the test's own, over the drives F: (fixed) and E:
// (removable): the groups it fills, what the device agent's records make of a drive, the rows that cannot be
// chosen, folders filled once, a new folder chosen, and the tree rebuilt after a drive went.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "DestinationTestSupport.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/desttree/DesFileTreeCtrl.h"
#include "setup/desttree/DesTreeHost.h"
#include "setup/widgets/SizePieStatic.h"

namespace
{

using namespace DesFileTree;

class PageDouble : public DesTreePage
{
  public:
    void OnDestinationChosen(const CString &path) override
    {
        m_chosen.push_back(path);
    }
    void ChooseDeviceVolume(const ZorbitRecord &record) override
    {
        m_volumes.push_back(record.identifier);
    }
    std::vector<CString> m_chosen;
    std::vector<DWORD> m_volumes;
};

// The tree the node-destroyed hook looks at, and what it saw.
CTreeCtrl *g_watchedTree = nullptr;
int g_destroyed = 0;
int g_destroyedWhileShown = 0;

void OnNodeDestroyed(const DesBaseNode *)
{
    ++g_destroyed;
    if (g_watchedTree != nullptr && g_watchedTree->GetSafeHwnd() != nullptr && g_watchedTree->GetCount() != 0)
        ++g_destroyedWhileShown;
}

class DestinationTreeWindow : public desttest::DestinationTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(DestinationTest::SetUp());
        ASSERT_TRUE(m_groupList.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_SHOWSELALWAYS, CRect(0, 0, 340, 110),
                                       &m_host, IDC_DEST_GROUP_LIST));
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_SHOWSELALWAYS,
                                  CRect(0, 110, 340, 420), &m_host, IDC_DEST_TREE));
        ASSERT_TRUE(m_pie.Create(L"", WS_CHILD | WS_VISIBLE, CRect(350, 0, 750, 300), &m_host, IDC_DEST_PIE));
        ASSERT_TRUE(
            m_newFolder.Create(L"New", WS_CHILD | WS_VISIBLE, CRect(350, 320, 420, 345), &m_host, IDC_DEST_NEW_FOLDER));
        m_newFolder.EnableWindow(FALSE);
    }
    void TearDown() override
    {
        m_treeHost.Clear();
        m_tree.DestroyWindow();
        DestinationTest::TearDown();
    }
    void Fill()
    {
        m_treeHost.Attach(m_tree, m_groupList, &m_pie, &m_newFolder, &m_page);
        m_treeHost.Fill();
        Pump();
    }
    HTREEITEM ItemOf(const DesBaseNode *node) const
    {
        for (HTREEITEM item = m_tree.GetRootItem(); item != nullptr; item = m_tree.GetNextVisibleItem(item))
        {
            if (m_tree.GetNode(item) == node)
                return item;
        }
        return nullptr;
    }
    // Presses or double-clicks the middle of the item's text.
    void Click(HTREEITEM item, UINT message)
    {
        CRect text;
        ASSERT_TRUE(m_tree.GetItemRect(item, &text, TRUE));
        m_tree.SendMessage(message, MK_LBUTTON, MAKELPARAM(text.CenterPoint().x, text.CenterPoint().y));
        m_tree.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(text.CenterPoint().x, text.CenterPoint().y));
        Pump();
    }
    DesBaseNode *Drive(int group, wchar_t letter)
    {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        return NodeOf(m_treeHost.GetGroupNodes(group), root);
    }

    CTreeCtrl m_groupList;
    CDesFileTreeCtrl m_tree;
    CSizePieStatic m_pie;
    CButton m_newFolder;
    PageDouble m_page;
    DesTreeHost m_treeHost;
};

TEST_F(DestinationTreeWindow, ADevicesRecordsMakeTheirNodesAndOnlyAVolumeOpensOnADoubleClick)
{
    // E: is the second volume of a device on G:; F: is a device whose volume is not open.
    m_records = {Record("Second", L'G', L'E'), Record("Closed", L'F', L'Y')};
    Fill();
    const NodeList &devices = m_treeHost.GetGroupNodes(GROUP_DEVICES);
    DesBaseNode *second = NodeOf(devices, L"E:\\");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetKind(), KIND_DEVICE);
    EXPECT_EQ(second->GetTypeCode(), TYPE_FILE);
    EXPECT_EQ(Drive(GROUP_REMOVABLE, L'E'), nullptr);
    EXPECT_NE(Drive(GROUP_FIXED, L'F'), nullptr) << "a closed device's drive stays a drive";
    ASSERT_EQ(devices.size(), 3u) << "the caption, the second volume's drive and the closed volume";
    DesBaseNode *volume = devices.back().get();
    EXPECT_EQ(volume->GetTypeCode(), TYPE_ZORBIT);
    EXPECT_EQ(volume->GetDisplayText(), L"Closed");

    Click(ItemOf(second), WM_LBUTTONDBLCLK);
    EXPECT_TRUE(m_page.m_volumes.empty()) << "a second volume's drive holds no record to open";
    Click(ItemOf(volume), WM_LBUTTONDBLCLK);
    EXPECT_EQ(m_page.m_volumes, std::vector<DWORD>{m_records[1].identifier});

    // Once the agent calls that volume open, the rebuilt tree offers it no more.
    m_openAnswers[m_records[1].identifier] = 1;
    m_treeHost.Refresh();
    EXPECT_EQ(m_treeHost.GetGroupNodes(GROUP_DEVICES).size(), 2u);
}

TEST_F(DestinationTreeWindow, TheGroupsShowTheirDrivesAndNeitherDecorationRowsNorGroupFourCanBeChosen)
{
    Fill();
    DesBaseNode *fixed = Drive(GROUP_FIXED, L'F');
    DesBaseNode *removable = Drive(GROUP_REMOVABLE, L'E');
    ASSERT_TRUE(fixed != nullptr && removable != nullptr);
    EXPECT_EQ(fixed->GetKind(), KIND_FIXED);
    EXPECT_EQ(removable->GetKind(), KIND_REMOVABLE);
    ASSERT_EQ(m_treeHost.GetGroupNodes(GROUP_DEVICES).size(), 1u) << "no records: the devices' caption alone";
    std::vector<CString> groups;
    for (UINT id : {IDS_DEST_GROUP_ALL, IDS_DEST_GROUP_FIXED, IDS_DEST_GROUP_REMOVABLE, IDS_DEST_GROUP_NETWORK,
                    IDS_DEST_GROUP_AGENTS, IDS_DEST_GROUP_DEVICES})
        groups.push_back(AfxLoadText(id));
    EXPECT_EQ(ItemTexts(m_groupList, TVI_ROOT), groups);
    HTREEITEM agents = m_groupList.GetRootItem();
    for (int i = 0; i < GROUP_AGENTS; ++i)
        agents = m_groupList.GetNextSiblingItem(agents);
    EXPECT_EQ(m_groupList.GetItemData(agents), static_cast<DWORD_PTR>(GROUP_AGENTS));
    EXPECT_EQ(m_groupList.GetSelectedItem(), m_groupList.GetRootItem());
    EXPECT_TRUE(ItemOf(fixed) != nullptr && ItemOf(removable) != nullptr) << "every group shows at first";

    ASSERT_TRUE(m_tree.SelectNode(fixed));
    Pump();
    EXPECT_EQ(m_treeHost.GetSelectedNode(), fixed);
    EXPECT_TRUE(m_newFolder.IsWindowEnabled());
    EXPECT_EQ(m_page.m_chosen, std::vector<CString>{L"F:\\"});

    // A caption and the separator under it: neither a click nor a selection moves the choice.
    HTREEITEM caption = m_tree.GetRootItem();
    ASSERT_EQ(m_tree.GetNode(caption)->GetKind(), KIND_CUSTOM);
    HTREEITEM separator = m_tree.GetNextSiblingItem(caption);
    for (HTREEITEM row : {caption, separator})
    {
        Click(row, WM_LBUTTONDOWN);
        m_tree.SelectItem(row);
        Pump();
        EXPECT_EQ(m_tree.GetNode(m_tree.GetSelectedItem()), fixed);
        EXPECT_EQ(m_treeHost.GetSelectedNode(), fixed);
    }

    m_treeHost.ShowGroup(GROUP_FIXED);
    EXPECT_EQ(m_treeHost.GetSelectedNode(), fixed) << "the fixed group shows it";
    m_groupList.SelectItem(agents);
    m_treeHost.OnGroupListChanged();
    EXPECT_EQ(m_tree.GetCount(), 0u);
    EXPECT_EQ(m_treeHost.GetSelectedNode(), nullptr);
    EXPECT_FALSE(m_newFolder.IsWindowEnabled());
}

TEST_F(DestinationTreeWindow, AFolderIsListedOnceUntilItsChildrenGoAndAnEmptyOneLosesItsButton)
{
    Fill();
    HTREEITEM drive = ItemOf(Drive(GROUP_REMOVABLE, L'E'));
    ASSERT_NE(drive, nullptr);
    m_tree.Expand(drive, TVE_EXPAND);
    EXPECT_EQ(ItemTexts(m_tree, drive), std::vector<CString>{L"Backup"});
    ASSERT_TRUE(::CreateDirectoryW((m_removableFolder / L"Later").c_str(), nullptr));
    m_tree.Expand(drive, TVE_COLLAPSE);
    m_tree.Expand(drive, TVE_EXPAND);
    EXPECT_EQ(ItemTexts(m_tree, drive), std::vector<CString>{L"Backup"}) << "listed again without DeleteChildren";
    m_tree.Expand(drive, TVE_COLLAPSE | TVE_COLLAPSERESET);
    m_tree.GetNode(drive)->DeleteChildren();
    m_tree.Expand(drive, TVE_EXPAND);
    EXPECT_EQ(ItemTexts(m_tree, drive), (std::vector<CString>{L"Backup", L"Later"}));

    HTREEITEM backup = m_tree.GetChildItem(drive);
    m_tree.Expand(backup, TVE_EXPAND);
    EXPECT_EQ(setuptest::TreeChildrenMark(m_tree, backup), 0)
        << "a folder without folders keeps a button that leads nowhere";
}

TEST_F(DestinationTreeWindow, ANewFolderIsMadeAndChosen)
{
    Fill();
    DesBaseNode *drive = Drive(GROUP_REMOVABLE, L'E');
    ASSERT_TRUE(m_tree.SelectNode(drive));
    ASSERT_TRUE(m_treeHost.CreateFolder(L"New Folder"));
    EXPECT_TRUE(enginetest::Exists(m_removableFolder / L"New Folder"));
    ASSERT_NE(m_treeHost.GetSelectedNode(), nullptr);
    EXPECT_EQ(m_treeHost.GetSelectedNode()->GetPath(), L"E:\\New Folder");
    EXPECT_EQ(m_tree.GetItemText(m_tree.GetSelectedItem()), L"New Folder");
    // A name the file system refuses changes nothing.
    DesBaseNode *chosen = m_treeHost.GetSelectedNode();
    EXPECT_FALSE(m_treeHost.CreateFolder(L"bad|name"));
    EXPECT_EQ(m_treeHost.GetSelectedNode(), chosen);
}

TEST_F(DestinationTreeWindow, AfterADriveWentTheChosenFolderIsChosenAgainAndNoNodeGoesWhileShown)
{
    Fill();
    DesBaseNode *fixed = Drive(GROUP_FIXED, L'F');
    ASSERT_TRUE(m_tree.SelectNode(fixed));
    m_tree.Expand(ItemOf(fixed), TVE_EXPAND);
    m_tree.SelectItem(ItemOf(NodeOf(fixed->GetChildren(), L"F:\\Data")));
    ASSERT_EQ(m_treeHost.GetSelectedNode()->GetPath(), L"F:\\Data");

    ASSERT_TRUE(m_removable->Remove());
    g_watchedTree = &m_tree;
    g_destroyed = g_destroyedWhileShown = 0;
    {
        SeamOverride<PFN_NODE_DESTROYED> hook(g_pfnNodeDestroyed, &OnNodeDestroyed);
        m_treeHost.Refresh();
    }
    g_watchedTree = nullptr;
    EXPECT_GT(g_destroyed, 0);
    EXPECT_EQ(g_destroyedWhileShown, 0) << "nodes went while the tree still showed them";
    EXPECT_EQ(Drive(GROUP_REMOVABLE, L'E'), nullptr);
    ASSERT_NE(m_treeHost.GetSelectedNode(), nullptr);
    EXPECT_EQ(m_treeHost.GetSelectedNode()->GetPath(), L"F:\\Data");
    EXPECT_EQ(m_tree.GetItemText(m_tree.GetSelectedItem()), L"Data");
    EXPECT_EQ(m_treeHost.GetShownGroup(), GROUP_ALL);
}

} // namespace
