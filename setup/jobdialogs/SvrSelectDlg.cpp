#include "setup/jobdialogs/SvrSelectDlg.h"

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"
#include "setup/jobdialogs/PendingSources.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// The room at the foot of the dialog that the list leaves to the buttons.
const int kButtonBand = 45;

} // namespace

CSvrSelectDlg::CSvrSelectDlg(CWnd *pParent, JobPickerFactory makePicker)
    : CDialog(IDD, pParent), m_makePicker(std::move(makePicker))
{
}

CSvrSelectDlg::~CSvrSelectDlg() = default;

BOOL CSvrSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect area;
    GetClientRect(&area);
    area.bottom -= kButtonBand;
    if (m_makePicker)
        m_picker = m_makePicker(*this, area, IDC_SVR_SELECT_LIST);
    IMainWindowServices *main = g_pMainDlg.load();
    CSyncJobList *jobs = main != nullptr ? main->GetJobList() : nullptr;
    if (m_picker != nullptr && jobs != nullptr)
    {
        for (INT_PTR i = 0; i < jobs->GetCount(); ++i)
            m_picker->AddJob(jobs->GetAt(i)->GetJobDef());
    }
    return TRUE;
}

void CSvrSelectDlg::OnOK()
{
    CJobDef *picked = m_picker != nullptr ? m_picker->GetSelectedJob() : nullptr;
    if (picked == nullptr)
    {
        SkinMessageBoxId(IDS_NO_JOB_CHOSEN, MB_OK);
        return;
    }
    CSyncJob *job = picked->GetOwner();
    IMainWindowServices *main = g_pMainDlg.load();
    if (job == nullptr || main == nullptr)
    {
        // An entry without its job adds nothing.
        EndDialog(IDCANCEL);
        return;
    }
    AddPendingSources(*job, main->GetPendingSources(), *main);
    EndDialog(IDOK);
}
