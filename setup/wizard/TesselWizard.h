// CTesselWizard: the three-step frame of the new-job wizard (template 382): the source step, the destination step
// and the schedule step, over a header that paints the step band and the step's sentence. It moves between the
// steps (Next saves the page it leaves and loads the next one, Back neither saves nor loads), and on Finish commits
// the schedule page, then names the job and opens its log. A name that is empty, taken or a device's (NUL, COM1)
// keeps the wizard open. Only job creation opens it.
//
// The source and destination pages come from g_wizardPageFactory (WizardPageFactory.h); the schedule page is the
// wizard's own (CWhenWhereDlgHP).
//
// The files of the class: TesselWizard.cpp (steps, name, Finish, drives that come and go) and
// TesselWizardPaint.cpp (the shared images, the header, painting and sizing).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/Dialog.h"
#include "setup/layout/DialogLayout.h"
#include "setup/wizard/PageBase.h"
#include "setup/wizard/WhenWhereDlgHP.h"
#include "ui/buttons/TransparentStatic.h"

class CSyncJob;

// Posted by the wizard to itself when a drive came or went: the source and destination trees are refreshed.
constexpr UINT WM_WIZARD_REFRESH_TREES = WM_USER + 1000;
// The wizard's background behind the header and the buttons.
constexpr COLORREF kWizardBackground = 0xEEDBBE;

class CTesselWizard : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_TESSEL_WIZARD;
    enum Step
    {
        STEP_SOURCE = 0,
        STEP_DESTINATION = 1,
        STEP_SCHEDULE = 2,
        STEP_COUNT = 3,
    };

    // The wizard for the job (not owned), from step (0 from job creation). The source and destination pages are
    // made here, by the page factory.
    CTesselWizard(CSyncJob *job, int step, CWnd *pParent);
    ~CTesselWizard() override;

    // The shared step bands, texts and the chooser's background from the image folder (with its trailing
    // backslash), then the source page's shared images; once, by the main window, with GDI+ running.
    static void LoadStepImages(const CString &folder);
    // Frees what LoadStepImages loaded, before GDI+ shuts down.
    static void FreeStepImages();

    // The header's sentence (pages call it; the schedule page with its summary of the kind chosen). Repaints the
    // header's text.
    void InvalidateSteps(LPCWSTR text);

    BOOL OnInitDialog() override;

    CSyncJob *GetJob() const
    {
        return m_pJob;
    }
    int GetStep() const
    {
        return m_step;
    }
    // The page of the step; null for a step without a page.
    CPageBase *GetPage(int step) const
    {
        return step >= 0 && step < STEP_COUNT ? m_pages[step] : nullptr;
    }
    const CString &GetHeaderText() const
    {
        return m_headerText;
    }
    // Set once Finish has committed the job.
    BOOL IsFinished() const
    {
        return m_finished;
    }
    // Where the header's sentence is painted, in client coordinates.
    static CRect HeaderTextRect();

  protected:
    // Enter: Finish on the last step, else Next.
    void OnOK() override;
    // Escape, the Cancel button or closing the window: the wizard ends only on a Yes to string 174.
    void OnCancel() override;
    // A volume arriving or removed (with media, or not on the network) posts WM_WIZARD_REFRESH_TREES.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnBack();
    afx_msg void OnNext();
    afx_msg void OnFinish();
    afx_msg void OnNameChange();
    afx_msg void OnNameKillFocus();
    afx_msg LRESULT OnRefreshTrees(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSizing(UINT fwSide, LPRECT pRect);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

  private:
    // The trimmed name of the edit.
    CString ReadName() const;
    BOOL IsNameTaken(const CString &name) const;
    void MakePageWindows();
    void ShowPage(int step, BOOL show);
    // After a step change: the buttons of the step, an empty header and a repaint.
    void ShowStepChanged();
    void RenameJob(const CString &name);
    void OpenJobLog();
    void CreateHeaderFonts();
    void PaintHeader(CDC &dc, const CRect &client);

    CSyncJob *m_pJob;
    int m_step;
    std::unique_ptr<CPageBase> m_sourcePage;
    std::unique_ptr<CPageBase> m_destinationPage;
    CWhenWhereDlgHP m_schedulePage;
    CPageBase *m_pages[STEP_COUNT];
    CButton m_back;
    CButton m_next;
    CButton m_finish;
    CEdit m_nameEdit;
    CTransparentStatic m_nameLabel;
    CDialogLayout m_layout;
    // The window's rectangle after initialisation: its minimum size.
    CRect m_rectInitial;
    std::unique_ptr<Gdiplus::Font> m_titleFont;
    std::unique_ptr<Gdiplus::Font> m_textFont;
    std::unique_ptr<Gdiplus::SolidBrush> m_textBrush;
    CString m_headerText;
    BOOL m_finished;
    CBrush m_backgroundBrush;
};
