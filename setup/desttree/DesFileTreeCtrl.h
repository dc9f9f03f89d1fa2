// DesFileTree::CDesFileTreeCtrl: the destination tree over DesFileTree nodes (DesTreeNode.h). Each item shows one
// node (its item data); children are inserted when an item is first opened. Decoration rows are drawn by the
// control itself and can be neither clicked nor selected; a device volume opens through the page instead of
// expanding. Selection changes go to the host.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/Controls.h"
#include "setup/desttree/DesTreeNode.h"

namespace DesFileTree
{

class DesTreeHost;

// The line of a separator row: from the left colour to white.
constexpr COLORREF kSeparatorLeft = RGB(68, 152, 255);
// Text of a backup agent's row while agents cannot be chosen.
constexpr COLORREF kAgentText = 0x808080;

class CDesFileTreeCtrl : public CTreeCtrl
{
  public:
    CDesFileTreeCtrl() = default;

    void SetHost(DesTreeHost *host)
    {
        m_host = host;
    }
    // Inserts an item for the node under parent after insertAfter; null when the control refuses.
    HTREEITEM InsertNode(HTREEITEM parent, DesBaseNode *node, HTREEITEM insertAfter = TVI_LAST);
    DesBaseNode *GetNode(HTREEITEM item) const;
    // Selects the node's item, opening its ancestors' items from the top down; FALSE (nothing selected) when an
    // item on the way is missing.
    BOOL SelectNode(DesBaseNode *node);
    // The item of the node among parent's children (TVI_ROOT: the top level); null when there is none.
    HTREEITEM FindChildItem(HTREEITEM parent, const DesBaseNode *node) const;
    // Inserts the node's children under its item once (the item has none yet); an item left without children
    // loses its expand button. The number of items inserted.
    int InsertChildrenOnce(HTREEITEM item);

    // Rows of kind 4 are drawn grey and ignore the mouse while this is clear (nothing of this build sets it).
    bool m_allowAgents = false;

  protected:
    afx_msg BOOL OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnSelChanged(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnCustomDraw(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

  private:
    // The rows the mouse leaves alone: decoration rows, and agents while they cannot be chosen.
    bool IsInert(const DesBaseNode *node) const;
    DesBaseNode *NodeAt(CPoint point) const;
    void DrawCustomRow(HDC dc, const RECT &row, const DesCustomNode &node) const;

    DesTreeHost *m_host = nullptr;
};

} // namespace DesFileTree
