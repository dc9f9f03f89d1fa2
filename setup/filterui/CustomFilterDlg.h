// CCustomFilterDlg: the custom filter of the advanced source page (template 256). The filter sets in a check-box
// list that also hosts the custom row (a check box, 1128, and the extension text, 1091), and the choice whether
// the chosen files are taken or left out (radio group 1075: 0 include, 1 exclude). A click on a set's name edits
// that set (CFilterEditDlg); Reset (1130) runs the page's reset and starts the list over.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/controls/Controls.h"
#include "platform/drawing/ImageList.h"
#include "platform/windows/Dialog.h"
#include "setup/filterui/FilterListCtrl.h"

class CJobDef;

class CCustomFilterDlg : public CDialog
{
  public:
    // root: the node whose children are the filter sets listed. jobDef: the job being set up (not changed here).
    CCustomFilterDlg(FilterNode *root, CJobDef *jobDef, BOOL excludeMode, CWnd *pParent, std::function<void()> reset);
    ~CCustomFilterDlg() override;

    BOOL OnInitDialog() override;

    // The custom extension text as the job stores it: split at ";", ",", blank, "*" and ".", each piece as "." +
    // piece + ";" ("doc, txt" gives ".doc;.txt;").
    static CString ConvertCustomText(const CString &text);

    CJobDef *GetJobDef() const
    {
        return m_pJobDef;
    }
    CFilterListCtrl &GetList()
    {
        return m_list;
    }

    // Radio group 1075: 0 the chosen files are taken, 1 they are left out.
    int m_excludeMode;
    // After OK: the converted custom text when its box was ticked, else empty.
    CString m_strCustomText;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    void OnOK() override;
    afx_msg void OnReset();
    afx_msg LRESULT OnLabelClicked(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    void FillList();

    FilterNode *m_pRoot;
    CJobDef *m_pJobDef;
    std::function<void()> m_reset;
    CFilterListCtrl m_list;
    CButton m_customCheck;
    CEdit m_customText;
    CImageList m_rowHeight;
};
