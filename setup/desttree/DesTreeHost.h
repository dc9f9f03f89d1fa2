// DesFileTree::DesTreeHost: the destination page's tree model. It owns the nodes, sorts this computer's places into
// four groups (fixed drives, removable drives, network, protected devices), and drives the page's two trees: the
// group list, whose entries choose what the destination tree shows (every group, one group, or the agents' group,
// which holds nothing here), and the destination tree itself. It tells the page of the chosen destination and
// asks it to open a device volume.
//
// The files of the class: DesTreeHost.cpp (filling, groups, selection, new folders, refresh) and
// DesTreeLookup.cpp (finding a node by its path).
//
// The controls must outlive the host's use of them: the page empties the trees (Clear) before its windows go.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "engine/snapshot/ZorbitInfo.h"
#include "platform/controls/Controls.h"
#include "setup/desttree/DesFileTreeCtrl.h"
#include "setup/desttree/DesTreeNode.h"

class CSizePieStatic;

namespace DesFileTree
{

// What the host asks of its page.
class DesTreePage
{
  public:
    // A node with a path was chosen: the page sets its header sentence.
    virtual void OnDestinationChosen(const CString &path) = 0;
    // A device volume was opened in the tree.
    virtual void ChooseDeviceVolume(const ZorbitRecord &record) = 0;

  protected:
    DesTreePage() = default;
    ~DesTreePage() = default;
};

// The entries of the group list, its item data.
enum Group : int
{
    GROUP_ALL = 0,
    GROUP_FIXED = 1,
    GROUP_REMOVABLE = 2,
    GROUP_NETWORK = 3,
    GROUP_AGENTS = 4,
    GROUP_DEVICES = 5,
    GROUP_COUNT = 6,
};

// True for a network item the tree never shows: the continuous-copy list file, whatever its case.
bool IsHiddenNetworkItem(const CString &displayName);
// The node at the path, searched in the nodes in order and then among their children (filled on demand): a node
// matches when its path is the path, or the path lies below it ("C:\Data" holds "C:\Data\x", not "C:\Data2").
// Decoration rows and nodes without a path never match. Null when none does.
DesBaseNode *FindNodeByPath(const NodeList &nodes, const CString &path);
// The path's server node below the network places root: through the whole network, the provider and the
// server's workgroup when the root has them, else among the root's children. Null when there is none.
DesBaseNode *FindServerNode(DesBaseNode &placesRoot, const CString &server);

class DesTreeHost
{
  public:
    DesTreeHost();
    // Destroys every node; the controls are left alone (they may be gone already).
    ~DesTreeHost();
    DesTreeHost(const DesTreeHost &) = delete;
    DesTreeHost &operator=(const DesTreeHost &) = delete;

    // The controls and the page the host drives (pie, button and page may be null), and the look of both trees.
    void Attach(CDesFileTreeCtrl &tree, CTreeCtrl &groupList, CSizePieStatic *pie, CWnd *newFolderButton,
                DesTreePage *page);
    // Once, when the page opens: the groups of this computer's places and the group list, which shows every group.
    void Fill();
    // The destination tree shows the group (GROUP_ALL: all of them); the chosen node stays chosen when it shows.
    void ShowGroup(int group);
    // The group of the group list's selected entry (GROUP_ALL when none is selected).
    int GetListedGroup() const;
    // The group list's selection moved: its group shows.
    void OnGroupListChanged();
    // The destination tree's selection moved to the node.
    void OnNodeSelected(DesBaseNode *node);
    // A device volume node was opened: the page chooses it.
    void ChooseDeviceVolume(const DesZorbitNode &node);
    // Makes the folder under the chosen node and chooses it. FALSE (the thread's last error set, nothing changed)
    // when there is no chosen node or the folder could not be made.
    BOOL CreateFolder(const CString &name);
    // After drives came or went: the drives and devices anew, the network kept, the chosen path chosen again.
    void Refresh();
    // Empties the destination tree, then destroys every node.
    void Clear();

    DesBaseNode *GetSelectedNode() const
    {
        return m_selected;
    }
    // The nodes of a group: GROUP_FIXED, GROUP_REMOVABLE, GROUP_NETWORK or GROUP_DEVICES.
    NodeList &GetGroupNodes(int group);
    int GetShownGroup() const
    {
        return m_shownGroup;
    }

  private:
    void LoadDeviceRecords();
    void AddCaptions();
    // This computer's drives and, unless withoutNetwork, its network items.
    void AddComputerItems(bool withoutNetwork);
    void InsertGroup(NodeList &nodes);
    void InsertSpacer();
    // The node at the path in the drive groups, or below the network places root for a network path.
    DesBaseNode *LookUpPath(const CString &path);
    void EnableNewFolder(bool enable);
    // Removes every item of the destination tree; the selection changes it causes are the host's own.
    void EmptyTree();

    CDesFileTreeCtrl *m_tree = nullptr;
    CTreeCtrl *m_groupList = nullptr;
    CSizePieStatic *m_pie = nullptr;
    CWnd *m_newFolderButton = nullptr;
    DesTreePage *m_page = nullptr;
    NodeList m_fixed;
    NodeList m_removable;
    NodeList m_network;
    NodeList m_devices;
    DesCustomNode m_spacer;
    DesCustomNode m_separator;
    DesBaseNode *m_selected = nullptr;
    std::vector<ZorbitRecord> m_records;
    int m_shownGroup = GROUP_ALL;
    // Set while the tree is emptied and filled: its selection changes then are the host's own.
    bool m_rebuilding = false;
};

} // namespace DesFileTree
