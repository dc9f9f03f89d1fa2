// CSourcePage: the source step of the new-job wizard and the main window's backup and restore pages (template
// 485). It hosts two alternative sub-pages, the basic page (drives and category boxes) and the advanced page (a
// folder tree, from g_advancedSourcePage), forwards the page protocol to the one shown and writes that one's
// filter tree into the job's own filter file. On the restore page two tabs at its top switch between them.
//
// The host's first construction argument is the wizard flag: 1 in the wizard, whose page always takes the backup
// view and leaves the program drive's room to the destination step; 0 in the main window, whose view state
// decides.
//
// The files of the class: SourcePage.cpp (sub-pages, the page protocol and the switch) and SourcePagePaint.cpp
// (the header, the tabs and the background).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "setup/layout/DialogLayout.h"
#include "setup/sourcepage/SourceBasicPage.h"
#include "setup/wizard/PageBase.h"

class CSourcePage : public CPageBase
{
  public:
    static constexpr UINT IDD = IDD_SOURCE_PAGE;
    // The tabs of the restore page: two of 140 by 40 pixels, 6 apart, at the top left.
    static constexpr int kTabWidth = 140;
    static constexpr int kTabHeight = 40;
    static constexpr int kTabGap = 6;

    explicit CSourcePage(int wizardFlag, CWnd *pParent = nullptr);
    ~CSourcePage() override;

    BOOL OnInitDialog() override;
    // Stores the job and gives it to both sub-pages.
    CSyncJob *SetJob(CSyncJob *job) override;
    // A job that copies folder to folder ("folder2folder") takes the advanced page, which then cannot be switched;
    // any other job the page its "wizard_mode" names. The shown page's load.
    BOOL LoadPage() override;
    // The shown page's save.
    BOOL SavePage() override;
    // The page's refresh: the basic page's filters and job, then the advanced page's; TRUE when both loaded.
    virtual BOOL LoadFilters();
    // Writes the shown page's filter tree into the job's own filter file and records which page it was in the
    // job's "wizard_mode". FALSE without a job or when the file was not written.
    BOOL SaveFilters();
    // Drives came or went: the advanced page reloads its shell tree.
    void ReloadTree();

    BOOL IsAdvanced() const
    {
        return m_advanced;
    }
    int GetWizardFlag() const
    {
        return m_wizardFlag;
    }
    CSourceBasicPage &GetBasicPage()
    {
        return m_basicPage;
    }
    // Null while the program has no advanced page.
    CPageBase *GetAdvancedPage() const
    {
        return m_advancedPage.get();
    }
    CButton &GetModeSwitch()
    {
        return m_modeSwitch;
    }
    // The two tabs, in client coordinates.
    static CRect TabRect(int tab);

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnModeSwitch();
    DECLARE_MESSAGE_MAP()

  private:
    bool IsRestoreView() const;
    // The shown page; null for the advanced page while there is none.
    CPageBase *ActivePage() const;
    // Shows the chosen page, hides the other and sets the switch.
    void ShowMode(BOOL advanced);
    void PaintHeader(Gdiplus::Graphics &graphics, const CRect &client) const;
    void PaintTabs(Gdiplus::Graphics &graphics) const;

    int m_wizardFlag;
    CSourceBasicPage m_basicPage;
    std::unique_ptr<CPageBase> m_advancedPage;
    CDialogLayout m_layout;
    BOOL m_advanced;
    CButton m_modeSwitch;
    std::unique_ptr<Gdiplus::Image> m_header;
};
