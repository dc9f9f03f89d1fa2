#include "setup/sourcepage/SourceBasicPage.h"

#include <algorithm>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"
#include "setup/filters/FilterTree.h"
#include "setup/resources/SetupResourceIds.h"
#include "setup/shell/SystemImageList.h"
#include "setup/sourcepage/SourcePageView.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const UINT kBoxPlaces[CSourceBasicPage::kBoxCount] = {IDC_SOURCE_BOX_1, IDC_SOURCE_BOX_2, IDC_SOURCE_BOX_3,
                                                      IDC_SOURCE_BOX_4};
// The last box shows no size.
const int kScannedBoxes = 3;
const int kDriveColumnWidth = 190;
// State images of the drive list.
const int kUnchecked = 1;
const int kChecked = 2;
// The frame picture reaches this far around the drive list.
const int kListFrame = 4;

} // namespace

BEGIN_MESSAGE_MAP(CSourceBasicPage, CPageBase)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSourceBasicPage::CSourceBasicPage(int wizardFlag, CWnd *pParent) : CPageBase(IDD, pParent), m_wizardFlag(wizardFlag)
{
}

CSourceBasicPage::~CSourceBasicPage()
{
    // The boxes' windows go while the tree and the scanner they read still exist.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CSourceBasicPage::DoDataExchange(CDataExchange *pDX)
{
    CPageBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOURCE_DRIVE_LIST, m_driveList);
}

bool CSourceBasicPage::IsRestoreView() const
{
    return IsRestoreViewFor(m_wizardFlag);
}

BOOL CSourceBasicPage::OnInitDialog()
{
    CPageBase::OnInitDialog();
    SetUpDriveList();
    FillDriveList();

    if (!m_filterRoot)
    {
        m_media = std::make_unique<FiltersMedia>();
        m_filterRoot = std::make_unique<FilterNode>(FilterNode::KIND_ROOT, nullptr, nullptr);
    }
    LoadFilterFile();
    for (int i = 0; i < kBoxCount; ++i)
    {
        if (!m_boxes[i].SelectFilterSet(m_filterRoot.get(), i, this))
            continue;
        if (CWnd *place = GetDlgItem(static_cast<int>(kBoxPlaces[i])))
        {
            CRect rect;
            place->GetWindowRect(&rect);
            ScreenToClient(&rect);
            m_boxes[i].MoveWindow(&rect);
        }
        m_boxes[i].ShowWindow(SW_SHOW);
    }
    StartSizeScan();
    StartBoxRefresh();
    if (!g_strSkinFolder.IsEmpty())
    {
        for (int i = 0; i < kBoxCount; ++i)
        {
            CString name;
            name.Format(L"ezbox%d.png", i + 1);
            m_boxes[i].LoadBackground(g_strSkinFolder + name);
        }
    }
    m_background.reset(LoadSourcePageImage(L"backup_bk.png"));

    m_layout.Attach(this);
    if (m_driveList.GetSafeHwnd() != nullptr)
        m_layout.AddControl(&m_driveList, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_BOTTOM);
    CRect client, places[kBoxCount];
    GetClientRect(&client);
    for (int i = 0; i < kBoxCount; ++i)
    {
        if (CWnd *place = GetDlgItem(static_cast<int>(kBoxPlaces[i])))
        {
            place->GetWindowRect(&places[i]);
            ScreenToClient(&places[i]);
        }
    }
    m_boxMargins.SetRect(places[0].left, places[0].top, client.right - places[1].right,
                         client.bottom - places[2].bottom);
    m_boxSize = places[0].Size();
    m_boxGap = CSize(places[1].left - places[0].right, places[2].top - places[0].bottom);
    return TRUE;
}

void CSourceBasicPage::PlaceBoxes()
{
    CRect area;
    GetClientRect(&area);
    area.DeflateRect(m_boxMargins.left, m_boxMargins.top, m_boxMargins.right, m_boxMargins.bottom);
    const int width = std::max(0L, std::min<LONG>(m_boxSize.cx, (area.Width() - m_boxGap.cx) / 2));
    const int height = std::max(0L, std::min<LONG>(m_boxSize.cy, (area.Height() - m_boxGap.cy) / 2));
    const CRect corners[kBoxCount] = {
        CRect(area.left, area.top, area.left + width, area.top + height),
        CRect(area.right - width, area.top, area.right, area.top + height),
        CRect(area.left, area.bottom - height, area.left + width, area.bottom),
        CRect(area.right - width, area.bottom - height, area.right, area.bottom),
    };
    for (int i = 0; i < kBoxCount; ++i)
    {
        if (m_boxes[i].GetSafeHwnd() != nullptr)
            m_boxes[i].MoveWindow(&corners[i]);
    }
}

void CSourceBasicPage::SetUpDriveList()
{
    if (m_driveList.GetSafeHwnd() == nullptr)
        return;
    m_driveList.SetExtendedStyle(m_driveList.GetExtendedStyle() | LVS_EX_CHECKBOXES);
    m_driveList.InsertColumn(0, AfxLoadText(IDS_DRIVE_LIST_TITLE), LVCFMT_CENTER, kDriveColumnWidth);
    // The shell's large icons as the rows' icons: the list shares them and must never destroy them.
    m_driveList.SetImageList(CImageList::FromHandle(ShellSystemImageList(false)), LVSIL_SMALL);
    if (m_checkImages.GetSafeHandle() == nullptr)
        m_checkImages.Create(IDB_SOURCE_CHECKS, 32, 0, RGB(255, 255, 255));
    if (m_checkImages.GetSafeHandle() == nullptr)
        return;
    // The check boxes the list made for its check-box style are the list's no more: they are freed here.
    CImageList *made = m_driveList.SetImageList(&m_checkImages, LVSIL_STATE);
    HIMAGELIST madeList = made != nullptr ? made->GetSafeHandle() : nullptr;
    if (madeList != nullptr && madeList != m_checkImages.GetSafeHandle())
        ::ImageList_Destroy(madeList);
}

void CSourceBasicPage::FillDriveList()
{
    if (m_driveList.GetSafeHwnd() == nullptr)
        return;
    m_driveList.DeleteAllItems();
    m_drivePaths.RemoveAll();
    for (const FileTree::ComputerDrive &drive : FileTree::ListComputerDrives(m_hWnd))
    {
        const int index = m_driveList.InsertItem(static_cast<int>(m_drivePaths.GetSize()), drive.name, drive.icon);
        if (index < 0)
            continue;
        m_drivePaths.Add(drive.path);
        SetDriveChecked(index, FALSE);
    }
}

BOOL CSourceBasicPage::IsDriveChecked(int index) const
{
    if (m_driveList.GetSafeHwnd() == nullptr)
        return FALSE;
    return (m_driveList.GetItemState(index, LVIS_STATEIMAGEMASK) >> 12) == kChecked ? TRUE : FALSE;
}

void CSourceBasicPage::SetDriveChecked(int index, BOOL checked)
{
    if (m_driveList.GetSafeHwnd() != nullptr)
        m_driveList.SetItemState(index, INDEXTOSTATEIMAGEMASK(checked ? kChecked : kUnchecked), LVIS_STATEIMAGEMASK);
}

int CSourceBasicPage::FindDrive(const CString &root) const
{
    for (int i = 0; i < GetDriveCount(); ++i)
    {
        // A store written by hand or by an older program may say "c:\" for "C:\".
        if (m_drivePaths[i].CompareNoCase(root) == 0)
            return i;
    }
    return -1;
}

CString CSourceBasicPage::ChooseFilterFile() const
{
    if (m_pJob == nullptr)
        return DefaultFilterFilePath();
    const CString own = JobFilterFilePath(m_pJob->GetJobDef()->GetJobUUID());
    if (IsRestoreView())
        return own;
    IMainWindowServices *main = g_pMainDlg.load();
    return main != nullptr && main->GetUseBasicFilter() ? DefaultFilterFilePath() : own;
}

BOOL CSourceBasicPage::LoadFilterFile()
{
    if (!m_filterRoot)
        return FALSE;
    return LoadFilterFileOrDefault(m_filterRoot.get(), *m_media, ChooseFilterFile(), m_filterFilePath);
}

void CSourceBasicPage::StartSizeScan()
{
    if (m_pJob == nullptr)
        return;
    CFolderSizeScanner &jobScanner = m_pJob->GetJobDef()->GetFolderSizeScanner();
    m_scanner.StartScan(jobScanner.GetFolders(), jobScanner.GetIncludeText(), jobScanner.GetExcludeText());
}

void CSourceBasicPage::StartBoxRefresh()
{
    // The last box has no scanner of the page's: with none it would scan its folders itself on every tick.
    for (int i = 0; i < kScannedBoxes; ++i)
        m_boxes[i].StartRefresh(&m_scanner);
}

BOOL CSourceBasicPage::LoadFilters()
{
    LoadFilterFile();
    for (CFilterPage &box : m_boxes)
        box.SetFilterList(m_filterRoot.get());
    StartSizeScan();
    StartBoxRefresh();
    return LoadPage();
}

BOOL CSourceBasicPage::LoadPage()
{
    if (m_pJob == nullptr)
        return TRUE;
    CStringArray sources;
    try
    {
        XmlReadSrcList(m_pJob->GetElement(), sources);
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"SourceBasicPage", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
    for (int i = 0; i < GetDriveCount(); ++i)
    {
        BOOL checked = FALSE;
        for (INT_PTR s = 0; s < sources.GetSize() && !checked; ++s)
            checked = sources[s].GetLength() == 3 && sources[s].CompareNoCase(m_drivePaths[i]) == 0;
        SetDriveChecked(i, checked);
    }
    return TRUE;
}

ULONGLONG CSourceBasicPage::SumOfBoxTotals() const
{
    ULONGLONG total = 0;
    for (const CFilterPage &box : m_boxes)
        total += box.GetTotalSize();
    return total;
}

BOOL CSourceBasicPage::SaveFilters()
{
    if (m_pJob == nullptr || !m_media)
        return FALSE;
    return m_media->Save(JobFilterFilePath(m_pJob->GetJobDef()->GetJobUUID())) ? TRUE : FALSE;
}

void CSourceBasicPage::OnSize(UINT nType, int cx, int cy)
{
    CPageBase::OnSize(nType, cx, cy);
    if (m_layout.GetCount() > 0)
        m_layout.Apply();
    if (m_boxSize.cx > 0)
        PlaceBoxes();
    Invalidate();
}

BOOL CSourceBasicPage::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr)
        return TRUE;
    CRect frame;
    if (m_driveList.GetSafeHwnd() != nullptr)
    {
        m_driveList.GetWindowRect(&frame);
        ScreenToClient(&frame);
        frame.InflateRect(kListFrame, kListFrame);
    }
    Gdiplus::Image *background = m_background.get();
    PaintSourcePageBackground(
        *this, *pDC, IsRestoreView(), SourceHostArea(*this, false), [background, frame](Gdiplus::Graphics &graphics) {
            if (background != nullptr && !frame.IsRectEmpty())
                graphics.DrawImage(background, frame.left, frame.top, frame.Width(), frame.Height());
        });
    return TRUE;
}
