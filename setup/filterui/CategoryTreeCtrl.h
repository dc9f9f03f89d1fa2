// CCategoryTreeCtrl: the category tree of the filter edit dialog. A filter set's filters are its root items,
// their sub-categories below them; each item carries its node and each node records its item. Items can only be
// expanded: a request to collapse is refused. A change of the selection selects the new item's node in the
// editor.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "setup/filters/FilterNode.h"

class CFilterEditor;

class CCategoryTreeCtrl : public CTreeCtrl
{
  public:
    CCategoryTreeCtrl();
    ~CCategoryTreeCtrl() override;

    void SetEditor(CFilterEditor *editor)
    {
        m_editor = editor;
    }
    // Adds the node last under parent (TVI_ROOT for a root item) with its text and itself as item data, with a
    // child button unless it is of kind 2 or 3, and records the item in the node; a node of another kind brings
    // its children along. Returns the item (null when it could not be inserted).
    HTREEITEM InsertNode(FilterNode *node, HTREEITEM parent);
    FilterNode *GetNode(HTREEITEM item) const;

  protected:
    afx_msg BOOL OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg BOOL OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

  private:
    CFilterEditor *m_editor;
};
