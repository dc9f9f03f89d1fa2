// The copy-error window of a job: a modeless window that lists the job's copy errors, one line per error with
// its time, in a virtual list view. The items live in the job (CCopyErrorList), where run threads add them;
// the window only reads them, on its own thread, and is told of new ones by a posted message.
//
// The window is made by the first ShowReport, which must run on the user-interface thread (a run thread has no
// message loop to serve it); after that it is only hidden and shown again.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/text/String.h"

class CSyncJob;
class CCopyErrorList;

class CErrorReportDlg : public CDialog
{
  public:
    // The job owns the items and the definition; it may be null (the window then lists nothing).
    explicit CErrorReportDlg(CSyncJob *job);
    ~CErrorReportDlg() override;

    // The window's template in the language library.
    static const UINT IDD;

    // Adds an error to the job's items (merged with the last one when the text is the same). Any thread. A null
    // time means now. While the window exists the items post it their new count, whoever adds them.
    void AddErrorItem(LPCWSTR text, const __time64_t *time);

    // Makes the window when it has none; then, unless the job's definition suppresses the window, gives it
    // the title and shows it in front at its current place. The second argument is not used.
    void ShowReport(LPCWSTR title, LPCWSTR extra = nullptr);

    BOOL OnInitDialog() override;
    // Remembers a ticked "do not show again" in the job's definition and hides the window.
    void OnOK() override;

    CListCtrl &GetList()
    {
        return m_list;
    }
    // The widest message text measured so far (at least the message column's first width).
    int GetRecordedColumnWidth() const
    {
        return m_nColumnWidth;
    }

    // The text of an item's column as the list shows it: 0 the time, 1 the message. Empty past the end.
    CString GetItemText(int item, int subItem) const;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnGetDispInfo(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg LRESULT OnItemCountChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    CCopyErrorList *Items() const;
    // Gives the list the number of items, repainting only what it must.
    void SyncItemCount();

    CListCtrl m_list;
    CSyncJob *m_pJob;
    int m_nColumnWidth;
};
