// CDialogStartBackup: the prompt at the end of job creation (template 171): start the first backup now (OK) or
// later (Cancel), with one check box whose state job creation stores as the job's "startbackupdlg".
#pragma once
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"

class CDialogStartBackup : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_START_BACKUP;

    explicit CDialogStartBackup(CWnd *pParent);
    ~CDialogStartBackup() override;

    BOOL OnInitDialog() override;

    // The check box's state when the prompt ended (unchecked until then).
    BOOL IsChecked() const
    {
        return m_checked;
    }

  protected:
    void OnOK() override;
    void OnCancel() override;

  private:
    void StoreCheck();

    // The prompt's title; empty: the template's own question shows.
    CString m_strTitle;
    BOOL m_checked;
};
