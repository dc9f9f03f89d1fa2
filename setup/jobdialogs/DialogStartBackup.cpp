#include "setup/jobdialogs/DialogStartBackup.h"

CDialogStartBackup::CDialogStartBackup(CWnd *pParent) : CDialog(IDD, pParent), m_checked(FALSE)
{
}

CDialogStartBackup::~CDialogStartBackup() = default;

BOOL CDialogStartBackup::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_strTitle.IsEmpty())
    {
        if (CWnd *question = GetDlgItem(IDC_START_BACKUP_TEXT))
            question->ShowWindow(SW_SHOW);
        if (CWnd *title = GetDlgItem(IDC_START_BACKUP_TITLE))
            title->ShowWindow(SW_HIDE);
    }
    return TRUE;
}

void CDialogStartBackup::StoreCheck()
{
    if (GetDlgItem(IDC_START_BACKUP_CHECK) != nullptr)
        m_checked = IsDlgButtonChecked(IDC_START_BACKUP_CHECK) == BST_CHECKED;
}

void CDialogStartBackup::OnOK()
{
    StoreCheck();
    EndDialog(IDOK);
}

void CDialogStartBackup::OnCancel()
{
    StoreCheck();
    EndDialog(IDCANCEL);
}
