#include "setup/filterui/FilterPage.h"

#include <algorithm>

#include "engine/job/MainWindowServices.h"
#include "engine/program/AppPaths.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/DataExchange.h"
#include "platform/drawing/Dc.h"
#include "platform/system/Resources.h"
#include "setup/filterui/FilterUiSeams.h"
#include "setup/layout/DialogLayout.h"

namespace
{

const int kTitleLeft = 8;
const int kTitleTop = 4;
// The band of the background picture that holds the title: it keeps its height whatever the page's.
const int kTitleBand = 24;

bool IsChosen(const FilterNode *filter)
{
    const FilterCategory *category = filter->GetCategory();
    return category != nullptr ? category->IsSelected() : filter->IsSelected() != 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CFilterPage, CDialog)
ON_WM_TIMER()
ON_WM_DESTROY()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_MESSAGE(WM_FILTER_TOGGLED, &CFilterPage::OnFilterToggled)
ON_BN_CLICKED(IDC_FILTER_SET_SWITCH, &CFilterPage::OnSetSwitchClicked)
END_MESSAGE_MAP()

CFilterPage::CFilterPage()
    : CDialog(IDD_FILTER_PAGE), m_pSets(nullptr), m_index(0), m_pSet(nullptr), m_toolCount(0), m_fileCount(0),
      m_totalSize(0), m_pScanner(nullptr)
{
}

CFilterPage::~CFilterPage()
{
    // The image goes with the page, while GDI+ still runs.
    m_background.reset();
}

CString CFilterPage::FormatSummary(UINT files, ULONGLONG bytes)
{
    CString text;
    text.Format(IDS_FILTER_SUMMARY, files);
    text.Replace(L"0.00 MB", L"");
    return text + FormatSizeUnits(bytes);
}

void CFilterPage::TakeSet(FilterNode *sets)
{
    m_pSets = sets;
    m_pSet = sets != nullptr ? sets->GetChild(m_index) : nullptr;
    m_name = m_pSet != nullptr ? m_pSet->GetText() : CString();
}

BOOL CFilterPage::SelectFilterSet(FilterNode *sets, int index, CWnd *parent)
{
    m_index = index;
    TakeSet(sets);
    return Create(IDD_FILTER_PAGE, parent);
}

void CFilterPage::SetFilterList(FilterNode *sets)
{
    TakeSet(sets);
    if (GetSafeHwnd() == nullptr)
        return;
    CheckDlgButton(IDC_FILTER_SET_SWITCH, m_pSet != nullptr && m_pSet->IsSelected() ? BST_CHECKED : BST_UNCHECKED);
    RefreshList();
    Invalidate();
}

void CFilterPage::StartRefresh(CFolderSizeScanner *scanner)
{
    m_pScanner = scanner;
    if (GetSafeHwnd() == nullptr)
        return;
    KillTimer(kRefreshTimer);
    SetTimer(kRefreshTimer, kRefreshMs);
}

void CFilterPage::LoadBackground(LPCWSTR path)
{
    m_background.reset(path != nullptr ? Gdiplus::Image::FromFile(path) : nullptr);
    if (m_background && m_background->GetLastStatus() != Gdiplus::Ok)
        m_background.reset();
    if (GetSafeHwnd() != nullptr)
        Invalidate();
}

void CFilterPage::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILTER_LIST, m_list);
}

BOOL CFilterPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckDlgButton(IDC_FILTER_SET_SWITCH, m_pSet != nullptr && m_pSet->IsSelected() ? BST_CHECKED : BST_UNCHECKED);
    m_list.InitLook();
    m_list.InsertColumn(0, L"", LVCFMT_LEFT, 190);
    if (m_toolTip.Create(this))
        m_toolTip.SetMaxTipWidth(400);
    RefreshList();
    UpdateSummary();
    // A smaller page (the restore page's) keeps the switch at its corner, the summary at the bottom and the list
    // between them.
    m_layout = std::make_unique<CDialogLayout>();
    m_layout->Attach(this);
    m_layout->AddControl(GetDlgItem(IDC_FILTER_SET_SWITCH), LAYOUT_TOP | LAYOUT_RIGHT);
    m_layout->AddControl(&m_list, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    m_layout->AddControl(GetDlgItem(IDC_FILTER_SUMMARY), LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    return TRUE;
}

void CFilterPage::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_layout != nullptr && m_layout->GetCount() > 0)
    {
        m_layout->Apply();
        // The one column spans what the list shows, its scroll bar aside: no sideways scrolling.
        CRect inside;
        m_list.GetClientRect(&inside);
        if (inside.Width() > 0)
            m_list.SetColumnWidth(0, inside.Width());
    }
    Invalidate();
}

void CFilterPage::RefreshList()
{
    for (UINT_PTR id = 1; id <= m_toolCount; ++id)
        m_toolTip.DelTool(&m_list, id);
    m_toolCount = 0;
    m_list.Fill(m_pSet, true);
    for (int item = 0; item < m_list.GetFilterCount(); ++item)
    {
        FilterNode *filter = m_list.GetNode(item);
        CRect label;
        if (filter == nullptr || !m_list.GetItemRect(item, &label, LVIR_LABEL))
            continue;
        for (FilterNode *entry : filter->GetChildren())
        {
            if (m_toolTip.AddTool(&m_list, entry->GetText(), &label, m_toolCount + 1))
                ++m_toolCount;
        }
    }
    if (m_toolCount > 0)
        m_toolTip.Activate(TRUE);
}

void CFilterPage::UpdateSummary()
{
    m_summary = FormatSummary(m_fileCount, m_totalSize);
    SetDlgItemText(IDC_FILTER_SUMMARY, m_summary);
    // The static is drawn transparent: the background under its old text is painted again.
    if (CWnd *summary = GetDlgItem(IDC_FILTER_SUMMARY))
    {
        CRect area;
        summary->GetWindowRect(&area);
        ScreenToClient(&area);
        InvalidateRect(&area, TRUE);
    }
}

void CFilterPage::RecountFigures()
{
    const ULONGLONG previous = m_totalSize;
    m_fileCount = 0;
    m_totalSize = 0;
    std::unique_ptr<CFolderSizeScanner> own;
    if (m_pSet != nullptr)
    {
        for (FilterNode *filter : m_pSet->GetChildren())
        {
            FilterCategory *category = filter->GetCategory();
            if (category == nullptr || !IsChosen(filter))
                continue;
            std::vector<FilterConfiguration *> entries;
            for (const auto &configuration : category->GetConfigurations())
                entries.push_back(configuration.get());
            for (FilterConfiguration *entry : entries)
            {
                if (entry->IsFolder())
                {
                    if (m_pScanner != nullptr)
                        continue;
                    if (!own)
                    {
                        own = std::make_unique<CFolderSizeScanner>();
                        // An empty first entry: every later folder counts whole, without extension filtering.
                        own->AddFolder(L"");
                    }
                    own->AddFolder(entry->GetVal());
                }
                else if (CFolderSizeScanner *held = m_pScanner != nullptr ? m_pScanner : own.get())
                {
                    held->AddExtensionTotals(entry->GetVal(), m_fileCount, m_totalSize);
                }
            }
        }
    }
    if (own)
    {
        HANDLE thread = own->RestartScan();
        if (thread != nullptr)
            ::WaitForSingleObject(thread, INFINITE);
        m_fileCount = own->m_fileCount;
        m_totalSize = own->GetTotalSize(FALSE);
    }
    if (m_totalSize != previous)
        UpdateSummary();
}

void CFilterPage::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kRefreshTimer)
    {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    RecountFigures();
}

void CFilterPage::OnDestroy()
{
    KillTimer(kRefreshTimer);
    CDialog::OnDestroy();
}

BOOL CFilterPage::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg != nullptr && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST &&
        m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

void CFilterPage::OnOK()
{
}

void CFilterPage::OnCancel()
{
}

BOOL CFilterPage::OnEraseBkgnd(CDC *pDC)
{
    CRect client;
    GetClientRect(&client);
    if (m_background)
    {
        // The title's band at its own height, the rest of the picture stretched below it.
        Gdiplus::Graphics graphics(pDC->GetSafeHdc());
        const int pictureHeight = static_cast<int>(m_background->GetHeight());
        const int band = std::min(kTitleBand, std::min(pictureHeight, static_cast<int>(client.Height())));
        graphics.DrawImage(m_background.get(), Gdiplus::Rect(client.left, client.top, client.Width(), band), 0, 0,
                           static_cast<int>(m_background->GetWidth()), band, Gdiplus::UnitPixel);
        graphics.DrawImage(m_background.get(),
                           Gdiplus::Rect(client.left, client.top + band, client.Width(), client.Height() - band), 0,
                           band, static_cast<int>(m_background->GetWidth()), pictureHeight - band, Gdiplus::UnitPixel);
    }
    else
    {
        pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    }
    // The title: Tahoma 9 points, bold, black.
    LOGFONTW look = {};
    look.lfHeight = -::MulDiv(9, pDC->GetDeviceCaps(LOGPIXELSY), 72);
    look.lfWeight = FW_BOLD;
    look.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(look.lfFaceName, L"Tahoma");
    CFont font;
    if (font.CreateFontIndirect(&look))
    {
        CSelectObjectGuard selected(*pDC, font.GetSafeHandle());
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(RGB(0, 0, 0));
        pDC->TextOut(kTitleLeft, kTitleTop, m_name);
    }
    return TRUE;
}

HBRUSH CFilterPage::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == IDC_FILTER_SUMMARY)
    {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

LRESULT CFilterPage::OnFilterToggled(WPARAM, LPARAM)
{
    CheckDlgButton(IDC_FILTER_SET_SWITCH, m_pSet != nullptr && m_pSet->IsSelected() ? BST_CHECKED : BST_UNCHECKED);
    return 0;
}

void CFilterPage::OnSetSwitchClicked()
{
    if (m_pSet == nullptr)
        return;
    const int state = FilterWizardState();
    if (state != MAIN_MODE_BACKUP_IDLE && state != MAIN_MODE_BACKUP_RUNNING && m_list.GetItemCount() == 0)
    {
        // Nothing to turn on here: the box shows the set as it is.
        CheckDlgButton(IDC_FILTER_SET_SWITCH, m_pSet->IsSelected() ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    m_pSet->SetSelected(IsDlgButtonChecked(IDC_FILTER_SET_SWITCH) == BST_CHECKED ? 1 : 0);
    RefreshList();
}
