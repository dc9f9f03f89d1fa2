// CSourceBasicPage: the basic page of the source step (template 486): the removable and fixed drives of this
// computer with check boxes, and four category boxes (filter pages over the job's filter file) that show how much
// their chosen files take.
//
// Its filter file: on the restore page the job's own one; elsewhere the data folder's default filter file while the
// main window's use-basic-filter flag is set, else the job's own; a file that is missing or cannot be read gives way
// to the default filter file. Saving in the backup view makes the job back up the checked drives (searched for the
// chosen kinds of files) and the chosen folders whole; in the restore view it makes the stored places the job's
// sources again.
//
// The files of the class: SourceBasicPage.cpp (set-up, loading and painting) and SourceBasicPageSave.cpp (saving).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "engine/program/FolderSizeScanner.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/drawing/ImageList.h"
#include "platform/text/Collections.h"
#include "setup/filterui/FilterPage.h"
#include "setup/filters/FilterNode.h"
#include "setup/filters/FiltersMedia.h"
#include "setup/layout/DialogLayout.h"
#include "setup/wizard/PageBase.h"

class CSourceBasicPage : public CPageBase
{
  public:
    static constexpr UINT IDD = IDD_SOURCE_BASIC_PAGE;
    static constexpr int kBoxCount = 4;

    // wizardFlag 1: a page of the new-job wizard.
    explicit CSourceBasicPage(int wizardFlag, CWnd *pParent = nullptr);
    ~CSourceBasicPage() override;

    BOOL OnInitDialog() override;
    // Checks the drives whose roots are sources of the job (case ignored), unchecks the others. TRUE.
    BOOL LoadPage() override;
    // FALSE, with the reason shown, when nothing is chosen or (in the main window's backup view) the chosen files
    // do not fit on the program's drive; the job is then unchanged.
    BOOL SavePage() override;
    // Reloads the filter file into the boxes, starts their size scan anew and loads the page.
    virtual BOOL LoadFilters();
    // Writes the filter tree into the job's own filter file; FALSE without a job or when the file was not written.
    BOOL SaveFilters();

    int GetDriveCount() const
    {
        return static_cast<int>(m_drivePaths.GetSize());
    }
    const CString &GetDrivePath(int index) const
    {
        return m_drivePaths[index];
    }
    BOOL IsDriveChecked(int index) const;
    void SetDriveChecked(int index, BOOL checked);
    // The drive list's item of a root path (case ignored); -1 when the list has none.
    int FindDrive(const CString &root) const;
    CFilterPage &GetCategoryBox(int index)
    {
        return m_boxes[index];
    }
    FilterNode *GetFilterRoot() const
    {
        return m_filterRoot.get();
    }
    // The filter file loaded last.
    const CString &GetFilterFilePath() const
    {
        return m_filterFilePath;
    }
    CFolderSizeScanner &GetSizeScanner()
    {
        return m_scanner;
    }
    // What the four boxes' chosen files take, in bytes.
    ULONGLONG SumOfBoxTotals() const;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    DECLARE_MESSAGE_MAP()

  private:
    bool IsRestoreView() const;
    void SetUpDriveList();
    void FillDriveList();
    CString ChooseFilterFile() const;
    // Loads the filter file the page takes into the filter tree; FALSE when not even the default one loaded.
    BOOL LoadFilterFile();
    void StartSizeScan();
    void StartBoxRefresh();
    BOOL SaveBackupView();
    BOOL SaveRestoreView();
    // The four boxes in the page's corners at their own size, each made smaller (evenly, keeping the gaps) where
    // the page is too small for them all: the restore page is lower than the backup page.
    void PlaceBoxes();

    int m_wizardFlag;
    CListCtrl m_driveList;
    CImageList m_checkImages;
    // The drives' roots, one per item of the drive list.
    CStringArray m_drivePaths;
    // The model goes after the display tree over it, and the boxes (which show the tree) before both.
    std::unique_ptr<FiltersMedia> m_media;
    std::unique_ptr<FilterNode> m_filterRoot;
    CString m_filterFilePath;
    // The first three boxes read their figures from it.
    CFolderSizeScanner m_scanner;
    CFilterPage m_boxes[kBoxCount];
    // Where the boxes lie at the template's size: the margins of their area and the gaps between them.
    CRect m_boxMargins;
    CSize m_boxSize;
    CSize m_boxGap;
    CDialogLayout m_layout;
    std::unique_ptr<Gdiplus::Image> m_background;
};
