// CFileTreeHost: the host of the source tree and its file list (the advanced source page's category tree derives
// from it). The controls report to it: it holds the current node, fills category nodes on its worker, selects a
// node's path and opens protected device volumes. Here live the host's set-up of the two controls, the device
// volumes it puts under a root and the reload of its tree after drives came or went.
//
// The host owns the topmost node of its tree (SetTopNode) and follows that tree's check states: every state a
// node of the tree writes updates the node's tree items. Another host's tree, and a tree whose host is gone, hear
// nothing of it. The controls' windows must be gone before their host is: they show its nodes and call it.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/drawing/ImageList.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

class CFileTreeCtrl;
class CFilesListCtrl;

class CFileTreeHost
{
  public:
    CFileTreeHost();
    // The top node goes with the host; the controls are left alone (they may be gone already).
    virtual ~CFileTreeHost();
    CFileTreeHost(const CFileTreeHost &) = delete;
    CFileTreeHost &operator=(const CFileTreeHost &) = delete;

    // --- What the controls ask of the host ---
    virtual BaseNode *GetCurrentNode() const = 0;
    // The node whose children the list shows.
    virtual void SetCurrentNode(BaseNode *node) = 0;
    // Starts filling a node without children on the host's worker; the worker's thread, which the host keeps
    // and the controls wait on (null: nothing to wait for).
    virtual HANDLE StartFill(BaseNode *node) = 0;
    // The user changed the node's check.
    virtual void FireItemCallback(BaseNode *node) = 0;
    // Selects and opens the node's items in the tree.
    virtual void SelectPath(BaseNode *node) = 0;
    // A protected device volume was opened in the tree.
    virtual void OpenDeviceRecord(BaseNode *node) = 0;

    // --- Set-up and reload ---
    // Makes this object the host of both controls and sets them up: the tree themed like the Explorer, double
    // buffered, its expand buttons fading, the shell's small icons and the check images (state index = check
    // state); the list as a report of four columns with the shell's small icons and the list's check images
    // (state index = check state + 1). Either image list may be null.
    void SetUpControls(CFileTreeCtrl &tree, CFilesListCtrl &list, CImageList *treeChecks, CImageList *listChecks);
    // Under root: each removable or fixed drive that a device record names as the opened volume becomes a drive
    // node, and each one a record names as its device (while the agent does not report it open) a device-volume
    // node; the first record naming a drive decides for it.
    void AddDeviceVolumes(BaseNode &root);
    // After drives came or went: the root's children are built anew (its device volumes, then what it lists of its
    // own when it opens), its item expanded and selected and made the current node, the list refreshed. Nothing
    // happens while no root is set.
    void Reload();

    // The node the reload and the device volumes start from (not owned); none until set.
    void SetReloadRoot(BaseNode *root)
    {
        m_reloadRoot = root;
    }
    BaseNode *GetReloadRoot() const
    {
        return m_reloadRoot;
    }
    // The topmost node of the host's tree: owned from now on, its check states followed. A node held before goes.
    void SetTopNode(std::unique_ptr<BaseNode> top);
    BaseNode *GetTopNode() const
    {
        return m_top.get();
    }

    CFileTreeCtrl *GetTree() const
    {
        return m_tree;
    }
    CFilesListCtrl *GetList() const
    {
        return m_list;
    }

  protected:
    // The reload starts over: the host forgets what it looked up of the nodes it had.
    virtual void ForgetLookups()
    {
    }

  private:
    static void OnNodeChanged(BaseNode *node, void *context);

    CFileTreeCtrl *m_tree;
    CFilesListCtrl *m_list;
    BaseNode *m_reloadRoot;
    std::unique_ptr<BaseNode> m_top;
};

} // namespace FileTree
