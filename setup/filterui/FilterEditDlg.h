// CFilterEditDlg: edits one filter of a filter set (template 129): its categories in the category tree (1004),
// the file types and folders of the selected category in the type list (1005), and four image buttons: new
// category (1002), delete category (1003), add an entry (1006; with a sub-filter a menu of file types or a
// folder) and delete the selected entry (1007). Every change is written through to the filter model at once.
#pragma once
#include <windows.h>

#include "platform/windows/Dialog.h"
#include "setup/filterui/CategoryTreeCtrl.h"
#include "setup/filterui/FilterEditor.h"
#include "setup/filterui/FilterTypeListCtrl.h"
#include "ui/buttons/ThemeHelperST.h"
#include "ui/buttons/XPStyleButtonST.h"

class CFilterEditDlg : public CDialog
{
  public:
    static constexpr int kNoSubFilter = -1;

    // sets: the node whose children are the filters; the filter at filterIndex is selected, or its sub-filter at
    // subFilterIndex when one is given and the filter has it.
    CFilterEditDlg(FilterNode *sets, int filterIndex, int subFilterIndex = kNoSubFilter, CWnd *pParent = nullptr);
    ~CFilterEditDlg() override;

    BOOL OnInitDialog() override;

    CFilterEditor &GetEditor()
    {
        return m_editor;
    }
    CCategoryTreeCtrl &GetTree()
    {
        return m_tree;
    }
    CFilterTypeListCtrl &GetTypeList()
    {
        return m_typeList;
    }

  protected:
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnNewCategory();
    afx_msg void OnDeleteCategory();
    afx_msg void OnDeleteType();
    afx_msg void OnAddTypes();
    afx_msg void OnAddFolder();
    afx_msg void OnAddButton();
    DECLARE_MESSAGE_MAP()

  private:
    // A new selected entry under the selected sub-category, unless one with that value is there already (that
    // row is selected instead).
    void AddEntry(const CString &value, int type);

    FilterNode *m_pSets;
    int m_filterIndex;
    int m_subFilterIndex;
    NewUI::CThemeHelperST m_theme;
    NewUI::CXPStyleButtonST m_buttons[CFilterEditor::BUTTON_COUNT];
    CCategoryTreeCtrl m_tree;
    CFilterTypeListCtrl m_typeList;
    CFilterEditor m_editor;
};
