#include "setup/jobdialogs/DialogAutoDel.h"

#include "engine/job/SyncJob.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"

namespace autodel
{

int RevisionIndexFor(int maxVer)
{
    if (maxVer == -1)
        return kUnlimitedIndex;
    if (maxVer >= 1 && maxVer <= kUnlimitedIndex)
        return maxVer - 1;
    return -1;
}

int MaxVerAfterOk(int storedMaxVer, BOOL comboEnabled, int index)
{
    if (!comboEnabled)
        return 0;
    if (index == kUnlimitedIndex)
        return -1;
    if (index >= 0 && index < kUnlimitedIndex)
        return index + 1;
    return storedMaxVer;
}

} // namespace autodel

namespace
{

const int kRevisionItems = 11;
const int kRevisionTextLimit = 4;

} // namespace

BEGIN_MESSAGE_MAP(CDialogAutoDel, CDialog)
ON_BN_CLICKED(IDC_AUTODEL_KEEP_REVISIONS, &CDialogAutoDel::OnKeepRevisions)
ON_BN_CLICKED(IDC_AUTODEL_AUTO_DELETE, &CDialogAutoDel::OnAutoDelete)
END_MESSAGE_MAP()

CDialogAutoDel::CDialogAutoDel(CSyncJob *job, CWnd *pParent)
    : CDialog(IDD, pParent), m_keepRevisions(0), m_autoDelete(0), m_retainFullPath(0), m_suppressErrorLog(0),
      m_moveToRecycle(0), m_pJob(job)
{
    if (m_pJob == nullptr)
        return;
    const CJobDef *def = m_pJob->GetJobDef();
    m_keepRevisions = def->GetMaxVer() != 0 ? 1 : 0;
    m_autoDelete = def->GetAutoDel() != 0 ? 1 : 0;
    m_retainFullPath = def->GetRetainFullPath() != 0 ? 1 : 0;
    m_suppressErrorLog = def->GetSuppressErrorLogWindow() != 0 ? 1 : 0;
    m_moveToRecycle = def->GetMoveToRecycle() != 0 ? 1 : 0;
}

CDialogAutoDel::~CDialogAutoDel() = default;

void CDialogAutoDel::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_AUTODEL_REVISIONS, m_revisions);
    DDX_Check(pDX, IDC_AUTODEL_KEEP_REVISIONS, m_keepRevisions);
    DDX_Check(pDX, IDC_AUTODEL_AUTO_DELETE, m_autoDelete);
    DDX_Check(pDX, IDC_AUTODEL_RETAIN_FULL_PATH, m_retainFullPath);
    DDX_Check(pDX, IDC_AUTODEL_SUPPRESS_ERROR_LOG, m_suppressErrorLog);
    DDX_Check(pDX, IDC_AUTODEL_MOVE_TO_RECYCLE, m_moveToRecycle);
}

BOOL CDialogAutoDel::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pJob == nullptr)
        return TRUE;
    const CJobDef *def = m_pJob->GetJobDef();
    const auto enable = [this](UINT id, BOOL on) {
        if (CWnd *control = GetDlgItem(static_cast<int>(id)))
            control->EnableWindow(on);
    };
    if (def->GetSyncType() == 2)
        enable(IDC_AUTODEL_AUTO_DELETE, FALSE);
    if (def->GetSyncType() == 2 || m_autoDelete == 0)
        enable(IDC_AUTODEL_MOVE_TO_RECYCLE, FALSE);
    if (def->GetFolder2Folder() != 0)
        enable(IDC_AUTODEL_RETAIN_FULL_PATH, FALSE);

    m_revisions.InitStorage(kRevisionItems, 2 * kRevisionItems * sizeof(wchar_t));
    m_revisions.LimitText(kRevisionTextLimit);
    m_revisions.SetExtendedUI(TRUE);
    m_revisions.SetTopIndex(0);
    for (int count = 1; count <= autodel::kUnlimitedIndex; ++count)
    {
        CString text;
        text.Format(L"%2d", count);
        m_revisions.SetItemData(m_revisions.AddString(text), static_cast<DWORD_PTR>(count));
    }
    const int unlimited = m_revisions.InsertString(autodel::kUnlimitedIndex, AfxLoadText(IDS_REVISIONS_ALL));
    m_revisions.SetItemData(unlimited, static_cast<DWORD_PTR>(autodel::kUnlimitedIndex + 1));
    if (m_keepRevisions != 0)
    {
        m_revisions.SetCurSel(autodel::RevisionIndexFor(def->GetMaxVer()));
        m_revisions.EnableWindow(TRUE);
    }
    else
    {
        m_revisions.EnableWindow(FALSE);
    }
    return TRUE;
}

void CDialogAutoDel::OnKeepRevisions()
{
    m_revisions.EnableWindow(!m_revisions.IsWindowEnabled());
}

void CDialogAutoDel::OnAutoDelete()
{
    if (CWnd *recycle = GetDlgItem(IDC_AUTODEL_MOVE_TO_RECYCLE))
        recycle->EnableWindow(!recycle->IsWindowEnabled());
}

void CDialogAutoDel::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    const BOOL comboEnabled = m_revisions.IsWindowEnabled();
    const int index = m_revisions.GetCurSel();
    EndDialog(IDOK);
    if (m_pJob == nullptr)
        return;
    CJobDef *def = m_pJob->GetJobDef();
    def->SetSuppressErrorLogWindow(m_suppressErrorLog);
    def->SetAutoDel(m_autoDelete);
    def->SetMoveToRecycle(m_moveToRecycle);
    if ((m_retainFullPath != 0) != (def->GetRetainFullPath() != 0))
    {
        m_pJob->m_retainFullPathChanged = 1;
        def->SetRetainFullPath(m_retainFullPath);
    }
    def->SetMaxVer(autodel::MaxVerAfterOk(def->GetMaxVer(), comboEnabled, index));
}
