// FileTree::CFilesListCtrl: the file list beside the source tree, a virtual report list of the host's current
// node's children (name, size, type and time) with their check states as state images (index = check state + 1).
// A check box toggles its child through the model and tells the host; with the check boxes off (a two-way job's
// page) the states only show.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/Controls.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

class CFileTreeHost;

class CFilesListCtrl : public CListCtrl
{
  public:
    CFilesListCtrl();
    ~CFilesListCtrl() override;

    void SetHost(CFileTreeHost *host)
    {
        m_host = host;
    }
    // The four columns (strings 10004 to 10007), centred.
    void InsertColumns();
    // As many items as the current node has children (none without a current node); repaints.
    void UpdateItemCount();
    // The child shown at index; null beyond the list or without a current node.
    BaseNode *GetItemNode(int index) const;
    void SetCheckBoxesActive(BOOL active)
    {
        m_checkBoxesActive = active;
    }
    BOOL AreCheckBoxesActive() const
    {
        return m_checkBoxesActive;
    }

  protected:
    afx_msg BOOL OnGetDispInfo(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnDoubleClick(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

  private:
    // The item under point, -1 for none; onCheckBox when the point is on its check box.
    int HitItem(CPoint point, bool &onCheckBox) const;

    CFileTreeHost *m_host;
    BOOL m_checkBoxesActive;
    int m_pressedIndex;
};

} // namespace FileTree
