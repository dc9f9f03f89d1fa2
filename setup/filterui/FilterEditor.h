// CFilterEditor: what binds the filter edit dialog's category tree, type list and four buttons, and holds the
// selected node. Selecting a category fills the type list with its entries and sets the buttons: for a
// sub-category the new-category, delete-category (unless the set has a single filter) and add buttons are on and
// delete-entry waits for a selected row; for a filter of the set, or nothing, only new-category is on.
#pragma once
#include <windows.h>

#include "setup/filters/FilterNode.h"

class CWnd;
class CCategoryTreeCtrl;
class CFilterTypeListCtrl;

class CFilterEditor
{
  public:
    enum Button
    {
        BUTTON_NEW_CATEGORY = 0,    // 1002
        BUTTON_DELETE_CATEGORY = 1, // 1003
        BUTTON_ADD_TYPE = 2,        // 1006
        BUTTON_DELETE_TYPE = 3,     // 1007
        BUTTON_COUNT = 4,
    };

    CFilterEditor();

    // sets: the node whose children are the filters of the set (the tree's root items).
    void Bind(FilterNode *sets, CCategoryTreeCtrl *tree, CFilterTypeListCtrl *list, CWnd *const buttons[BUTTON_COUNT]);
    // The node becomes the selected one; the type list shows its entries when it is of kind 2.
    void SelectNode(FilterNode *node);
    FilterNode *GetSelectedNode() const
    {
        return m_selected;
    }
    // A row of the type list was selected (or lost its selection): the delete-entry button follows.
    void OnRowSelected(bool selected);

  private:
    void EnableButton(Button button, bool enable);

    FilterNode *m_sets;
    FilterNode *m_selected;
    CCategoryTreeCtrl *m_tree;
    CFilterTypeListCtrl *m_list;
    CWnd *m_buttons[BUTTON_COUNT];
};
