#include "setup/wizard/JobTypeSelDlg.h"

#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"
#include "setup/wizard/JobCreationDialogs.h"
#include "setup/wizard/WizardImages.h"

namespace
{

const UINT kChoiceIds[] = {IDC_CHOICE_BACKUP, IDC_CHOICE_MIRROR, IDC_CHOICE_FOLDERS};
const UINT kHelpIds[] = {IDC_CHOICE_BACKUP_HELP, IDC_CHOICE_MIRROR_HELP, IDC_CHOICE_FOLDERS_HELP};
const UINT kTipIds[] = {IDS_TIP_CHOICE_BACKUP, IDS_TIP_CHOICE_MIRROR, IDS_TIP_CHOICE_FOLDERS};
const UINT kTextIds[] = {IDS_CHOICE_HEADING, IDS_CHOICE_BACKUP, IDS_CHOICE_MIRROR, IDS_CHOICE_FOLDERS};
// The bitmap sets of the choice buttons: the normal pieces, then the disabled ones (whose right end is the
// normal one).
const UINT kChoiceBitmaps[] = {IDB_CHOICE_NORMAL_LEFT, IDB_CHOICE_NORMAL_MIDDLE, IDB_CHOICE_NORMAL_RIGHT,
                               IDB_CHOICE_DISABLED_LEFT, IDB_CHOICE_DISABLED_MIDDLE};
const UINT kAnchoredIds[] = {IDC_CHOICE_BACKUP, IDC_CHOICE_MIRROR, IDC_CHOICE_FOLDERS, IDC_CHOICE_NOTE};

} // namespace

BEGIN_MESSAGE_MAP(CJobTypeSelDlg, CDialog)
ON_BN_CLICKED(IDC_CHOICE_BACKUP, &CJobTypeSelDlg::OnChooseBackup)
ON_BN_CLICKED(IDC_CHOICE_MIRROR, &CJobTypeSelDlg::OnChooseMirror)
ON_BN_CLICKED(IDC_CHOICE_FOLDERS, &CJobTypeSelDlg::OnChooseFolders)
ON_BN_CLICKED(IDC_CHOICE_BACKUP_HELP, &CJobTypeSelDlg::OnHelpButton)
ON_BN_CLICKED(IDC_CHOICE_MIRROR_HELP, &CJobTypeSelDlg::OnHelpButton)
ON_BN_CLICKED(IDC_CHOICE_FOLDERS_HELP, &CJobTypeSelDlg::OnHelpButton)
ON_NOTIFY(NOTIFY_TOOLTIP_DISPLAY, 0, &CJobTypeSelDlg::OnToolTipDisplay)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_WM_SIZE()
END_MESSAGE_MAP()

CJobTypeSelDlg::CJobTypeSelDlg(CWnd *pParent) : CDialog(IDD, pParent), m_type(TYPE_BACKUP)
{
    for (CWizardButton &choice : m_choices)
        choice.SetBitmaps(kChoiceBitmaps, static_cast<int>(std::size(kChoiceBitmaps)));
    CreateJob();
}

CJobTypeSelDlg::~CJobTypeSelDlg() = default;

void CJobTypeSelDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    for (int i = 0; i < kChoiceCount; ++i)
    {
        DDX_Control(pDX, static_cast<int>(kChoiceIds[i]), m_choices[i]);
        DDX_Control(pDX, static_cast<int>(kHelpIds[i]), m_helpButtons[i]);
    }
    DDX_Control(pDX, IDC_CHOICE_HEADING, m_heading);
}

BOOL CJobTypeSelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i <= kChoiceCount; ++i)
        m_texts[i] = AfxLoadText(kTextIds[i]);
    m_heading.SetWindowText(m_texts[0]);
    for (int i = 0; i < kChoiceCount; ++i)
        m_choices[i].SetWindowText(m_texts[i + 1]);

    if (m_tooltip.Create(this))
    {
        m_tooltip.SetNotify(true);
        for (CWizardButton &choice : m_choices)
            m_tooltip.AddTool(&choice, L"");
    }
    m_layout.Attach(this);
    for (UINT id : kAnchoredIds)
    {
        if (CWnd *control = GetDlgItem(static_cast<int>(id)))
            m_layout.AddControl(control, LAYOUT_TOP | LAYOUT_LEFT);
    }
    return TRUE;
}

BOOL CJobTypeSelDlg::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg != nullptr && pMsg->message == WM_MOUSEMOVE)
    {
        for (CWizardButton &choice : m_choices)
        {
            if (pMsg->hwnd == choice.GetSafeHwnd() && ::GetFocus() != pMsg->hwnd)
                choice.SetFocus();
        }
    }
    if (m_tooltip.GetSafeHwnd() != nullptr)
        m_tooltip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

void CJobTypeSelDlg::OnToolTipDisplay(NMHDR *pNotify, LRESULT *pResult)
{
    *pResult = 0;
    auto *display = reinterpret_cast<ToolDisplayNotify *>(pNotify);
    for (int i = 0; i < kChoiceCount; ++i)
    {
        if (display->hwndTool != m_choices[i].GetSafeHwnd())
            continue;
        display->ti->sTooltip = AfxLoadText(kTipIds[i]);
        CRect button;
        m_choices[i].GetWindowRect(&button);
        display->pt->x = button.left;
        display->pt->y = button.bottom;
    }
}

void CJobTypeSelDlg::OnChooseBackup()
{
    Choose(TYPE_BACKUP);
}

void CJobTypeSelDlg::OnChooseMirror()
{
    Choose(TYPE_MIRROR);
}

void CJobTypeSelDlg::OnChooseFolders()
{
    Choose(TYPE_FOLDERS);
}

void CJobTypeSelDlg::OnHelpButton()
{
    const JobCreationDialogs dialogs = g_jobCreationDialogs.Get();
    if (dialogs.openHelp)
        dialogs.openHelp(this);
}

BOOL CJobTypeSelDlg::OnEraseBkgnd(CDC *pDC)
{
    Gdiplus::Image *background = wizardimages::ChooserBackground();
    if (background == nullptr)
        return CDialog::OnEraseBkgnd(pDC);
    // The picture covers the window at its own size; what lies beyond it keeps the dialog's face.
    CRect client;
    GetClientRect(&client);
    const SIZE size = wizardimages::ChooserBackgroundSize();
    if (size.cx < client.Width() || size.cy < client.Height())
        CDialog::OnEraseBkgnd(pDC);
    Gdiplus::Graphics graphics(pDC->GetSafeHdc());
    graphics.DrawImage(background, 0, 0, static_cast<INT>(size.cx), static_cast<INT>(size.cy));
    return TRUE;
}

HBRUSH CJobTypeSelDlg::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    if (nCtlColor == CTLCOLOR_STATIC)
    {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CJobTypeSelDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    m_layout.Apply();
    Invalidate(TRUE);
}
