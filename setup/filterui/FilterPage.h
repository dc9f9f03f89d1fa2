// CFilterPage: one filter set of the basic source page (template 487): the set's filters in a check-box list,
// the check box that turns the whole set on (1215) and a summary of the files the chosen filters take (1271),
// recounted every 500 ms. Each list item's entries are its tooltip.
//
// The figures come from a folder size scanner: the one the owner hands in (its per-extension figures, as far as
// its scan has got), or, without one, a scanner of the page's own over the filters' folders for each tick.
// A page given a scanner leaves the folder entries out: the owner's scan thread reads that scanner's folder
// list, which the page must not change.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "engine/program/FolderSizeScanner.h"
#include "platform/controls/ToolTipCtrl.h"
#include "platform/windows/Dialog.h"
#include "setup/filterui/FilterListCtrl.h"

class CDialogLayout;

class CFilterPage : public CDialog
{
  public:
    static constexpr UINT_PTR kRefreshTimer = 1000;
    static constexpr UINT kRefreshMs = 500;

    CFilterPage();
    ~CFilterPage() override;

    // Keeps the set at index among the children of sets, copies its name and creates the page from template 487
    // as a child of parent. FALSE when the page could not be created.
    BOOL SelectFilterSet(FilterNode *sets, int index, CWnd *parent);
    // The sets were rebuilt: takes the set at the same index again, sets the check box from it and fills the list
    // anew (its items held the old nodes).
    void SetFilterList(FilterNode *sets);
    // Keeps the scanner (null: none; never destroyed by the page) and restarts the 500 ms recount.
    void StartRefresh(CFolderSizeScanner *scanner);
    // The background image, drawn stretched over the page; a file that does not load leaves none.
    void LoadBackground(LPCWSTR path);
    // One recount, as a tick of the refresh timer does it.
    void RecountFigures();

    FilterNode *GetFilterSet() const
    {
        return m_pSet;
    }
    UINT GetFileCount() const
    {
        return m_fileCount;
    }
    ULONGLONG GetTotalSize() const
    {
        return m_totalSize;
    }
    const CString &GetSummary() const
    {
        return m_summary;
    }
    CFilterListCtrl &GetList()
    {
        return m_list;
    }

    // String 578 with the number of files, every "0.00 MB" taken out, then the size text of the bytes.
    static CString FormatSummary(UINT files, ULONGLONG bytes);

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG *pMsg) override;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    // A page inside another window: Enter and Escape do not end it.
    void OnOK() override;
    void OnCancel() override;

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg LRESULT OnFilterToggled(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSetSwitchClicked();
    DECLARE_MESSAGE_MAP()

  private:
    void TakeSet(FilterNode *sets);
    void RefreshList();
    void UpdateSummary();

    FilterNode *m_pSets;
    int m_index;
    FilterNode *m_pSet;
    CString m_name;
    CFilterListCtrl m_list;
    CToolTipCtrl m_toolTip;
    UINT_PTR m_toolCount;
    std::unique_ptr<Gdiplus::Image> m_background;
    UINT m_fileCount;
    ULONGLONG m_totalSize;
    CFolderSizeScanner *m_pScanner;
    CString m_summary;
    std::unique_ptr<CDialogLayout> m_layout;
};
