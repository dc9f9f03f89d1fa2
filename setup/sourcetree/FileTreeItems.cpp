#include "setup/sourcetree/FileTreeItems.h"

#include <cwctype>
#include <string>

#include "setup/shell/ShellItems.h"
#include "setup/shell/ShellString.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

namespace
{

const CLSID kMyComputer = {0x20D04FE0, 0x3AEA, 0x1069, {0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
const CLSID kMyNetworkPlaces = {0x208D2C60, 0x3AEA, 0x1069, {0xA2, 0xD7, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
const CLSID kNetwork = {0xF02C1A0D, 0xBE21, 0x4350, {0x88, 0xB0, 0x73, 0x67, 0xFC, 0x96, 0xEF, 0x3C}};
const CLSID kMyDocuments = {0x450D8FBA, 0xAD25, 0x11D0, {0x98, 0xA8, 0x08, 0x00, 0x36, 0x1B, 0x11, 0x03}};
const CLSID kControlPanel = {0x21EC2020, 0x3AEA, 0x1069, {0xA2, 0xDD, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
const CLSID kRecycleBin = {0x645FF040, 0x5081, 0x101B, {0x9F, 0x08, 0x00, 0xAA, 0x00, 0x2F, 0x95, 0x4E}};

const wchar_t kWindowsNetwork[] = L"Microsoft Windows Network";

DWORD KindOfNetworkResource(IShellFolder *folder, LPCITEMIDLIST item)
{
    // The resource and the texts it points to come back in one buffer.
    BYTE buffer[2048] = {};
    auto *resource = reinterpret_cast<NETRESOURCEW *>(buffer);
    if (FAILED(::SHGetDataFromIDListW(folder, item, SHGDFIL_NETRESOURCE, buffer, sizeof(buffer))))
        return KIND_UNCLASSIFIED;
    switch (resource->dwDisplayType)
    {
    case RESOURCEDISPLAYTYPE_SERVER:
        return KIND_NETWORK_SERVER;
    case RESOURCEDISPLAYTYPE_ROOT:
        return KIND_NETWORK_ROOT;
    case RESOURCEDISPLAYTYPE_NETWORK:
        return resource->lpRemoteName != nullptr && _wcsicmp(resource->lpRemoteName, kWindowsNetwork) == 0
                   ? KIND_NETWORK_PROVIDER
                   : KIND_UNCLASSIFIED;
    default:
        return KIND_UNCLASSIFIED;
    }
}

} // namespace

DWORD KindOfRootClass(REFCLSID clsid)
{
    if (IsEqualCLSID(clsid, kMyComputer))
        return KIND_MY_COMPUTER;
    if (IsEqualCLSID(clsid, kMyNetworkPlaces) || IsEqualCLSID(clsid, kNetwork))
        return KIND_NETWORK_PLACES;
    if (IsEqualCLSID(clsid, kMyDocuments))
        return KIND_FOLDER;
    if (IsEqualCLSID(clsid, kControlPanel))
        return KIND_CONTROL_PANEL;
    if (IsEqualCLSID(clsid, kRecycleBin))
        return KIND_RECYCLE_BIN;
    return KIND_UNCLASSIFIED;
}

DWORD ClassifyShellItem(IShellFolder *folder, LPCITEMIDLIST item)
{
    DWORD id = 0;
    CLSID clsid = CLSID_NULL;
    if (!ShellGetDescriptionId(folder, item, &id, &clsid))
        return KindOfNetworkResource(folder, item);
    switch (id)
    {
    case SHDID_ROOT_REGITEM:
        return KindOfRootClass(clsid);
    case SHDID_FS_FILE:
        return KIND_FILE;
    case SHDID_FS_DIRECTORY:
    case SHDID_NET_SHARE:
        return KIND_FOLDER;
    case SHDID_COMPUTER_DRIVE35:
    case SHDID_COMPUTER_DRIVE525:
    case SHDID_COMPUTER_REMOVABLE:
    case SHDID_COMPUTER_FIXED:
    case SHDID_COMPUTER_NETDRIVE:
    case SHDID_COMPUTER_CDROM:
    case SHDID_COMPUTER_RAMDISK:
    case SHDID_COMPUTER_OTHER:
        return KIND_DRIVE;
    case SHDID_NET_DOMAIN:
        return KIND_NETWORK_DOMAIN;
    case SHDID_NET_SERVER:
        return KIND_NETWORK_SERVER;
    case SHDID_NET_RESTOFNET:
    case SHDID_NET_OTHER:
        return KindOfNetworkResource(folder, item);
    default:
        return KIND_UNCLASSIFIED;
    }
}

CString FormatSizeText(ULONGLONG bytes, LCID locale)
{
    const CString digits = std::to_wstring((bytes + 1024) / 1024).c_str();
    wchar_t decimal[8] = L".";
    wchar_t thousand[8] = L",";
    ::GetLocaleInfoW(locale, LOCALE_SDECIMAL, decimal, _countof(decimal));
    ::GetLocaleInfoW(locale, LOCALE_STHOUSAND, thousand, _countof(thousand));
    DWORD leadingZero = 0;
    DWORD negativeOrder = 1;
    ::GetLocaleInfoW(locale, LOCALE_ILZERO | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&leadingZero),
                     sizeof(leadingZero) / sizeof(wchar_t));
    ::GetLocaleInfoW(locale, LOCALE_INEGNUMBER | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&negativeOrder),
                     sizeof(negativeOrder) / sizeof(wchar_t));
    NUMBERFMTW format = {};
    format.NumDigits = 0;
    format.LeadingZero = leadingZero;
    format.Grouping = 3;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = negativeOrder;
    wchar_t grouped[64] = {};
    CString text;
    if (::GetNumberFormatW(locale, 0, digits, &format, grouped, _countof(grouped)) > 0)
        text.Format(L"%s KB", grouped);
    else
        text.Format(L"%s KB", digits.GetString());
    return text;
}

CString FormatTimeText(const FILETIME &time)
{
    FILETIME local = {};
    SYSTEMTIME parts = {};
    if (!::FileTimeToLocalFileTime(&time, &local) || !::FileTimeToSystemTime(&local, &parts))
        return CString();
    const int hour = parts.wHour % 12 == 0 ? 12 : parts.wHour % 12;
    CString text;
    text.Format(L"%02u/%02u/%02u %02d:%02u %s", parts.wMonth, parts.wDay, parts.wYear % 100, hour, parts.wMinute,
                parts.wHour < 12 ? L"AM" : L"PM");
    return text;
}

namespace
{

std::vector<ComputerDrive> ListShellDrives(HWND owner)
{
    std::vector<ComputerDrive> drives;
    LPITEMIDLIST computerPidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &computerPidl)))
        return drives;
    CShellPidl computer(computerPidl);
    CComPtr<IShellFolder> folder = BindToDesktopChild(computer);
    CComPtr<IEnumIDList> items =
        ShellEnumObjects(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, owner);
    if (!items)
        return drives;
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK)
    {
        CShellPidl item(child);
        DWORD id = 0;
        if (!ShellGetDescriptionId(folder, item, &id) || (id != SHDID_COMPUTER_REMOVABLE && id != SHDID_COMPUTER_FIXED))
            continue;
        ComputerDrive drive;
        drive.pidl = PidlConcat(computer, item);
        drive.path = drive.pidl.GetPath();
        if (drive.path.IsEmpty())
            continue;
        drive.name = ShellDisplayName(folder, item, SHGDN_INFOLDER);
        drive.icon = drive.pidl.GetIconIndex(SHGFI_SMALLICON);
        drive.folder = folder;
        drives.push_back(std::move(drive));
    }
    return drives;
}

} // namespace

Seam<PFN_LIST_COMPUTER_DRIVES> g_pfnListComputerDrives{&ListShellDrives};

std::vector<ComputerDrive> ListComputerDrives(HWND owner)
{
    return g_pfnListComputerDrives.Get()(owner);
}

namespace
{

int LoadAgentRecords(std::vector<ZorbitRecord> &records)
{
    return GetZorbitInfo().LoadItems(records);
}

BOOL IsAgentVolumeOpen(const std::vector<ZorbitRecord> &records, const ZorbitRecord &record)
{
    return GetZorbitInfo().QueryItemState(records, record) == 1 ? TRUE : FALSE;
}

} // namespace

Seam<PFN_LOAD_DEVICE_RECORDS> g_pfnLoadDeviceRecords{&LoadAgentRecords};
Seam<PFN_IS_DEVICE_VOLUME_OPEN> g_pfnIsDeviceVolumeOpen{&IsAgentVolumeOpen};

wchar_t OpenVolumeLetter(const ZorbitRecord &record)
{
    return static_cast<wchar_t>(static_cast<DWORD>(record.value64 >> 32));
}

wchar_t DeviceLetter(const ZorbitRecord &record)
{
    return static_cast<wchar_t>(static_cast<DWORD>(record.value64 & 0xFFFFFFFFu));
}

bool SameDriveLetter(wchar_t a, wchar_t b)
{
    return a != 0 && towupper(a) == towupper(b);
}

} // namespace FileTree
