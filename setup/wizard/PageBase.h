// CPageBase: the base of every page of the new-job wizard (and of the main window's backup and restore pages). It
// fixes the page look, a light grey background behind every control but the buttons, and the page protocol:
//
//   SetJob(job)   the job the page edits (not owned); called before the page's window is made
//   LoadPage()    the job into the controls, each time the page is shown anew
//   SavePage()    the controls into the job; FALSE keeps the wizard (or the main window) on the page, which has
//                 then told the user why
//
// A page is a child dialog of its host: Enter and Escape inside it do nothing (the host's buttons decide).
#pragma once
#include <windows.h>

#include "platform/drawing/GdiObjects.h"
#include "platform/windows/Dialog.h"

class CSyncJob;

// The page background (a light grey).
constexpr COLORREF kPageBackground = 0xF6F6F6;

class CPageBase : public CDialog
{
  public:
    CPageBase(UINT nIDTemplate, CWnd *pParent);
    ~CPageBase() override;

    // Stores the job and returns it.
    virtual CSyncJob *SetJob(CSyncJob *job);
    // The base moves the members into the controls (UpdateData(FALSE)) and returns TRUE.
    virtual BOOL LoadPage();
    // The base moves the controls into the members (UpdateData(TRUE)) and returns what that gave.
    virtual BOOL SavePage();

    CSyncJob *GetJob() const
    {
        return m_pJob;
    }
    // The template the page's window is made from.
    UINT GetTemplateId() const
    {
        return m_nTemplateId;
    }

    // Creates the brush (again), after the base initialisation.
    BOOL OnInitDialog() override;

  protected:
    void OnOK() override;
    void OnCancel() override;

    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

    CSyncJob *m_pJob;
    CBrush m_backgroundBrush;

  private:
    UINT m_nTemplateId;
};
