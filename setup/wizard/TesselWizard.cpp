#include "setup/wizard/TesselWizard.h"

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/VolumeChange.h"
#include "platform/system/Clock.h"
#include "setup/wizard/JobNameRules.h"
#include "setup/wizard/SetupReports.h"
#include "setup/wizard/WizardImages.h"
#include "setup/wizard/WizardPageFactory.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

const UINT kAnchoredButtons[] = {IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_FINISH, IDCANCEL};

std::unique_ptr<CPageBase> MakePage(const std::function<std::unique_ptr<CPageBase>(CTesselWizard &)> &maker,
                                    CTesselWizard &wizard)
{
    return maker ? maker(wizard) : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CTesselWizard, CDialog)
ON_BN_CLICKED(IDC_WIZARD_BACK, &CTesselWizard::OnBack)
ON_BN_CLICKED(IDC_WIZARD_NEXT, &CTesselWizard::OnNext)
ON_BN_CLICKED(IDC_WIZARD_FINISH, &CTesselWizard::OnFinish)
ON_EN_CHANGE(IDC_WIZARD_NAME, &CTesselWizard::OnNameChange)
ON_EN_KILLFOCUS(IDC_WIZARD_NAME, &CTesselWizard::OnNameKillFocus)
ON_MESSAGE(WM_WIZARD_REFRESH_TREES, &CTesselWizard::OnRefreshTrees)
ON_WM_SIZE()
ON_WM_SIZING()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CTesselWizard::CTesselWizard(CSyncJob *job, int step, CWnd *pParent)
    : CDialog(IDD, pParent), m_pJob(job), m_step(step >= 0 && step < STEP_COUNT ? step : STEP_SOURCE),
      m_schedulePage(this), m_pages{}, m_finished(FALSE)
{
    const WizardPageFactory factory = g_wizardPageFactory.Get();
    m_sourcePage = MakePage(factory.makeSourcePage, *this);
    m_destinationPage = MakePage(factory.makeDestinationPage, *this);
    m_pages[STEP_SOURCE] = m_sourcePage.get();
    m_pages[STEP_DESTINATION] = m_destinationPage.get();
    m_pages[STEP_SCHEDULE] = &m_schedulePage;
}

CTesselWizard::~CTesselWizard()
{
    // The pages' windows are children of the wizard's: they go with it, before the page objects do.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

BOOL CTesselWizard::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyle(0, WS_CLIPCHILDREN);
    if (!wizardimages::WizardCaption().IsEmpty())
        SetWindowText(wizardimages::WizardCaption());
    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(kWizardBackground);
    CreateHeaderFonts();

    m_back.SubclassDlgItem(IDC_WIZARD_BACK, this);
    m_next.SubclassDlgItem(IDC_WIZARD_NEXT, this);
    m_finish.SubclassDlgItem(IDC_WIZARD_FINISH, this);
    m_nameLabel.SubclassDlgItem(IDC_WIZARD_NAME_LABEL, this);
    m_nameEdit.SubclassDlgItem(IDC_WIZARD_NAME, this);
    if (m_pJob != nullptr)
        m_nameEdit.SetWindowText(m_pJob->GetJobDef()->GetName());

    m_layout.Attach(this);
    for (UINT id : kAnchoredButtons)
    {
        if (CWnd *button = GetDlgItem(static_cast<int>(id)))
            m_layout.AddControl(button, LAYOUT_RIGHT | LAYOUT_BOTTOM);
    }
    MakePageWindows();

    for (int step = 0; step < STEP_COUNT; ++step)
        ShowPage(step, step == m_step);
    m_back.EnableWindow(m_step > STEP_SOURCE);
    m_next.EnableWindow(m_step < STEP_SCHEDULE);
    m_finish.EnableWindow(m_step == STEP_SCHEDULE);

    GetWindowRect(&m_rectInitial);
    m_headerText.Empty();
    return TRUE;
}

void CTesselWizard::MakePageWindows()
{
    CRect area;
    if (CWnd *placeholder = GetDlgItem(IDC_WIZARD_PAGE_AREA))
    {
        placeholder->GetWindowRect(&area);
        ScreenToClient(&area);
    }
    for (CPageBase *page : m_pages)
    {
        if (page == nullptr)
            continue;
        page->SetJob(m_pJob);
        if (!page->Create(page->GetTemplateId(), this))
        {
            AppLog.LogIdAt(L"TesselWizard", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_TEMPLATE_MISSING,
                           static_cast<int>(page->GetTemplateId()));
            continue;
        }
        page->MoveWindow(&area);
        page->LoadPage();
        m_layout.AddControl(page, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    }
}

void CTesselWizard::ShowPage(int step, BOOL show)
{
    CPageBase *page = GetPage(step);
    if (page != nullptr && page->GetSafeHwnd() != nullptr)
        page->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CTesselWizard::ShowStepChanged()
{
    m_back.EnableWindow(m_step > STEP_SOURCE);
    m_next.EnableWindow(m_step < STEP_SCHEDULE);
    // Finish commits the schedule page: only its step offers it, after Back too.
    m_finish.EnableWindow(m_step == STEP_SCHEDULE);
    if (m_step == STEP_SCHEDULE)
        m_finish.SetFocus();
    m_headerText.Empty();
    Invalidate(TRUE);
    m_nameLabel.Invalidate(TRUE);
}

void CTesselWizard::OnNext()
{
    if (m_step >= STEP_SCHEDULE)
        return;
    CPageBase *page = GetPage(m_step);
    if (page != nullptr && page->GetSafeHwnd() != nullptr && !page->SavePage())
        return;
    ShowPage(m_step, FALSE);
    ++m_step;
    CPageBase *next = GetPage(m_step);
    if (next != nullptr && next->GetSafeHwnd() != nullptr)
        next->LoadPage();
    ShowPage(m_step, TRUE);
    ShowStepChanged();
}

void CTesselWizard::OnBack()
{
    if (m_step <= STEP_SOURCE)
        return;
    ShowPage(m_step, FALSE);
    --m_step;
    ShowPage(m_step, TRUE);
    ShowStepChanged();
}

void CTesselWizard::OnOK()
{
    if (m_step >= STEP_SCHEDULE)
        OnFinish();
    else
        OnNext();
}

void CTesselWizard::OnCancel()
{
    if (SkinMessageBoxId(IDS_ASK_CANCEL_WIZARD, MB_YESNO) == IDYES)
        EndDialog(IDCANCEL);
}

CString CTesselWizard::ReadName() const
{
    CString name;
    if (m_nameEdit.GetSafeHwnd() != nullptr)
        m_nameEdit.GetWindowText(name);
    name.Trim();
    return name;
}

BOOL CTesselWizard::IsNameTaken(const CString &name) const
{
    IMainWindowServices *main = g_pMainDlg.load();
    return main != nullptr && IsJobNameTaken(main->GetJobList(), name, m_pJob);
}

void CTesselWizard::OnNameChange()
{
    CString text;
    m_nameEdit.GetWindowText(text);
    // Written back only when something was dropped or cut: every write moves the caret.
    if (!FilterJobNameText(text))
        return;
    m_nameEdit.SetWindowText(text);
    m_nameEdit.SetSel(text.GetLength(), text.GetLength());
}

void CTesselWizard::OnNameKillFocus()
{
    const CString name = ReadName();
    if (!name.IsEmpty() && IsNameTaken(name))
        SkinMessageBoxId(IDS_JOB_NAME_TAKEN, MB_ICONEXCLAMATION);
}

void CTesselWizard::OnFinish()
{
    if (m_pJob == nullptr)
        return;
    const CString name = ReadName();
    if (name.IsEmpty())
    {
        SkinMessageBoxId(IDS_JOB_NAME_EMPTY, MB_ICONEXCLAMATION);
        return;
    }
    if (IsReservedDeviceName(name))
    {
        SkinMessageBoxId(IDS_JOB_NAME_RESERVED, MB_ICONEXCLAMATION);
        return;
    }
    if (IsNameTaken(name))
    {
        SkinMessageBoxId(IDS_JOB_NAME_TAKEN, MB_ICONEXCLAMATION);
        return;
    }
    // The page is saved before anything is made under the name: a page that refuses leaves no log or restore list
    // behind for a Cancel to find.
    CPageBase *page = GetPage(m_step);
    if (page != nullptr && page->GetSafeHwnd() != nullptr && !page->SavePage())
        return;
    if (name != m_pJob->GetJobDef()->GetName())
        RenameJob(name);
    OpenJobLog();
    if (m_pJob->GetJobDef()->GetState() != 0 && m_pJob->m_runState != JOB_BUSY)
        m_pJob->m_runState = JOB_IDLE;
    m_pJob->m_createdTime = g_pfnClock();
    m_finished = TRUE;
    const WizardPageFactory factory = g_wizardPageFactory.Get();
    if (m_sourcePage != nullptr && m_sourcePage->GetSafeHwnd() != nullptr && factory.saveFilters)
        factory.saveFilters(*m_sourcePage);
    EndDialog(IDOK);
}

void CTesselWizard::RenameJob(const CString &name)
{
    const CString oldName = m_pJob->GetJobDef()->GetName();
    m_pJob->GetJobDef()->SetName(name);
    if (m_pJob->GetRestoreJournal()->Rename(oldName, name))
        return;
    const DWORD error = ::GetLastError();
    AppLog.LogIdAt(L"TesselWizard", __LINE__, error, LM_ERROR, IDS_LOG_JOURNAL_NOT_RENAMED, oldName.GetString(),
                   name.GetString());
    SkinMessageBoxId(IDS_JOURNAL_NOT_RENAMED, MB_OK);
}

void CTesselWizard::OpenJobLog()
{
    const CString path = m_pJob->GetLogFilePath();
    if (m_pJob->GetLog().Open(path) == 0)
        return;
    const DWORD error = ::GetLastError();
    AppLog.LogIdAt(L"TesselWizard", __LINE__, error, LM_ERROR, IDS_LOG_JOB_LOG_NOT_OPENED, path.GetString());
    ShowWithSystemText(IDS_JOB_LOG_NOT_OPENED, error);
}

LRESULT CTesselWizard::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE &&
        DecodeVolumeChange(static_cast<UINT>(wParam), static_cast<DWORD_PTR>(lParam)).event != VolumeEvent::None)
        PostMessage(WM_WIZARD_REFRESH_TREES);
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CTesselWizard::OnRefreshTrees(WPARAM, LPARAM)
{
    const WizardPageFactory factory = g_wizardPageFactory.Get();
    if (m_sourcePage != nullptr && m_sourcePage->GetSafeHwnd() != nullptr && factory.reloadSourceTree)
        factory.reloadSourceTree(*m_sourcePage);
    if (m_destinationPage != nullptr && m_destinationPage->GetSafeHwnd() != nullptr && factory.rebuildDestinationTree)
        factory.rebuildDestinationTree(*m_destinationPage);
    return 0;
}
