// CJobTypeSelDlg: the job type chooser (template 379), where every new job is born. Building the chooser already
// sets up one job of the first type; each choice the user then makes ends the chooser and sets up a job of that
// type. Setting up a job (CreateJob) gives it its defaults, a new identity and the main window's pending source
// paths, runs the wizard, asks the overwrite choice (folder-to-folder jobs) and whether to start the first
// backup, and saves the job store. A job whose wizard is cancelled is dropped: the store never sees it.
//
// The job types (button, "sync_type", "retain_full_path", "folder2folder"):
//   1  back up files          9003  1  0  -
//   2  mirror folders         1140  2  1  -    every pending path must be a folder
//   3  folder to folder       1249  2  0  1
//
// The files of the class: JobTypeSelDlg.cpp (the window) and JobTypeSelDlgCreate.cpp (the choices and job
// creation); the windows that job creation opens come through g_jobCreationDialogs (JobCreationDialogs.h).
#pragma once
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"
#include "setup/layout/DialogLayout.h"
#include "ui/buttons/ButtonST.h"
#include "ui/buttons/TransparentStatic.h"
#include "ui/buttons/WizardButton.h"
#include "ui/tooltip/PPToolTip.h"

class CJobTypeSelDlg : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_JOB_TYPE_SEL;
    enum JobType
    {
        TYPE_BACKUP = 1,
        TYPE_MIRROR = 2,
        TYPE_FOLDERS = 3,
    };

    // Builds the chooser and sets up a job of type 1 at once, before the chooser has a window (its wizard is owned
    // by pParent). The caller then shows the chooser with DoModal.
    explicit CJobTypeSelDlg(CWnd *pParent);
    ~CJobTypeSelDlg() override;

    // Sets up a job of the chosen type (see the header). 1 when a job was made, 0 when the wizard was cancelled
    // or no job could be made (told to the user).
    int CreateJob();
    // A choice of the user: type 2 first needs every pending path to be an existing folder (else string 436, the
    // pending list emptied, the chooser stays). An accepted choice ends the chooser with 0 and sets up the job.
    // TRUE when the choice was accepted.
    BOOL Choose(int type);
    int GetJobType() const
    {
        return m_type;
    }

    BOOL OnInitDialog() override;
    // Relays every message to the tooltip; a mouse move over a choice gives it the focus.
    BOOL PreTranslateMessage(MSG *pMsg) override;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnChooseBackup();
    afx_msg void OnChooseMirror();
    afx_msg void OnChooseFolders();
    afx_msg void OnHelpButton();
    afx_msg void OnToolTipDisplay(NMHDR *pNotify, LRESULT *pResult);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

  private:
    static constexpr int kChoiceCount = 3;

    CWizardButton m_choices[kChoiceCount];
    NewUI::CButtonST m_helpButtons[kChoiceCount];
    CPPToolTip m_tooltip;
    CTransparentStatic m_heading;
    // Strings 46299 (the heading) and 46300-46302 (the choices' captions).
    CString m_texts[kChoiceCount + 1];
    CDialogLayout m_layout;
    int m_type;
};
