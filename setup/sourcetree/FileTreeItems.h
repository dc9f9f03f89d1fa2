// What the source tree's nodes ask of the shell and of the device agent: the kind of a shell item, the texts of
// the list's size and time columns, the removable and fixed drives of My Computer, and the device agent's records
// of protected volumes.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "engine/snapshot/ZorbitInfo.h"
#include "platform/system/ComPtr.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"
#include "setup/shell/ShellPidl.h"

namespace FileTree
{

// The node kind of an item of the folder, by its description identifier: My Computer, the network places,
// My Documents (a folder), Control Panel and the Recycle Bin by their classes (any other class is unclassified);
// files, folders and shares, drives, domains and servers by their identifiers; other network items, and items
// whose description cannot be read, by the network resource the shell gives for them.
DWORD ClassifyShellItem(IShellFolder *folder, LPCITEMIDLIST item);
// The kind a root item's class gives.
DWORD KindOfRootClass(REFCLSID clsid);

// "<n> KB" with n = (bytes + 1024) / 1024, grouped by the locale's number settings with no decimals.
CString FormatSizeText(ULONGLONG bytes, LCID locale = LOCALE_USER_DEFAULT);
// The local time of a file time as "%m/%d/%y %I:%M %p"; empty when it cannot be converted.
CString FormatTimeText(const FILETIME &time);

// One removable or fixed drive of My Computer.
struct ComputerDrive
{
    CString path;                 // "C:\"
    CString name;                 // the in-folder display name
    int icon = 0;                 // the system (small and large) icon index
    CShellPidl pidl;              // absolute
    CComPtr<IShellFolder> folder; // My Computer
};
// My Computer's removable and fixed drives (hidden ones too) in the shell's order; none when the shell lists none.
// Through g_pfnListComputerDrives, which tests may answer otherwise.
std::vector<ComputerDrive> ListComputerDrives(HWND owner);
typedef std::vector<ComputerDrive> (*PFN_LIST_COMPUTER_DRIVES)(HWND owner);
extern Seam<PFN_LIST_COMPUTER_DRIVES> g_pfnListComputerDrives;

// The device agent's records of protected volumes (GetZorbitInfo().LoadItems unless a test puts others in).
typedef int (*PFN_LOAD_DEVICE_RECORDS)(std::vector<ZorbitRecord> &records);
extern Seam<PFN_LOAD_DEVICE_RECORDS> g_pfnLoadDeviceRecords;
// Whether the agent reports the record's volume open (GetZorbitInfo().QueryItemState).
typedef BOOL (*PFN_IS_DEVICE_VOLUME_OPEN)(const std::vector<ZorbitRecord> &records, const ZorbitRecord &record);
extern Seam<PFN_IS_DEVICE_VOLUME_OPEN> g_pfnIsDeviceVolumeOpen;
// The letters a record names: the volume as opened (the high half of value64) and the device itself (the low half).
wchar_t OpenVolumeLetter(const ZorbitRecord &record);
wchar_t DeviceLetter(const ZorbitRecord &record);
// True when the letters are the same letter, case ignored.
bool SameDriveLetter(wchar_t a, wchar_t b);

} // namespace FileTree
