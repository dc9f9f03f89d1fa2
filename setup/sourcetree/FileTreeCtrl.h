// FileTree::CFileTreeCtrl: the tree of places with check boxes over FileTree nodes (FileTreeNode.h). Each item
// shows one node (its item data) with the node's icons, its check state as the state image, hidden items cut and
// shared items or links with an overlay. Children are inserted when an item is first opened; files are never
// inserted (the file list shows them). A check box toggles its node through the model and tells the host.
//
// The check boxes are the state images alone: the control's own check-box style would toggle its images by
// itself, out of step with the model.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/Controls.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

class CFileTreeHost;

// The program's check cursor (cursor 10002), shown over a check box.
HCURSOR CheckCursor();
// Where the mouse cursor is, in the window's client coordinates.
CPoint CursorInClient(const CWnd &window);
// The background of the tree and the list.
constexpr COLORREF kFileTreeBackground = 0xFFFFFF;

class CFileTreeCtrl : public CTreeCtrl
{
  public:
    CFileTreeCtrl();
    ~CFileTreeCtrl() override;

    void SetHost(CFileTreeHost *host)
    {
        m_host = host;
    }
    // Keeps the root node and selects its item.
    void SetRoot(BaseNode *root, HTREEITEM item);
    BaseNode *GetRoot() const
    {
        return m_root;
    }
    // Inserts the node at the end of parent's items and records the item in the node; null for a file or a node
    // kept out of the tree (and when the control refuses).
    HTREEITEM InsertNode(HTREEITEM parent, BaseNode *node);
    // The node of an item; null for none.
    BaseNode *GetNode(HTREEITEM item) const;
    // Gives the item its expand button, or takes it away.
    void SetHasChildrenMark(HTREEITEM item, BOOL hasChildren);
    // Every item of the node shows the node's check state again.
    void UpdateCheckImages(BaseNode *node);
    // Inserts the node's children under its item when the item has none yet (filling the node first); an item
    // that then has no children loses its expand button. The number of items inserted.
    int InsertChildrenOnce(HTREEITEM item, BaseNode *node);

  protected:
    afx_msg BOOL OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnCustomDraw(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

  private:
    // The item under point and whether the point is on its check box.
    HTREEITEM HitItem(CPoint point, bool &onCheckBox, bool &onLabel) const;
    // A node without children is filled on the host's worker; the control waits for it.
    void FillEmptyNode(BaseNode *node);
    bool IsOnCheckBoxOfCheckable(CPoint point) const;

    CFileTreeHost *m_host;
    BaseNode *m_root;
    HTREEITEM m_pressedItem;
};

} // namespace FileTree
