// CSourceAdvancedPage: the advanced page of the source step (template 138): a folder tree beside a file list, joined
// by a splitter, over which the user checks what the job takes. What the tree shows belongs to its category tree
// (setup/categories/SourceCategoryTree.h): in the main window's restore page what the job stored, by source folder
// and by kind of files; everywhere else (the backup page, the wizard) this computer's places.
//
// Saving in the restore view makes the checked stored places the job's restore sources, each with the place it
// goes back to, and the checked kinds its include text; in the backup view the checked places become the job's
// sources. Either way only the job in memory changes (a restore run reads it), never the job store; a page that
// stays (nothing checked, nothing to write) leaves the job as it was.
//
// The page's filter tree (the job's own filter file, else the default one) serves the custom filter dialog
// (command 1140), which sets the include or the exclude text that a backup-view save writes; "AdvanceFilter.xml"
// beside the programs starts that dialog over. Command 1255 shows hidden items or hides them again.
//
// The files of the class: SourceAdvancedPage.cpp (set-up, filters, commands, painting) and
// SourceAdvancedPageSave.cpp (loading and saving the job).
#pragma once
#include <windows.h>

#include <memory>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/drawing/GdiObjects.h"
#include "setup/categories/SourceCategoryTree.h"
#include "setup/filters/FilterNode.h"
#include "setup/filters/FiltersMedia.h"
#include "setup/layout/DialogLayout.h"
#include "setup/sourcepage/AdvancedSourcePageSlot.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FilesListCtrl.h"
#include "setup/wizard/PageBase.h"
#include "ui/controls/Splitter.h"

class CSourceAdvancedPage : public CPageBase
{
  public:
    static constexpr UINT IDD = IDD_SOURCE_ADVANCED_PAGE;
    static constexpr UINT kSplitterId = 59648;

    // wizardFlag 1: a page of the new-job wizard, which always shows this computer's places.
    explicit CSourceAdvancedPage(int wizardFlag, CWnd *pParent = nullptr);
    ~CSourceAdvancedPage() override;

    BOOL OnInitDialog() override;
    CSyncJob *SetJob(CSyncJob *job) override;
    // Reads the job's include and exclude texts; in the backup view the job's sources show checked. TRUE.
    BOOL LoadPage() override;
    BOOL SavePage() override;
    // Reloads the filter tree and builds the tree anew (hidden items hidden), then loads the page.
    virtual BOOL LoadFilters();
    // Loads a filter file into the page's filter tree; FALSE when it could not be read (the tree is then empty).
    BOOL LoadFilterTree(LPCWSTR path);
    // The custom filter's reset: "AdvanceFilter.xml" of the program folder into the filter tree.
    void ReloadAdvanceFilter();
    // Writes the filter tree into the job's own filter file; FALSE without a job or when it was not written.
    BOOL SaveFilterFile();
    // Drives came or went: My Computer lists its drives anew (backup view).
    void ReloadTree();

    SourceCategoryTree &GetCategoryTree()
    {
        return m_categoryTree;
    }
    FileTree::CFileTreeCtrl &GetTree()
    {
        return m_tree;
    }
    FileTree::CFilesListCtrl &GetList()
    {
        return m_list;
    }
    CSimpleSplitter &GetSplitter()
    {
        return m_splitter;
    }
    FilterNode &GetFilterRoot()
    {
        return m_filterRoot;
    }
    const CString &GetIncludeText() const
    {
        return m_include;
    }
    const CString &GetExcludeText() const
    {
        return m_exclude;
    }
    BOOL IsShowingHidden() const
    {
        return m_showHidden;
    }

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg void OnCustomFilter();
    afx_msg void OnToggleHidden();
    DECLARE_MESSAGE_MAP()

  private:
    static void OnItemChanged(FileTree::BaseNode *node, void *page);
    bool IsRestoreView() const;
    // The job's own filter file, else the default one, into the filter tree.
    void LoadJobFilterFile();
    void PlaceSplitter();
    BOOL SaveRestoreView(const std::vector<CString> &places);
    BOOL SaveBackupView(const std::vector<CString> &places);
    // The job's figures after its sources were written: not through the agent, on the network or not, the texts,
    // and its size scanner over the new sources.
    void FinishSave(const CString &include, const CString &exclude);

    int m_wizardFlag;
    SourceCategoryTree m_categoryTree;
    FileTree::CFileTreeCtrl m_tree;
    FileTree::CFilesListCtrl m_list;
    CSimpleSplitter m_splitter;
    CDialogLayout m_layout;
    CBrush m_whiteBrush;
    // The model goes after the display tree over it.
    FiltersMedia m_media;
    FilterNode m_filterRoot;
    CString m_include;
    CString m_exclude;
    BOOL m_showHidden;
};

// The advanced page as the source page host takes it (g_advancedSourcePage's own slot).
AdvancedSourcePageSlot MakeAdvancedSourcePageSlot();
