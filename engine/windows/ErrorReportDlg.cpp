#include "engine/windows/ErrorReportDlg.h"

#include <cwchar>

#include "outside/Phrasel/PhraselIds.h"
#include "engine/job/CopyErrorList.h"
#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"

namespace
{

// Posted to the window when the items grew.
const UINT WM_ERROR_ITEMS_CHANGED = WM_APP + 0x141;

const int kTimeColumnWidth = 120;
const LPCWSTR kTimeFormat = L"%m/%d/%y %I:%M:%S %p";

} // namespace

const UINT CErrorReportDlg::IDD = IDD_ERROR_REPORT;

BEGIN_MESSAGE_MAP(CErrorReportDlg, CDialog)
ON_NOTIFY(LVN_GETDISPINFOW, IDC_ERROR_LIST, &CErrorReportDlg::OnGetDispInfo)
ON_MESSAGE(WM_ERROR_ITEMS_CHANGED, &CErrorReportDlg::OnItemCountChanged)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CErrorReportDlg::CErrorReportDlg(CSyncJob *job) : CDialog(IDD_ERROR_REPORT, nullptr), m_pJob(job), m_nColumnWidth(0)
{
}

CErrorReportDlg::~CErrorReportDlg()
{
    DestroyWindow();
}

CCopyErrorList *CErrorReportDlg::Items() const
{
    return m_pJob != nullptr ? &m_pJob->GetErrorList() : nullptr;
}

void CErrorReportDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ERROR_LIST, m_list);
}

void CErrorReportDlg::AddErrorItem(LPCWSTR text, const __time64_t *time)
{
    // The items tell this window themselves once it is open.
    if (CCopyErrorList *items = Items())
        items->AddErrorItem(text, time != nullptr ? *time : _time64(nullptr));
}

void CErrorReportDlg::SyncItemCount()
{
    if (m_list.GetSafeHwnd() == nullptr)
        return;
    CCopyErrorList *items = Items();
    const size_t count = items != nullptr ? items->GetCount() : 0;
    const int shown = count > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
    if (shown != m_list.GetItemCount())
        m_list.SetItemCountEx(shown, LVSICF_NOINVALIDATEALL);
}

LRESULT CErrorReportDlg::OnItemCountChanged(WPARAM, LPARAM)
{
    // Acknowledged before the count is read: an item added from here on posts again.
    if (CCopyErrorList *items = Items())
        items->NotifyReceived();
    SyncItemCount();
    return 0;
}

void CErrorReportDlg::ShowReport(LPCWSTR title, LPCWSTR)
{
    if (GetSafeHwnd() == nullptr && !Create(IDD_ERROR_REPORT, nullptr))
        return;
    SyncItemCount();
    CJobDef *jobDef = m_pJob != nullptr ? m_pJob->GetJobDef() : nullptr;
    if (jobDef != nullptr && jobDef->GetSuppressErrorLogWindow() != 0)
        return;

    SetWindowText(title != nullptr ? title : L"");
    ShowWindow(SW_SHOWNORMAL);
    CRect rect;
    GetWindowRect(&rect);
    SetWindowPos(&CWnd::wndTop, rect.left, rect.top, rect.Width(), rect.Height(), SWP_SHOWWINDOW);
}

BOOL CErrorReportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list.GetSafeHwnd() != nullptr)
    {
        m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, AfxLoadText(IDS_ERROR_COLUMN_TIME), LVCFMT_LEFT, kTimeColumnWidth);
        CRect client;
        m_list.GetClientRect(&client);
        m_nColumnWidth = client.Width() - kTimeColumnWidth;
        m_list.InsertColumn(1, AfxLoadText(IDS_ERROR_COLUMN_MESSAGE), LVCFMT_LEFT, m_nColumnWidth);
    }
    // The window is made known before the count is read, so that an item added meanwhile is not missed.
    if (CCopyErrorList *items = Items())
        items->SetNotifyWindow(GetSafeHwnd(), WM_ERROR_ITEMS_CHANGED);
    SyncItemCount();
    return TRUE;
}

void CErrorReportDlg::OnDestroy()
{
    if (CCopyErrorList *items = Items())
        items->ClearNotifyWindow(GetSafeHwnd());
    CDialog::OnDestroy();
}

CString CErrorReportDlg::GetItemText(int item, int subItem) const
{
    CCopyErrorList *items = Items();
    CopyErrorItem entry;
    if (items == nullptr || item < 0 || !items->GetItem(static_cast<size_t>(item), entry))
        return CString();
    if (subItem == 0)
        return FormatTime(entry.time, kTimeFormat);
    if (subItem == 1)
        return entry.text;
    return CString();
}

void CErrorReportDlg::OnGetDispInfo(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    auto *info = reinterpret_cast<NMLVDISPINFOW *>(pNMHDR);
    LVITEMW &item = info->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0)
        return;

    // The item is copied out of the job under its lock, and the text into the list's own buffer: a run
    // thread may grow the items (and move them) at any moment.
    const CString text = GetItemText(item.iItem, item.iSubItem);
    ::lstrcpynW(item.pszText, text, item.cchTextMax);

    if (item.iSubItem == 1 && m_list.GetSafeHwnd() != nullptr)
    {
        const int width = static_cast<int>(
            ::SendMessageW(m_list.GetSafeHwnd(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(item.pszText)));
        // Only a wider text resizes the column: every resize repaints the list, which asks again.
        if (width > m_nColumnWidth)
        {
            m_nColumnWidth = width;
            m_list.SetColumnWidth(1, m_nColumnWidth + 50);
        }
    }
}

void CErrorReportDlg::OnOK()
{
    CJobDef *jobDef = m_pJob != nullptr ? m_pJob->GetJobDef() : nullptr;
    if (jobDef != nullptr && IsDlgButtonChecked(IDC_ERROR_SUPPRESS) == BST_CHECKED)
        jobDef->SetSuppressErrorLogWindow(1);
    ShowWindow(SW_HIDE);
}
