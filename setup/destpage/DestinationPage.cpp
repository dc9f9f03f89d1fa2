#include "setup/destpage/DestinationPage.h"

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "engine/store/SourceList.h"
#include "platform/controls/DataExchange.h"
#include "platform/drawing/Dc.h"
#include "platform/system/Resources.h"
#include "setup/destpage/DestinationRules.h"
#include "setup/jobdialogs/DialogAutoDel.h"
#include "setup/resources/SetupResourceIds.h"
#include "setup/wizard/SetupReports.h"
#include "setup/wizard/TesselWizard.h"
#include "setup/zorbit/OpenZorbitDlg.h"

namespace
{

const UINT kButtonIds[CDestinationPage::BUTTON_COUNT] = {IDC_DEST_REVISIONS, IDC_DEST_NEW_FOLDER, IDC_DEST_ABOUT_PLACES,
                                                         IDC_DEST_ABOUT_PIE};
const int kButtonIcons[CDestinationPage::BUTTON_COUNT] = {IDI_DEST_REVISIONS, IDI_DEST_NEW_FOLDER,
                                                          IDI_DEST_ABOUT_PLACES, IDI_DEST_ABOUT_PIE};
const UINT kButtonTips[CDestinationPage::BUTTON_COUNT] = {IDS_TIP_REVISIONS, IDS_NEW_FOLDER_NAME, IDS_TIP_DEST_PLACES,
                                                          IDS_TIP_DEST_PIE};
// The page's own timer: its ticks change nothing.
const UINT_PTR kPageTimer = 1;
const UINT kPageTimerMs = 1000;
const int kThresholdTick = 10;

} // namespace

BEGIN_MESSAGE_MAP(CDestinationPage, CPageBase)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_HSCROLL()
ON_NOTIFY(TVN_SELCHANGED, IDC_DEST_GROUP_LIST, &CDestinationPage::OnGroupChanged)
ON_BN_CLICKED(IDC_DEST_REVISIONS, &CDestinationPage::OnRevisions)
ON_BN_CLICKED(IDC_DEST_NEW_FOLDER, &CDestinationPage::OnNewFolder)
ON_EN_CHANGE(IDC_DEST_THRESHOLD_EDIT, &CDestinationPage::OnThresholdChange)
ON_EN_KILLFOCUS(IDC_DEST_THRESHOLD_EDIT, &CDestinationPage::OnThresholdKillFocus)
END_MESSAGE_MAP()

CDestinationPage::CDestinationPage(CTesselWizard *wizard, CWnd *pParent)
    : CPageBase(IDD, pParent), m_wizard(wizard), m_threshold(0), m_loaded(false)
{
}

CDestinationPage::~CDestinationPage()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CDestinationPage::DoDataExchange(CDataExchange *pDX)
{
    CPageBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEST_GROUP_LIST, m_groupList);
    DDX_Control(pDX, IDC_DEST_TREE, m_tree);
    DDX_Control(pDX, IDC_DEST_PIE, m_pie);
    DDX_Control(pDX, IDC_DEST_THRESHOLD_SLIDER, m_slider);
    DDX_Control(pDX, IDC_DEST_THRESHOLD_EDIT, m_thresholdEdit);
    for (int i = 0; i < BUTTON_COUNT; ++i)
        DDX_Control(pDX, static_cast<int>(kButtonIds[i]), m_buttons[i]);
}

BOOL CDestinationPage::OnInitDialog()
{
    CPageBase::OnInitDialog();
    m_whiteBrush.DeleteObject();
    m_whiteBrush.CreateSolidBrush(kDestinationBackground);

    m_layout.Attach(this);
    m_layout.AddControl(&m_groupList, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT);
    m_layout.AddControl(&m_tree, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    m_layout.AddControl(&m_pie, LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    for (NewUI::CXPStyleButtonST &button : m_buttons)
        m_layout.AddControl(&button, LAYOUT_LEFT | LAYOUT_BOTTOM);
    m_layout.AddControl(&m_thresholdEdit, LAYOUT_RIGHT | LAYOUT_BOTTOM);
    m_layout.AddControl(&m_slider, LAYOUT_RIGHT | LAYOUT_BOTTOM);
    for (int id = IDC_DEST_NOTE_FIRST; id <= IDC_DEST_NOTE_LAST; ++id)
    {
        if (CWnd *note = GetDlgItem(id))
            m_layout.AddControl(note, LAYOUT_RIGHT | LAYOUT_BOTTOM);
    }

    for (int i = 0; i < BUTTON_COUNT; ++i)
    {
        m_buttons[i].SetThemeHelper(&m_theme);
        m_buttons[i].SetIcon(kButtonIcons[i]);
        m_buttons[i].SetTooltipTextId(kButtonTips[i]);
    }
    m_buttons[BUTTON_NEW_FOLDER].EnableWindow(FALSE);
    m_slider.SetRange(kThresholdMin, kThresholdMax);
    m_slider.SetTicFreq(kThresholdTick);

    m_host.Attach(m_tree, m_groupList, &m_pie, &m_buttons[BUTTON_NEW_FOLDER], this);
    m_host.Fill();
    m_pie.GetDriveDisplayName();
    SetTimer(kPageTimer, kPageTimerMs, nullptr);
    return TRUE;
}

BOOL CDestinationPage::DestroyWindow()
{
    m_host.Clear();
    return CPageBase::DestroyWindow();
}

BOOL CDestinationPage::LoadPage()
{
    if (m_pJob == nullptr)
        return 0;
    CJobDef *def = m_pJob->GetJobDef();
    CFolderSizeScanner &scanner = def->GetFolderSizeScanner();
    if (def->GetFolder2Folder() != 0)
    {
        CStringArray sources;
        try
        {
            XmlReadSrcList(m_pJob->GetElement(), sources);
        }
        catch (const _com_error &error)
        {
            AppLog.LogAt(L"DestinationPage", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        }
        m_firstSource = sources.GetSize() > 0 ? sources[0] : CString();
        // The scanner filters its first entry only: without an include set every folder counts whole.
        if (scanner.GetIncludeText().IsEmpty())
            sources.InsertAt(0, CString());
        scanner.StartScan(sources, scanner.GetIncludeText(), scanner.GetExcludeText());
    }
    if (!m_loaded)
    {
        m_loaded = true;
        m_pie.SetSizeScanner(&scanner);
        const int threshold = def->GetThreshold();
        m_slider.SetPos(threshold);
        CString text;
        text.Format(L"%d", threshold);
        m_thresholdEdit.SetWindowText(text);
        TakeThreshold(threshold);
        m_pie.SetPath(def->GetDest());
        m_pie.GetDriveDisplayName();
    }
    return 1;
}

void CDestinationPage::RebuildTree()
{
    m_host.Refresh();
}

CString CDestinationPage::GetSelectedPath() const
{
    const DesFileTree::DesBaseNode *node = m_host.GetSelectedNode();
    return node != nullptr ? node->GetPath() : CString();
}

CString CDestinationPage::MakeNewFolderName() const
{
    const DesFileTree::DesBaseNode *node = m_host.GetSelectedNode();
    if (node == nullptr)
        return CString();
    return ::MakeNewFolderName(node->GetPath(), node->GetKind(), AfxLoadText(IDS_NEW_FOLDER_NAME));
}

void CDestinationPage::OnDestinationChosen(const CString &path)
{
    if (path.IsEmpty() || m_wizard == nullptr)
        return;
    CString sentence;
    if (m_pJob != nullptr && m_pJob->GetJobDef()->GetFolder2Folder() != 0)
        sentence.Format(IDS_HEADER_DEST_FOLDERS, m_firstSource.GetString(), path.GetString());
    else if (path.GetLength() == 3)
        sentence.Format(IDS_HEADER_DEST_DRIVE, path.GetString());
    else
        sentence.Format(IDS_HEADER_DEST_FOLDER, path.GetString(), path.Left(3).GetString());
    m_wizard->InvalidateSteps(sentence);
}

void CDestinationPage::ChooseDeviceVolume(const ZorbitRecord &record)
{
    const ZorbitVolumeCalls agent = g_zorbitVolumeCalls.Get();
    if (agent.isOpen && agent.isOpen(record) == 1)
        return;
    COpenZorbitDlg open(record, this);
    RunSetupDialog(open);
}

void CDestinationPage::OnGroupChanged(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    m_host.OnGroupListChanged();
}

void CDestinationPage::OnRevisions()
{
    if (m_pJob == nullptr)
        return;
    CDialogAutoDel revisions(m_pJob, this);
    RunSetupDialog(revisions);
    m_buttons[BUTTON_REVISIONS].SetTooltipTextId(IDS_TIP_REVISIONS);
}

void CDestinationPage::OnNewFolder()
{
    CString name = MakeNewFolderName();
    if (name.IsEmpty() || !g_pfnAskNewFolderName(this, name))
        return;
    name.Trim();
    if (name.IsEmpty())
        return;
    if (!m_host.CreateFolder(name))
    {
        const DWORD error = ::GetLastError();
        CString path = GetSelectedPath();
        path.TrimRight(L'\\');
        path += L"\\" + name;
        AppLog.LogIdAt(L"DestinationPage", __LINE__, error, LM_ERROR, IDS_LOG_DEST_FOLDER_NOT_MADE, path.GetString());
        ShowWithSystemText(IDS_FOLDER_NOT_MADE, error);
        return;
    }
    Invalidate();
}

void CDestinationPage::TakeThreshold(int threshold)
{
    m_threshold = threshold;
    m_pie.SetThreshold(threshold);
}

void CDestinationPage::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    if (pScrollBar != nullptr && pScrollBar->GetSafeHwnd() == m_slider.GetSafeHwnd())
    {
        const int position = m_slider.GetPos();
        CString text;
        text.Format(L"%d", position);
        m_thresholdEdit.SetWindowText(text);
        TakeThreshold(position);
        return;
    }
    CPageBase::OnHScroll(nSBCode, nPos, pScrollBar);
}

int CDestinationPage::TypedThreshold(CString &text) const
{
    m_thresholdEdit.GetWindowText(text);
    return ThresholdOfText(text, m_slider.GetPos());
}

void CDestinationPage::OnThresholdChange()
{
    if (m_slider.GetSafeHwnd() == nullptr)
        return;
    CString text;
    const int threshold = TypedThreshold(text);
    m_slider.SetPos(threshold);
    TakeThreshold(threshold);
}

void CDestinationPage::OnThresholdKillFocus()
{
    if (m_slider.GetSafeHwnd() == nullptr)
        return;
    CString text;
    const int threshold = TypedThreshold(text);
    CString shown;
    shown.Format(L"%d", threshold);
    if (shown != text)
        m_thresholdEdit.SetWindowText(shown);
    m_slider.SetPos(threshold);
    TakeThreshold(threshold);
}

void CDestinationPage::OnTimer(UINT_PTR nIDEvent)
{
    CPageBase::OnTimer(nIDEvent);
}

void CDestinationPage::OnSize(UINT nType, int cx, int cy)
{
    CPageBase::OnSize(nType, cx, cy);
    if (m_layout.GetCount() > 0)
        m_layout.Apply();
    Invalidate();
}

BOOL CDestinationPage::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr || m_whiteBrush.GetSafeHandle() == nullptr)
        return CPageBase::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    CSelectObjectGuard brush(*pDC, m_whiteBrush.GetSafeHandle());
    pDC->PatBlt(client.left, client.top, client.Width(), client.Height(), PATCOPY);
    return TRUE;
}

HBRUSH CDestinationPage::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    switch (nCtlColor)
    {
    case CTLCOLOR_MSGBOX:
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_DLG:
    case CTLCOLOR_SCROLLBAR:
    case CTLCOLOR_STATIC:
        if (m_whiteBrush.GetSafeHandle() != nullptr)
        {
            pDC->SetBkColor(kDestinationBackground);
            return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
        }
        break;
    default:
        break;
    }
    // Edit boxes and buttons keep their own.
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}
