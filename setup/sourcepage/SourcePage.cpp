#include "setup/sourcepage/SourcePage.h"

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "platform/controls/DataExchange.h"
#include "setup/sourcepage/AdvancedSourcePageSlot.h"
#include "setup/sourcepage/SourcePageView.h"
#include "setup/sourcetree/FileTreeNode.h"

BEGIN_MESSAGE_MAP(CSourcePage, CPageBase)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONUP()
ON_BN_CLICKED(IDC_SOURCE_MODE_SWITCH, &CSourcePage::OnModeSwitch)
END_MESSAGE_MAP()

CSourcePage::CSourcePage(int wizardFlag, CWnd *pParent)
    : CPageBase(IDD, pParent), m_wizardFlag(wizardFlag), m_basicPage(wizardFlag), m_advanced(FALSE)
{
    const AdvancedSourcePageSlot slot = g_advancedSourcePage.Get();
    if (slot.make)
        m_advancedPage = slot.make(wizardFlag);
}

CSourcePage::~CSourcePage()
{
    // The sub-pages' windows are children of this one: they go with it, while their objects still exist.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CSourcePage::DoDataExchange(CDataExchange *pDX)
{
    CPageBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOURCE_MODE_SWITCH, m_modeSwitch);
}

bool CSourcePage::IsRestoreView() const
{
    return IsRestoreViewFor(m_wizardFlag);
}

CRect CSourcePage::TabRect(int tab)
{
    const int left = tab * (kTabWidth + kTabGap);
    return CRect(left, 0, left + kTabWidth, kTabHeight);
}

BOOL CSourcePage::OnInitDialog()
{
    CPageBase::OnInitDialog();
    m_header.reset(LoadSourcePageImage(L"backuptext.png"));
    CRect area;
    if (CWnd *placeholder = GetDlgItem(IDC_SOURCE_PAGE_AREA))
    {
        placeholder->GetWindowRect(&area);
        ScreenToClient(&area);
    }
    else
    {
        GetClientRect(&area);
    }
    area.top += kTabHeight;
    CPageBase *pages[] = {&m_basicPage, m_advancedPage.get()};
    m_layout.Attach(this);
    if (m_modeSwitch.GetSafeHwnd() != nullptr)
        m_layout.AddControl(&m_modeSwitch, LAYOUT_LEFT | LAYOUT_BOTTOM);
    for (CPageBase *page : pages)
    {
        if (page == nullptr)
            continue;
        if (!page->Create(page->GetTemplateId(), this))
        {
            AppLog.LogIdAt(L"SourcePage", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_TEMPLATE_MISSING,
                           static_cast<int>(page->GetTemplateId()));
            continue;
        }
        page->MoveWindow(&area);
        m_layout.AddControl(page, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    }
    if (m_modeSwitch.GetSafeHwnd() != nullptr)
        m_modeSwitch.ShowWindow(SW_HIDE);
    return TRUE;
}

CSyncJob *CSourcePage::SetJob(CSyncJob *job)
{
    CPageBase::SetJob(job);
    m_basicPage.SetJob(job);
    if (m_advancedPage)
        m_advancedPage->SetJob(job);
    return m_pJob;
}

CPageBase *CSourcePage::ActivePage() const
{
    return m_advanced ? m_advancedPage.get() : const_cast<CSourceBasicPage *>(&m_basicPage);
}

void CSourcePage::ShowMode(BOOL advanced)
{
    m_advanced = advanced;
    if (m_modeSwitch.GetSafeHwnd() != nullptr)
        m_modeSwitch.SetCheck(advanced ? BST_CHECKED : BST_UNCHECKED);
    if (m_basicPage.GetSafeHwnd() != nullptr)
        m_basicPage.ShowWindow(advanced ? SW_HIDE : SW_SHOW);
    if (m_advancedPage && m_advancedPage->GetSafeHwnd() != nullptr)
        m_advancedPage->ShowWindow(advanced ? SW_SHOW : SW_HIDE);
}

BOOL CSourcePage::LoadPage()
{
    const CJobDef *def = m_pJob != nullptr ? m_pJob->GetJobDef() : nullptr;
    const int folderToFolder = def != nullptr ? def->GetFolder2Folder() : 0;
    FileTree::SetSingleSelection(folderToFolder > 0);
    if (folderToFolder == 0)
    {
        ShowMode(def != nullptr && def->GetWizardMode() != 0 ? TRUE : FALSE);
        if (m_modeSwitch.GetSafeHwnd() != nullptr)
            m_modeSwitch.EnableWindow(TRUE);
    }
    else
    {
        // A folder-to-folder job chooses its folders in the tree only.
        ShowMode(TRUE);
        if (m_modeSwitch.GetSafeHwnd() != nullptr)
            m_modeSwitch.EnableWindow(FALSE);
    }
    CPageBase *page = ActivePage();
    return page != nullptr && page->GetSafeHwnd() != nullptr ? page->LoadPage() : TRUE;
}

BOOL CSourcePage::SavePage()
{
    // A step without its page passes, as the wizard's steps without a page do.
    CPageBase *page = ActivePage();
    return page != nullptr && page->GetSafeHwnd() != nullptr ? page->SavePage() : TRUE;
}

BOOL CSourcePage::LoadFilters()
{
    if (m_basicPage.GetSafeHwnd() == nullptr || !m_basicPage.LoadFilters())
        return FALSE;
    const AdvancedSourcePageSlot slot = g_advancedSourcePage.Get();
    if (!m_advancedPage || m_advancedPage->GetSafeHwnd() == nullptr || !slot.loadFilters)
        return TRUE;
    return slot.loadFilters(*m_advancedPage) ? TRUE : FALSE;
}

BOOL CSourcePage::SaveFilters()
{
    if (m_pJob == nullptr)
        return FALSE;
    BOOL saved = FALSE;
    if (m_advanced)
    {
        const AdvancedSourcePageSlot slot = g_advancedSourcePage.Get();
        saved = m_advancedPage && slot.saveFilterFile ? slot.saveFilterFile(*m_advancedPage) : FALSE;
    }
    else
    {
        saved = m_basicPage.SaveFilters();
    }
    m_pJob->GetJobDef()->SetWizardMode(m_advanced ? 1 : 0);
    return saved;
}

void CSourcePage::ReloadTree()
{
    const AdvancedSourcePageSlot slot = g_advancedSourcePage.Get();
    if (m_advancedPage && m_advancedPage->GetSafeHwnd() != nullptr && slot.reloadTree)
        slot.reloadTree(*m_advancedPage);
}

void CSourcePage::OnModeSwitch()
{
    // Without an advanced page there is nothing to switch to.
    if (!m_advanced && !m_advancedPage)
    {
        ShowMode(FALSE);
        return;
    }
    ShowMode(m_advanced ? FALSE : TRUE);
}

void CSourcePage::OnLButtonUp(UINT nFlags, CPoint point)
{
    CPageBase::OnLButtonUp(nFlags, point);
    if (!IsRestoreView())
        return;
    BOOL chosen = m_advanced;
    if (TabRect(0).PtInRect(point) && m_advanced)
        chosen = FALSE;
    else if (TabRect(1).PtInRect(point) && !m_advanced && m_advancedPage)
        chosen = TRUE;
    if (chosen == m_advanced)
        return;
    ShowMode(chosen);
    CRect band(0, 0, 3 * kTabWidth, kTabHeight);
    InvalidateRect(&band, TRUE);
}

void CSourcePage::OnSize(UINT nType, int cx, int cy)
{
    CPageBase::OnSize(nType, cx, cy);
    if (m_layout.GetCount() > 0)
        m_layout.Apply();
    Invalidate();
}
