// The commands of the tray menu.
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "tray/logic/TrayDrives.h"
#include "tray/logic/TrayMessages.h"
#include "tray/logic/TrayPlaces.h"
#include "tray/logic/TraySeams.h"
#include "tray/program/TrayProgram.h"

namespace
{

const int kQuestionLength = 512;

void BackUpNow()
{
    HWND main = ::FindWindowW(kMainWindowClass, nullptr);
    if (main != nullptr)
        ::PostMessageW(main, WM_TRAY_COMMAND, ID_TRAY_BACKUP_NOW, 0);
    else
        BackUpFromFirstUsbDrive(::GetLogicalDrives());
}

void ShowMainWindow()
{
    HWND main = ::FindWindowW(kMainWindowClass, nullptr);
    if (main != nullptr && !::IsWindowVisible(main))
        ::PostMessageW(main, WM_TRAY_COMMAND, ID_TRAY_SHOW_MAIN, 0);
}

void SwitchAutoBackup()
{
    g_autoBackupOff = !g_autoBackupOff;
    WriteAutoBackupSetting(g_autoBackupOff ? 0 : 1);
    if (g_pTray->menu != nullptr)
        SetAutoBackupCheck(g_pTray->menu, g_autoBackupOff);
}

void AskToRemoveFromStartup()
{
    const std::wstring question = LoadLanguageString(IDS_TRAY_REMOVE_AUTOSTART, kQuestionLength);
    if (g_pfnTrayMessageBox(g_pTray->window, question.c_str(), kProductTitle, MB_YESNO) == IDYES)
        g_removalRequested = TRUE;
}

// The drive popup "open from": a running main program is only shown (its window is the dialog of that title),
// otherwise the drive's program is started.
void OpenFromDrive(wchar_t letter)
{
    HWND dialog = ::FindWindowW(kDialogWindowClass, kProductTitle);
    if (dialog != nullptr)
    {
        if (!::IsWindowVisible(dialog))
            ::PostMessageW(dialog, WM_TRAY_COMMAND, ID_TRAY_SHOW_MAIN, 0);
        return;
    }
    RunProgramIfPresent(BuildDriveProgramPath(letter), L"");
}

} // namespace

BOOL OnTrayCommand(UINT id)
{
    switch (id)
    {
    case ID_TRAY_BACKUP_NOW:
        BackUpNow();
        return TRUE;
    case ID_TRAY_DISABLE_AUTO_BACKUP:
        SwitchAutoBackup();
        return TRUE;
    case ID_TRAY_SHOW_MAIN:
        ShowMainWindow();
        return TRUE;
    case ID_TRAY_EXIT:
        g_removalRequested = TRUE;
        ::PostQuitMessage(0);
        return TRUE;
    case ID_TRAY_REMOVE_AUTOSTART:
        AskToRemoveFromStartup();
        return TRUE;
    }
    if (id >= ID_TRAY_OPEN_DRIVE_FIRST && id < ID_TRAY_OPEN_DRIVE_FIRST + kDriveLetterCount)
    {
        OpenFromDrive(static_cast<wchar_t>(L'a' + (id - ID_TRAY_OPEN_DRIVE_FIRST)));
        return TRUE;
    }
    if (id >= ID_TRAY_BACKUP_DRIVE_FIRST && id < ID_TRAY_BACKUP_DRIVE_FIRST + kDriveLetterCount)
    {
        RunProgramIfPresent(BuildDriveProgramPath(static_cast<wchar_t>(L'a' + (id - ID_TRAY_BACKUP_DRIVE_FIRST))),
                            L"-b");
        return TRUE;
    }
    return FALSE;
}
