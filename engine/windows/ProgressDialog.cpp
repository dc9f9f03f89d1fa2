#include "engine/windows/ProgressDialog.h"

#include <algorithm>

#include "outside/Phrasel/PhraselIds.h"
#include "engine/job/MainWindowServices.h"
#include "engine/program/ProgramObjects.h"
#include "engine/job/SyncJob.h"
#include "platform/drawing/Dc.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Clock.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "ui/skin/SdSkinDlg.h"
#include "ui/skin/SkinGlobals.h"
#include "ui/skin/SkinProgressBar.h"

namespace
{

const UINT kIconId = 128;

std::unique_ptr<Gdiplus::Image> LoadSkinImage(LPCWSTR name)
{
    CString path = g_strSkinFolder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\')
        path += L'\\';
    path += name;
    return std::unique_ptr<Gdiplus::Image>(new Gdiplus::Image(path));
}

bool IsBackupMode(int mode)
{
    return mode == MAIN_MODE_BACKUP_IDLE || mode == MAIN_MODE_BACKUP_RUNNING;
}

} // namespace

const UINT CProgressDialog::IDD = IDD_PROGRESS_DIALOG;

BEGIN_MESSAGE_MAP(CProgressDialog, CDialog)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_ERASEBKGND()
ON_WM_CLOSE()
ON_COMMAND(IDOK, &CProgressDialog::OnOkCommand)
ON_MESSAGE(WM_PROGRESS_UPDATE, &CProgressDialog::OnProgressUpdate)
END_MESSAGE_MAP()

CProgressDialog::CProgressDialog(CWnd *pParent)
    : CDialog(IDD_PROGRESS_DIALOG, pParent), m_pCurrentBanner(nullptr), m_hIcon(nullptr)
{
    // A shared icon: the system keeps it, nothing frees it.
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(kIconId), RT_GROUP_ICON);
    m_hIcon = ::LoadIconW(module, MAKEINTRESOURCEW(kIconId));
    m_background = LoadSkinImage(L"dialog.png");
    m_backupBanner = LoadSkinImage(L"backupprogress.png");
    m_restoreBanner = LoadSkinImage(L"restoreprogress.png");
}

CProgressDialog::~CProgressDialog()
{
    // The window goes before the images and the element it paints with.
    DestroyWindow();
}

void CProgressDialog::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_BAR, m_progress);
    DDX_Control(pDX, IDC_PROGRESS_TEXT, m_textArea);
}

CRect CProgressDialog::CloseButtonRect(int clientWidth)
{
    return CSdSkinDlg::CloseButtonRect(clientWidth);
}

BOOL CProgressDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    if (m_hIcon != nullptr)
    {
        SetIcon(m_hIcon, TRUE);
        SetIcon(m_hIcon, FALSE);
    }

    ShowButton(IDOK, FALSE);

    // The strip of the main window's own close button when it has one, else the shared one.
    Gdiplus::Image *strip = nullptr;
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    if (mainWindow != nullptr && mainWindow->GetWindowHandle() != nullptr &&
        IsSkinImageValid(mainWindow->GetCloseImage()))
        strip = mainWindow->GetCloseImage();
    else if (IsSkinImageValid(g_skinImages[SKIN_IMAGE_CLOSE]))
        strip = g_skinImages[SKIN_IMAGE_CLOSE];
    m_pCloseButton.reset();
    if (strip != nullptr)
    {
        CRect client;
        GetClientRect(&client);
        const CRect rect = CloseButtonRect(client.Width());
        m_pCloseButton.reset(new CSkinButtonNew(L"", IDCANCEL, &rect, nullptr));
        m_pCloseButton->SetImage(strip);
    }

    m_strStatus.Empty();
    m_estimate.Reset();

    if (m_textArea.GetSafeHwnd() != nullptr)
        m_textArea.ShowWindow(SW_HIDE);
    SetDlgItemText(IDCANCEL, AfxLoadText(IDS_BUTTON_CANCEL));
    CWnd *ok = GetDlgItem(IDOK);
    if (ok != nullptr)
    {
        const CRect cancel = ControlRect(IDCANCEL);
        if (!cancel.IsRectEmpty())
            ok->MoveWindow(&cancel, FALSE);
    }
    return TRUE;
}

CRect CProgressDialog::ControlRect(int id) const
{
    CRect rect;
    CWnd *control = GetDlgItem(id);
    if (control == nullptr)
        return rect;
    control->GetWindowRect(&rect);
    ScreenToClient(&rect);
    return rect;
}

void CProgressDialog::InvalidateTextArea()
{
    if (GetSafeHwnd() == nullptr)
        return;
    const CRect rect = ControlRect(IDC_PROGRESS_TEXT);
    if (!rect.IsRectEmpty())
        InvalidateRect(&rect);
}

void CProgressDialog::ShowButton(int id, BOOL show)
{
    CWnd *button = GetDlgItem(id);
    if (button == nullptr)
        return;
    button->EnableWindow(show);
    button->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

int CProgressDialog::GetBarPosition() const
{
    return m_progress.GetSafeHwnd() != nullptr ? m_progress.GetPos() : 0;
}

void CProgressDialog::SetBarPosition(int pos)
{
    if (m_progress.GetSafeHwnd() == nullptr)
        return;
    pos = std::min(std::max(pos, 0), 100);
    const int old = m_progress.GetPos();
    if (pos == old)
        return;
    m_progress.SetPos(pos);

    const CRect bar = ControlRect(IDC_PROGRESS_BAR);
    if (pos > 0 && pos < 100)
    {
        // The centred percentage and the stretch between the old and the new end of the filled part.
        const double unit = bar.Width() / 100.0;
        const CRect text(bar.left + static_cast<int>(45 * unit) - 1, bar.top,
                         bar.left + static_cast<int>(55 * unit) + 1, bar.bottom);
        InvalidateRect(&text);
        const int from = std::min(old, pos);
        const int to = std::max(old, pos);
        const CRect grown(std::max(bar.left, bar.left + static_cast<int>(from * unit) - 4), bar.top,
                          std::min(bar.right, bar.left + static_cast<int>(to * unit) + 4), bar.bottom);
        InvalidateRect(&grown);
    }
    else
    {
        InvalidateRect(&bar);
    }
    InvalidateTextArea();
}

void CProgressDialog::ClearBar()
{
    if (GetBarPosition() != 0)
        SetBarPosition(0);
}

void CProgressDialog::ResetProgress(BOOL show)
{
    ClearBar();
    if (GetSafeHwnd() == nullptr && !CDialog::Create(IDD_PROGRESS_DIALOG, nullptr))
        return;

    IMainWindowServices *mainWindow = g_pMainDlg.load();
    const int mode = mainWindow != nullptr ? mainWindow->GetMode() : MAIN_MODE_BACKUP_IDLE;
    if (IsBackupMode(mode))
    {
        SetWindowText(AfxLoadText(IDS_PROGRESS_TITLE_BACKUP));
        m_pCurrentBanner = m_backupBanner.get();
    }
    else
    {
        SetWindowText(AfxLoadText(IDS_PROGRESS_TITLE_RESTORE));
        m_pCurrentBanner = m_restoreBanner.get();
    }

    // Each run measures its own rate from its own start.
    m_estimate.Reset();
    m_strStatus.Empty();
    InvalidateTextArea();
    ShowButton(IDCANCEL, TRUE);
    ShowButton(IDOK, FALSE);
    ShowWindow(show ? SW_SHOWNORMAL : SW_HIDE);
}

void CProgressDialog::ShowCompleted()
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    CSyncJob *job = mainWindow != nullptr ? mainWindow->GetRunningJob() : nullptr;
    if (job == nullptr || GetSafeHwnd() == nullptr)
        return;

    ProgressStatusStrings strings;
    strings.statusFormat = AfxLoadText(IDS_PROGRESS_STATUS);
    strings.preparing = AfxLoadText(IDS_PROGRESS_PREPARING);
    strings.totalFirst = IsTotalFirstLanguage(g_strLanguage);
    const ProgressUpdate update =
        ComputeProgressUpdate(m_estimate, job->m_bytesDone, job->m_bytesTotal, g_pfnClock(), strings);
    m_strStatus = update.statusText;
    SetBarPosition(update.percent);
    InvalidateTextArea();
}

void CProgressDialog::ShowFinished(LPCWSTR message, int, int)
{
    if (GetSafeHwnd() == nullptr)
        return;
    SetBarPosition(100);
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    const int mode = mainWindow != nullptr ? mainWindow->GetMode() : MAIN_MODE_BACKUP_IDLE;
    // The end message the main window chose says what the run did; "finished" alone may not be the truth.
    if (message != nullptr && *message != L'\0')
        m_strStatus = message;
    else
        m_strStatus = AfxLoadText(IsBackupMode(mode) ? IDS_BACKUP_FINISHED : IDS_RESTORE_FINISHED);
    InvalidateTextArea();
    ShowButton(IDOK, TRUE);
    ShowButton(IDCANCEL, FALSE);
}

void CProgressDialog::OnOK()
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    HWND mainHwnd = mainWindow != nullptr ? mainWindow->GetWindowHandle() : nullptr;
    if (mainHwnd != nullptr)
        ::EnableWindow(mainHwnd, TRUE);
    ClearBar();
    if (mainWindow != nullptr)
        mainWindow->SetMode(IsBackupMode(mainWindow->GetMode()) ? MAIN_MODE_BACKUP_IDLE : MAIN_MODE_RESTORE_IDLE);
    if (mainHwnd != nullptr)
        ::PostMessageW(mainHwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EndDialog(IDOK);
    if (mainWindow != nullptr)
        mainWindow->SetProgressShown(FALSE);
}

void CProgressDialog::OnOkCommand()
{
    // Enter reaches here even while OK is hidden: during a run it must not give the main window back.
    CWnd *ok = GetDlgItem(IDOK);
    if (ok != nullptr && !ok->IsWindowEnabled())
        return;
    OnOK();
}

void CProgressDialog::OnCancel()
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    const int mode = mainWindow != nullptr ? mainWindow->GetMode() : MAIN_MODE_BACKUP_IDLE;
    if (mode != MAIN_MODE_BACKUP_RUNNING && mode != MAIN_MODE_RESTORE_RUNNING)
    {
        OnOK();
        return;
    }

    const CString question = AfxLoadText(mode == MAIN_MODE_BACKUP_RUNNING ? IDS_ASK_STOP_BACKUP : IDS_ASK_STOP_RESTORE);
    const int answer = MessageBox(question, nullptr, MB_YESNO | MB_ICONQUESTION);
    // The main window (and so the mode) may have gone while the question was open.
    mainWindow = g_pMainDlg.load();
    // The run may have ended while the question was open: then there is nothing left to stop, and the run
    // command would start another run. Yes takes a shown end as its OK does; an end that took the window away
    // has given the main window back already.
    const int modeNow = mainWindow != nullptr ? mainWindow->GetMode() : MAIN_MODE_BACKUP_IDLE;
    if (answer == IDYES && modeNow != MAIN_MODE_BACKUP_RUNNING && modeNow != MAIN_MODE_RESTORE_RUNNING)
    {
        if (GetSafeHwnd() != nullptr && IsWindowVisible())
            OnOK();
        return;
    }
    if (answer != IDYES)
    {
        if (GetSafeHwnd() != nullptr)
            BringWindowToTop();
        HWND mainHwnd = mainWindow != nullptr ? mainWindow->GetWindowHandle() : nullptr;
        if (mainHwnd != nullptr)
            ::EnableWindow(mainHwnd, FALSE);
        return;
    }
    // The run stops before the window goes: hiding a window can take a while (Wine without a window manager waits
    // up to two seconds for it), and the run would copy on meanwhile. Cancel is not pressed twice.
    ShowButton(IDCANCEL, FALSE);
    if (mainWindow != nullptr)
        mainWindow->OnRunJobs();
    ClearBar();
    EndDialog(IDCANCEL);
    if (mainWindow != nullptr)
        mainWindow->SetProgressShown(FALSE);
}

void CProgressDialog::OnClose()
{
    OnCancel();
}

LRESULT CProgressDialog::OnProgressUpdate(WPARAM, LPARAM)
{
    MessageBox(AfxLoadText(IDS_PROGRESS_NOTICE), nullptr, MB_OK);
    return 0;
}

void CProgressDialog::OnLButtonDown(UINT, CPoint point)
{
    SkinElementButtonDown(this, m_pCloseButton.get(), point);
}

void CProgressDialog::OnLButtonUp(UINT, CPoint point)
{
    if (!SkinElementButtonUp(m_pCloseButton.get(), point))
        return;
    CWnd *ok = GetDlgItem(IDOK);
    if (ok != nullptr && ok->IsWindowEnabled())
        OnOK();
    else
        SkinElementPostCommand(this, m_pCloseButton.get());
}

void CProgressDialog::OnMouseMove(UINT, CPoint point)
{
    SkinElementMouseMove(this, m_pCloseButton.get(), point);
}

BOOL CProgressDialog::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr)
        return TRUE;
    CRect client;
    GetClientRect(&client);
    Gdiplus::Graphics graphics(pDC->GetSafeHdc());
    if (IsSkinImageValid(m_background.get()))
        graphics.DrawImage(m_background.get(), Gdiplus::Rect(client.left, client.top, client.Width(), client.Height()));
    else
        pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));

    if (m_progress.GetSafeHwnd() != nullptr)
    {
        if (m_progress.IsWindowVisible())
            m_progress.ShowWindow(SW_HIDE);
        DrawSkinProgressBar(graphics, ControlRect(IDC_PROGRESS_BAR), static_cast<ULONGLONG>(GetBarPosition()), 100);
    }

    if (!m_strStatus.IsEmpty())
    {
        const CRect box = ControlRect(IDC_PROGRESS_TEXT);
        std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Tahoma", 8, Gdiplus::FontStyleBold);
        if (font != nullptr && !box.IsRectEmpty())
        {
            Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
            Gdiplus::StringFormat format;
            format.SetAlignment(Gdiplus::StringAlignmentNear);
            const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.left), static_cast<Gdiplus::REAL>(box.top),
                                        static_cast<Gdiplus::REAL>(box.Width()),
                                        static_cast<Gdiplus::REAL>(box.Height()));
            graphics.DrawString(m_strStatus, m_strStatus.GetLength(), font.get(), layout, &format, &black);
        }
    }

    if (m_pCloseButton != nullptr && m_pCloseButton->GetState() != SKIN_STATE_DISABLED)
        m_pCloseButton->Draw(graphics, 0, 0, TRUE);
    return TRUE;
}
