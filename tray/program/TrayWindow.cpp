// The tray window: hidden, never shown; it carries the notification-area icon, takes the main program's
// messages and the drive arrivals, and shows the context menu.
#include <windows.h>
#include <shellapi.h>

#include "outside/Phrasel/PhraselIds.h"
#include "tray/logic/AboutBox.h"
#include "tray/logic/ProgramResourceIds.h"
#include "tray/logic/TrayDrives.h"
#include "tray/logic/TrayMessages.h"
#include "tray/program/TrayProgram.h"

namespace
{

const UINT kIconId = 1;
const UINT kBalloonTimeoutMs = 1000;

void ShowTrayMenu(POINT at)
{
    TrayState &tray = *g_pTray;
    if (tray.menu == nullptr)
    {
        if (g_languageLibrary == nullptr)
            return;
        tray.menu = ::LoadMenuW(g_languageLibrary, MAKEINTRESOURCEW(tray.menuResource));
        if (tray.menu == nullptr)
            return;
        SetAutoBackupCheck(tray.menu, g_autoBackupOff);
    }
    ::SetForegroundWindow(tray.window);
    HMENU submenu = ::GetSubMenu(tray.menu, 1);
    if (submenu == nullptr)
        return;
    {
        const std::vector<std::wstring> drives = CollectProgramDrives(::GetLogicalDrives());
        FillDriveSubmenu(drives, submenu, 0);
        FillDriveSubmenu(drives, submenu, 3);
    }
    ::TrackPopupMenu(submenu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, tray.window, nullptr);
}

void OnTrayIconNotify(LPARAM event)
{
    switch (event)
    {
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN: {
        POINT at = {};
        ::GetCursorPos(&at);
        ShowTrayMenu(at);
        break;
    }
    case NIN_BALLOONTIMEOUT:
        g_pTray->balloons.OnBalloonTimeout();
        break;
    }
}

LRESULT CALLBACK TrayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The tray record stands before the window is made; the check keeps a message of a torn-down program away.
    if (g_pTray == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message)
    {
    case WM_TRAY_ICON_NOTIFY:
        if (wParam == kIconId)
            OnTrayIconNotify(lParam);
        return 0;
    case WM_TRAY_PROGRESS:
        g_pTray->balloons.OnProgress(static_cast<int>(wParam));
        return 0;
    case WM_TRAY_HIDE_BALLOON:
        g_pTray->balloons.OnHide();
        return 0;
    case WM_TRAY_RUN_STOPPED:
        g_pTray->balloons.OnRunStopped(
            RunStoppedBalloonText(LoadLanguageString(static_cast<UINT>(wParam), 256), static_cast<DWORD>(lParam)));
        return 0;
    case WM_DEVICECHANGE:
        if (!g_autoBackupOff)
            StartBackupsOnArrival(wParam, lParam);
        return 0;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == IDM_PROGRAM_ABOUT)
        {
            ::DialogBoxW(g_instance, MAKEINTRESOURCEW(IDD_PROGRAM_ABOUT), window, &ProgramAboutDlgProc);
            return 0;
        }
        if (id == IDM_PROGRAM_EXIT)
        {
            ::DestroyWindow(window);
            return 0;
        }
        if (OnTrayCommand(id))
            return 0;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

CTrayIcon::CTrayIcon() : m_data()
{
}

BOOL CTrayIcon::Add(HWND window, HICON icon)
{
    m_data = NOTIFYICONDATAW();
    m_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    m_data.hWnd = window;
    m_data.uID = kIconId;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = WM_TRAY_ICON_NOTIFY;
    m_data.hIcon = icon;
    ::lstrcpynW(m_data.szTip, kProductTitle, _countof(m_data.szTip));
    return ::Shell_NotifyIconW(NIM_ADD, &m_data);
}

void CTrayIcon::Remove()
{
    if (m_data.hWnd != nullptr)
        ::Shell_NotifyIconW(NIM_DELETE, &m_data);
}

void CTrayIcon::ShowBalloon(const std::wstring &text)
{
    // The size of the layout with the balloon fields: 952 on x64, where the 32-bit 936 would be refused.
    m_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    m_data.uFlags = NIF_INFO;
    m_data.uTimeout = kBalloonTimeoutMs;
    m_data.dwInfoFlags = NIIF_INFO;
    ::lstrcpynW(m_data.szInfoTitle, g_windowTitle, _countof(m_data.szInfoTitle));
    ::lstrcpynW(m_data.szInfo, text.c_str(), _countof(m_data.szInfo));
    ::Shell_NotifyIconW(NIM_MODIFY, &m_data);
}

void CTrayIcon::HideBalloon()
{
    m_data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    m_data.uFlags = NIF_INFO;
    m_data.szInfoTitle[0] = 0;
    m_data.szInfo[0] = 0;
    ::Shell_NotifyIconW(NIM_MODIFY, &m_data);
}

TrayState::TrayState()
    : menuResource(IDR_TRAY_MENU), balloons(icon, [] { return LoadLanguageString(IDS_TRAY_PROGRESS, 256); })
{
}

TrayState::~TrayState()
{
    icon.Remove();
    if (menu != nullptr)
        ::DestroyMenu(menu);
}

BOOL RegisterTrayWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &TrayWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    windowClass.hIconSm = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM_SMALL));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_PROGRAM_MENU);
    windowClass.lpszClassName = kTrayWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

BOOL CreateTrayWindow(HINSTANCE instance)
{
    g_instance = instance;
    HWND window = ::CreateWindowW(kTrayWindowClass, g_windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT,
                                  0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return FALSE;
    g_pTray->window = window;
    g_pTray->icon.Add(window, ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM)));
    return TRUE;
}
