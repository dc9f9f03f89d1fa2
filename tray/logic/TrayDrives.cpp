#include "tray/logic/TrayDrives.h"

#include <dbt.h>
#include <wctype.h>

#include "outside/Phrasel/PhraselIds.h"
#include "tray/logic/TrayMessages.h"
#include "tray/logic/TrayPlaces.h"
#include "tray/logic/TraySeams.h"

namespace
{

const int kMenuTextLength = 512;

std::wstring ItemText(HMENU menu, UINT position)
{
    wchar_t text[kMenuTextLength] = {};
    ::GetMenuStringW(menu, position, text, kMenuTextLength - 1, MF_BYPOSITION);
    return text;
}

// Puts a new item in the place of the one at position, which goes with its popup. ModifyMenuW would do the same on
// Windows, but Wine keeps the old popup when a popup item is modified into a plain one.
BOOL ReplaceItem(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const std::wstring &text)
{
    if (!::DeleteMenu(menu, position, MF_BYPOSITION))
        return FALSE;
    return ::InsertMenuW(menu, position, MF_BYPOSITION | flags, idOrPopup, text.c_str());
}

} // namespace

int StartBackupsOnArrival(WPARAM event, LPARAM header)
{
    if (event != DBT_DEVICEARRIVAL || header == 0)
        return 0;
    const auto *common = reinterpret_cast<const DEV_BROADCAST_HDR *>(header);
    if (common->dbch_size < sizeof(DEV_BROADCAST_VOLUME) || common->dbch_devicetype != DBT_DEVTYP_VOLUME)
        return 0;
    const auto *volume = reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header);
    if ((volume->dbcv_flags & DBTF_NET) != 0 && (volume->dbcv_flags & DBTF_MEDIA) == 0)
        return 0;
    int started = 0;
    for (UINT n = 0; n < kDriveLetterCount; ++n)
    {
        if ((volume->dbcv_unitmask & (1u << n)) != 0 &&
            RunProgramIfPresent(BuildDriveProgramPath(static_cast<wchar_t>(L'a' + n)), L"-b"))
            ++started;
    }
    return started;
}

std::vector<std::wstring> CollectProgramDrives(DWORD logicalDrives)
{
    std::vector<std::wstring> drives;
    for (UINT n = 0; n < kDriveLetterCount; ++n)
    {
        const wchar_t letter = static_cast<wchar_t>(L'a' + n);
        if ((logicalDrives & (1u << n)) != 0 && g_pfnDriveBusType(letter) == kBusTypeUsb &&
            g_pfnFileExists(BuildDriveProgramPath(letter).c_str()))
            drives.push_back(std::wstring(1, letter) + L":\\");
    }
    return drives;
}

BOOL BackUpFromFirstUsbDrive(DWORD logicalDrives)
{
    for (UINT n = 0; n < kDriveLetterCount; ++n)
    {
        const wchar_t letter = static_cast<wchar_t>(L'a' + n);
        if ((logicalDrives & (1u << n)) != 0 && g_pfnDriveBusType(letter) == kBusTypeUsb &&
            RunProgramIfPresent(BuildDriveProgramPath(letter), L"-b"))
            return TRUE;
    }
    return FALSE;
}

void FillDriveSubmenu(const std::vector<std::wstring> &drives, HMENU submenu, UINT position)
{
    if (drives.empty())
    {
        ClearSubmenuItem(submenu, position);
        return;
    }
    const UINT firstCommand = position == 0 ? ID_TRAY_BACKUP_DRIVE_FIRST : ID_TRAY_OPEN_DRIVE_FIRST;
    HMENU popup = ::CreatePopupMenu();
    if (popup == nullptr)
        return;
    for (const std::wstring &drive : drives)
    {
        const wchar_t first = drive.empty() ? 0 : static_cast<wchar_t>(towlower(drive[0]));
        if (first < L'a' || first > L'z')
            continue;
        const UINT letter = static_cast<UINT>(first - L'a');
        ::AppendMenuW(popup, MF_STRING, firstCommand + letter, drive.c_str());
    }
    const std::wstring text = ItemText(submenu, position);
    // The menu owns the popup from here on: the item's next replacement, or the menu's destruction, frees it.
    if (!ReplaceItem(submenu, position, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), text))
        ::DestroyMenu(popup);
}

void ClearSubmenuItem(HMENU submenu, UINT position)
{
    const std::wstring text = ItemText(submenu, position);
    ReplaceItem(submenu, position, MF_STRING, 0, text);
    ::EnableMenuItem(submenu, position, MF_BYPOSITION | MF_DISABLED);
}

void SetAutoBackupCheck(HMENU menu, BOOL autoBackupOff)
{
    ::CheckMenuItem(menu, ID_TRAY_DISABLE_AUTO_BACKUP, MF_BYCOMMAND | (autoBackupOff ? MF_CHECKED : MF_UNCHECKED));
}
