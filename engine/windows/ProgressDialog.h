// The progress window of a backup or restore run: a skinned, captionless window with a drawn progress bar, a
// status line (bytes done and total, remaining time, rate), Cancel while the run goes on and OK at its end.
// The main window builds it once, hidden; ResetProgress shows it at each run's start, the main window's
// progress timer feeds it through ShowCompleted and ShowFinished puts it into its end state. It is modeless:
// ending the dialog hides it. Its questions go through the platform's message box (CWnd::MessageBox) and its
// estimate reads the program's clock (platform/system/Clock.h).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "engine/windows/ProgressEstimate.h"
#include "platform/controls/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/text/String.h"
#include "ui/skin/SkinElement.h"
#include "ui/skin/TransparentText.h"

// Posted to the window to have string 408 shown in a message box.
constexpr UINT WM_PROGRESS_UPDATE = 0x8B3;

class CProgressDialog : public CDialog
{
  public:
    // Loads the icon and the three images; the window is made later (Create or ResetProgress).
    explicit CProgressDialog(CWnd *pParent = nullptr);
    ~CProgressDialog() override;

    // The window's template in the language library.
    static const UINT IDD;

    // Prepares the window for a new run: empty bar, title and banner of the main window's mode, Cancel shown
    // and OK hidden, a fresh estimate; makes the window when it is gone. Shown when show is non-zero.
    void ResetProgress(BOOL show);
    // One periodic update from the running job's byte counters; nothing without a running job or window.
    void ShowCompleted();
    // The end state: full bar, the end message (the main window's; without one the end text of a backup or
    // restore), OK in place of Cancel. count and flag do not change what is shown.
    void ShowFinished(LPCWSTR message, int count, int flag);

    BOOL OnInitDialog() override;
    // Gives the main window back: enabled, mode idle, the dialog hidden.
    void OnOK() override;
    // Closes at once when no run is under way, else asks whether to stop the run.
    void OnCancel() override;

    // Sets the bar's position (0-100), repainting only what changed.
    void SetBarPosition(int pos);
    int GetBarPosition() const;

    const CString &GetStatusText() const
    {
        return m_strStatus;
    }
    const ProgressEstimate &GetEstimate() const
    {
        return m_estimate;
    }
    Gdiplus::Image *GetCurrentBanner() const
    {
        return m_pCurrentBanner;
    }
    // Null when the close image is missing.
    CSkinButtonNew *GetCloseButton() const
    {
        return m_pCloseButton.get();
    }

    // The close element's rectangle in a client area of the given width.
    static CRect CloseButtonRect(int clientWidth);

  protected:
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnClose();
    afx_msg void OnOkCommand();
    afx_msg LRESULT OnProgressUpdate(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    // The rectangle of a control in client coordinates (empty when it is missing).
    CRect ControlRect(int id) const;
    void InvalidateTextArea();
    void ShowButton(int id, BOOL show);
    // The bar back to 0 when it is not there.
    void ClearBar();

    CProgressCtrl m_progress;
    CTransparentText m_textArea;
    CString m_strStatus;
    ProgressEstimate m_estimate;
    std::unique_ptr<Gdiplus::Image> m_background;
    std::unique_ptr<Gdiplus::Image> m_backupBanner;
    std::unique_ptr<Gdiplus::Image> m_restoreBanner;
    Gdiplus::Image *m_pCurrentBanner;
    std::unique_ptr<CSkinButtonNew> m_pCloseButton;
    HICON m_hIcon;
};
