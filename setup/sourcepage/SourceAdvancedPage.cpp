#include "setup/sourcepage/SourceAdvancedPage.h"

#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/PathMatch.h"
#include "platform/controls/DataExchange.h"
#include "platform/drawing/Dc.h"
#include "setup/filterui/CustomFilterDlg.h"
#include "setup/filters/FilterTree.h"
#include "setup/sourcepage/SourcePageView.h"

namespace
{

const COLORREF kWhite = RGB(255, 255, 255);
const int kSplitterGrowth = 20;
const int kSplitterDrop = 2;
const UINT kHiddenCommands[] = {IDC_SOURCE_CUSTOM_FILTER, IDC_SOURCE_SHOW_HIDDEN};
const wchar_t kAdvanceFilterFileName[] = L"AdvanceFilter.xml";
// A two-way job's file list only shows what its folders hold.
const int kSyncTypeTwoWay = 2;

} // namespace

BEGIN_MESSAGE_MAP(CSourceAdvancedPage, CPageBase)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_SOURCE_CUSTOM_FILTER, &CSourceAdvancedPage::OnCustomFilter)
ON_BN_CLICKED(IDC_SOURCE_SHOW_HIDDEN, &CSourceAdvancedPage::OnToggleHidden)
END_MESSAGE_MAP()

CSourceAdvancedPage::CSourceAdvancedPage(int wizardFlag, CWnd *pParent)
    : CPageBase(IDD, pParent), m_wizardFlag(wizardFlag), m_splitter(2, 1, 30, 3),
      m_filterRoot(FilterNode::KIND_ROOT, nullptr, nullptr), m_showHidden(FALSE)
{
    m_filterRoot.SetSelected(1);
}

CSourceAdvancedPage::~CSourceAdvancedPage()
{
    // The controls show the category tree's nodes and call it: their windows go first.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CSourceAdvancedPage::DoDataExchange(CDataExchange *pDX)
{
    CPageBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOURCE_TREE, m_tree);
    DDX_Control(pDX, IDC_SOURCE_FILES, m_list);
}

bool CSourceAdvancedPage::IsRestoreView() const
{
    return IsRestoreViewFor(m_wizardFlag);
}

CSyncJob *CSourceAdvancedPage::SetJob(CSyncJob *job)
{
    CPageBase::SetJob(job);
    m_categoryTree.SetJob(job);
    return m_pJob;
}

BOOL CSourceAdvancedPage::OnInitDialog()
{
    CPageBase::OnInitDialog();
    LoadJobFilterFile();
    PlaceSplitter();
    if (m_pJob != nullptr && m_pJob->GetJobDef()->GetSyncType() == kSyncTypeTwoWay)
        m_list.SetCheckBoxesActive(FALSE);
    if (m_tree.GetSafeHwnd() != nullptr && m_list.GetSafeHwnd() != nullptr)
    {
        m_categoryTree.Attach(m_tree, m_list, IsRestoreView());
        m_categoryTree.SetItemCallback(&CSourceAdvancedPage::OnItemChanged, this);
        m_tree.SetFocus();
    }
    m_layout.Attach(this);
    if (m_splitter.GetSafeHwnd() != nullptr)
        m_layout.AddControl(&m_splitter, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    for (UINT id : kHiddenCommands)
    {
        if (CWnd *command = GetDlgItem(static_cast<int>(id)))
            m_layout.AddControl(command, LAYOUT_LEFT | LAYOUT_BOTTOM);
    }
    m_whiteBrush.DeleteObject();
    m_whiteBrush.CreateSolidBrush(kWhite);
    return FALSE;
}

void CSourceAdvancedPage::PlaceSplitter()
{
    if (m_tree.GetSafeHwnd() == nullptr || m_list.GetSafeHwnd() == nullptr)
        return;
    CRect treeRect;
    CRect listRect;
    m_tree.GetWindowRect(&treeRect);
    m_list.GetWindowRect(&listRect);
    ScreenToClient(&treeRect);
    ScreenToClient(&listRect);
    for (UINT id : kHiddenCommands)
    {
        if (CWnd *command = GetDlgItem(static_cast<int>(id)))
            command->ShowWindow(SW_HIDE);
    }
    treeRect.bottom += kSplitterGrowth;
    listRect.bottom += kSplitterGrowth;
    CRect area;
    area.UnionRect(&treeRect, &listRect);
    area.OffsetRect(0, kSplitterDrop);
    if (!m_splitter.Create(this, area, kSplitterId))
        return;
    m_tree.SetParent(&m_splitter);
    m_list.SetParent(&m_splitter);
    m_splitter.SetPane(0, &m_tree);
    m_splitter.SetPane(1, &m_list);
    const int sizes[] = {treeRect.Width(), listRect.Width()};
    m_splitter.SetPaneSizes(sizes);
}

void CSourceAdvancedPage::LoadJobFilterFile()
{
    const CString own = m_pJob != nullptr ? JobFilterFilePath(m_pJob->GetJobDef()->GetJobUUID()) : CString();
    CString loaded;
    LoadFilterFileOrDefault(&m_filterRoot, m_media, own.IsEmpty() ? DefaultFilterFilePath() : own, loaded);
}

BOOL CSourceAdvancedPage::LoadFilterTree(LPCWSTR path)
{
    return ::LoadFilterTree(&m_filterRoot, m_media, path) ? TRUE : FALSE;
}

void CSourceAdvancedPage::ReloadAdvanceFilter()
{
    LoadFilterTree(CutTrailingBackslashes(g_strAppFolder) + L"\\" + kAdvanceFilterFileName);
}

BOOL CSourceAdvancedPage::SaveFilterFile()
{
    if (m_pJob == nullptr)
        return FALSE;
    return m_media.Save(JobFilterFilePath(m_pJob->GetJobDef()->GetJobUUID())) ? TRUE : FALSE;
}

BOOL CSourceAdvancedPage::LoadFilters()
{
    LoadJobFilterFile();
    m_showHidden = FALSE;
    m_categoryTree.SetJob(m_pJob);
    m_categoryTree.Refresh(FALSE);
    return LoadPage();
}

void CSourceAdvancedPage::ReloadTree()
{
    m_categoryTree.Reload();
}

void CSourceAdvancedPage::OnItemChanged(FileTree::BaseNode *, void *)
{
    // The page reads the checks when it is saved; a single change needs nothing of it.
}

void CSourceAdvancedPage::OnCustomFilter()
{
    CCustomFilterDlg dialog(&m_filterRoot, m_pJob != nullptr ? m_pJob->GetJobDef() : nullptr,
                            m_exclude.IsEmpty() ? FALSE : TRUE, this, [this] {
                                m_include.Empty();
                                m_exclude.Empty();
                                ReloadAdvanceFilter();
                            });
    if (dialog.DoModal() != IDOK)
        return;
    // Nothing is written to the job here: the save does.
    if (dialog.m_excludeMode != 0)
    {
        m_exclude = dialog.m_strCustomText;
        m_include.Empty();
    }
    else
    {
        m_include = dialog.m_strCustomText;
        m_exclude.Empty();
    }
}

void CSourceAdvancedPage::OnToggleHidden()
{
    m_showHidden = m_showHidden ? FALSE : TRUE;
    m_categoryTree.Rebuild(m_showHidden);
}

void CSourceAdvancedPage::OnSize(UINT nType, int cx, int cy)
{
    CPageBase::OnSize(nType, cx, cy);
    if (m_layout.GetCount() > 0)
        m_layout.Apply();
    Invalidate();
}

BOOL CSourceAdvancedPage::OnEraseBkgnd(CDC *pDC)
{
    if (pDC != nullptr)
        PaintSourcePageBackground(*this, *pDC, IsRestoreView(), SourceHostArea(*this, false), nullptr);
    return TRUE;
}

HBRUSH CSourceAdvancedPage::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    if (nCtlColor == CTLCOLOR_SCROLLBAR || m_whiteBrush.GetSafeHandle() == nullptr)
        return CPageBase::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pDC != nullptr)
        pDC->SetBkColor(kWhite);
    return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
}

AdvancedSourcePageSlot MakeAdvancedSourcePageSlot()
{
    AdvancedSourcePageSlot slot;
    slot.make = [](int wizardFlag) -> std::unique_ptr<CPageBase> {
        return std::make_unique<CSourceAdvancedPage>(wizardFlag);
    };
    slot.loadFilters = [](CPageBase &page) -> BOOL {
        auto *advanced = dynamic_cast<CSourceAdvancedPage *>(&page);
        return advanced != nullptr ? advanced->LoadFilters() : TRUE;
    };
    slot.saveFilterFile = [](CPageBase &page) -> BOOL {
        auto *advanced = dynamic_cast<CSourceAdvancedPage *>(&page);
        return advanced != nullptr ? advanced->SaveFilterFile() : FALSE;
    };
    slot.reloadTree = [](CPageBase &page) {
        if (auto *advanced = dynamic_cast<CSourceAdvancedPage *>(&page))
            advanced->ReloadTree();
    };
    return slot;
}
