// The main dialog's initialisation, once its window exists.
#include "app/window/QordelDlg.h"

#include "app/start/Qordel.h"
#include "app/start/QordelObjects.h"
#include "app/window/MainLayout.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "setup/shell/SystemImageList.h"
#include "ui/skin/SkinGlobals.h"

#include <algorithm>

namespace
{

const wchar_t kTrayTip[] = L"Orvane Velbrook Data Backup";
// Pixels between the restore page and its first option below it.
const int kRestoreOptionsGap = 4;

CSize ImageSize(Gdiplus::Image *image)
{
    if (!IsSkinImageValid(image))
        return CSize(0, 0);
    return CSize(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()));
}

} // namespace

BOOL CQordelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    InitSystemMenu();

    m_mainMenu.DestroyMenu();
    if (m_mainMenu.LoadMenu(IDR_MAIN_MENU))
        m_mainMenu.RemoveMenu(ID_MENU_32797, MF_BYCOMMAND);
    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(m_backgroundColour);
    const UINT bitmapIds[] = {IDB_MAIN_BITMAP_1, IDB_MAIN_BITMAP_2, IDB_MAIN_BITMAP_3};
    for (int i = 0; i < 3; ++i)
    {
        m_bitmaps[i].DeleteObject();
        m_bitmaps[i].LoadBitmap(bitmapIds[i]);
    }

    g_instanceChecker.TrackFirstInstanceRunning();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    InitTrayIconRecord();
    m_trayMenu.DestroyMenu();
    m_trayMenu.LoadMenu(IDR_TRAY_MENU);
    GetWindowRect(&m_rectInitialWindow);
    // A start without jobs makes the one-click job; the job list shows it with the others below.
    if (m_jobList.GetCount() == 0)
        PrepareDefaultJob(TRUE);

    GetClientRect(&m_rectInitialClient);
    // The skin is painted in one piece over the client area: the children must keep their own pixels.
    ModifyStyle(0, WS_CLIPCHILDREN);
    ComputeLogoRects();
    g_layoutText.Set(kLayoutTextFirst);
    CreateJobListView();

    const int hidden[] = {IDC_RUN_JOBS, IDC_MAIN_BUTTON_3, IDCANCEL};
    for (int id : hidden)
    {
        CWnd *control = GetDlgItem(id);
        if (control != nullptr)
            control->ShowWindow(SW_HIDE);
    }

    if (m_pJobListView != nullptr)
    {
        for (INT_PTR i = 0; i < m_jobList.GetCount(); ++i)
            m_pJobListView->AddJob(m_jobList.GetAt(i)->GetJobDef());
    }
    InitDriveBar();
    InitRestoreFolderEdit();
    g_systemImageList.Init();
    m_layout.Attach(this);
    if (m_pJobListView != nullptr)
        m_layout.AddControl(m_pJobListView, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    if (CWnd *driveBar = GetDlgItem(IDC_DRIVE_BAR))
        m_layout.AddControl(driveBar, LAYOUT_RIGHT | LAYOUT_BOTTOM);
    // The restore options stand under the restore page and go down with it.
    for (int id : {IDC_RESTORE_TO_ORIGIN, IDC_RESTORE_TO_OTHER, IDC_RESTORE_FOLDER, IDC_RESTORE_OPTION})
        if (CWnd *option = GetDlgItem(id))
            m_layout.AddControl(option, LAYOUT_LEFT | LAYOUT_BOTTOM);

    SetDlgItemText(IDC_BACK, AfxLoadText(IDS_BUTTON_CANCEL));
    SetWindowText(kApplicationName);
    viewState = 0;
    PlaceSkinButtons(m_rectInitialClient.Width());
    UpdateView();
    m_statusBlock.SetWindow(m_hWnd);
    return TRUE;
}

void CQordelDlg::CreateJobListView()
{
    CJobListView *view = dynamic_cast<CJobListView *>(RUNTIME_CLASS(CJobListView)->CreateObject());
    if (view == nullptr)
        return;
    const CRect place(0, 50, m_rectInitialClient.Width(), 450);
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, place, this, IDC_JOB_LIST_VIEW))
    {
        // Without a window the view is still only an object of ours.
        delete view;
        return;
    }
    view->ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
    view->ShowWindow(SW_SHOW);
    view->OnInitialUpdate();
    view->SetOwner(this);
    view->m_pButtonsOwner = this;
    CSingleLock hold(&m_viewLock, TRUE);
    m_pJobListView = view;
}

void CQordelDlg::InitDriveBar()
{
    if (m_driveBar.GetSafeHwnd() == nullptr)
        m_driveBar.SubclassDlgItem(IDC_DRIVE_BAR, this);
    m_driveBar.Reset();
    // The bar shows the program's own drive, never a job's destination: a network destination would be asked
    // for its space on every tick of the user-interface thread.
    if (m_jobList.GetCount() > 0)
        m_driveBar.SetPath(g_strComputerFolder);
}

void CQordelDlg::InitSystemMenu()
{
    const CString about = AfxLoadText(IDS_ABOUTBOX);
    CMenu *systemMenu = GetSystemMenu(FALSE);
    if (systemMenu == nullptr || about.IsEmpty())
        return;
    systemMenu->AppendMenu(MF_SEPARATOR);
    systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
}

void CQordelDlg::InitTrayIconRecord()
{
    m_trayIcon.hWnd = m_hWnd;
    m_trayIcon.uID = 1;
    m_trayIcon.uFlags |= NIF_ICON | NIF_TIP;
    lstrcpynW(m_trayIcon.szTip, kTrayTip, _countof(m_trayIcon.szTip));
}

CRect CQordelDlg::PageRect(int page)
{
    CRect rect = m_rectPageArea;
    CWnd *firstOption = page == 1 ? GetDlgItem(IDC_RESTORE_TO_ORIGIN) : nullptr;
    if (firstOption != nullptr)
    {
        CRect option;
        firstOption->GetWindowRect(&option);
        ScreenToClient(&option);
        rect.bottom = std::max(rect.top, std::min(rect.bottom, option.top - kRestoreOptionsGap));
    }
    return rect;
}

void CQordelDlg::ComputeLogoRects()
{
    m_rectPageArea.SetRectEmpty();
    CWnd *pageArea = GetDlgItem(IDC_PAGE_AREA);
    if (pageArea != nullptr)
    {
        pageArea->GetWindowRect(&m_rectPageArea);
        ScreenToClient(&m_rectPageArea);
    }
    const CSize brenmark = ImageSize(g_skinImages[SKIN_IMAGE_BRENMARK_LOGO]);
    const CSize orvane = ImageSize(g_skinImages[SKIN_IMAGE_ORVANE_LOGO]);
    m_rectBrenmarkLogo.SetRect(m_rectPageArea.left, 60, m_rectPageArea.left + brenmark.cx, 60 + brenmark.cy);
    m_rectOrvaneLogo.SetRect(m_rectPageArea.right - orvane.cx, m_rectBrenmarkLogo.bottom - orvane.cy,
                             m_rectPageArea.right, m_rectBrenmarkLogo.bottom);
}

void CQordelDlg::InitRestoreFolderEdit()
{
    if (m_restoreFolderEdit.GetSafeHwnd() != nullptr)
        return;
    m_restoreFolderEdit.SetOwner(this);
    m_restoreFolderEdit.SetFrameBitmaps(IDB_EDIT_FRAME_LEFT, IDB_EDIT_FRAME_MIDDLE, IDB_EDIT_FRAME_RIGHT);
    m_restoreFolderEdit.SetActiveFrameBitmaps(IDB_EDIT_FRAME2_LEFT, IDB_EDIT_FRAME2_MIDDLE, IDB_EDIT_FRAME2_RIGHT);
    m_restoreFolderEdit.SubclassDlgItem(IDC_RESTORE_FOLDER, this);
    m_restoreFolderEdit.SetButtonMessage(WM_EDIT_BUTTON_CLICK);
}
