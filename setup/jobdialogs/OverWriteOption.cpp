#include "setup/jobdialogs/OverWriteOption.h"

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"

BEGIN_MESSAGE_MAP(COverWriteOption, CDialog)
ON_BN_CLICKED(IDC_OVERWRITE_CONTINUE, &COverWriteOption::OnContinue)
END_MESSAGE_MAP()

COverWriteOption::COverWriteOption(CSyncJob *job, CWnd *pParent) : CDialog(IDD, pParent), m_pJob(job)
{
}

COverWriteOption::~COverWriteOption() = default;

BOOL COverWriteOption::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pJob != nullptr)
    {
        CString sources = m_pJob->GetSourceListText();
        sources.TrimLeft(L'\t');
        SetDlgItemText(IDC_OVERWRITE_SOURCES, sources);
        SetDlgItemText(IDC_OVERWRITE_DEST, m_pJob->GetJobDef()->GetDest());
    }
    CheckRadioButton(IDC_OVERWRITE_NEWER, IDC_OVERWRITE_NEVER, IDC_OVERWRITE_NEWER);
    return TRUE;
}

void COverWriteOption::OnOK()
{
    int choice = 3;
    if (IsDlgButtonChecked(IDC_OVERWRITE_NEWER) == BST_CHECKED)
        choice = 1;
    else if (IsDlgButtonChecked(IDC_OVERWRITE_ALWAYS) == BST_CHECKED)
        choice = 2;
    // The job may have been deleted while the choice was open: its answer then goes nowhere.
    IMainWindowServices *main = g_pMainDlg.load();
    CSyncJobList *jobs = main != nullptr ? main->GetJobList() : nullptr;
    if (m_pJob != nullptr && (jobs == nullptr || jobs->Contains(m_pJob)))
        m_pJob->GetJobDef()->SetOwType(choice);
    EndDialog(IDOK);
}

void COverWriteOption::OnContinue()
{
    OnOK();
}
