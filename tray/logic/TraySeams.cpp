#include "tray/logic/TraySeams.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winioctl.h>
#include <lm.h>

#include "platform/system/Handles.h"

UINT GetDriveBusType(wchar_t letter)
{
    wchar_t device[8] = {};
    wsprintfW(device, L"\\\\.\\%c:", static_cast<wchar_t>(towlower(letter)));
    CKernelHandle volume(
        ::CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume.IsValid())
        return 0;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &descriptor, sizeof(descriptor),
                           &returned, nullptr))
        return 0;
    return static_cast<UINT>(descriptor.BusType);
}

Seam<PFN_DRIVE_BUS_TYPE> g_pfnDriveBusType{&GetDriveBusType};

BOOL FileExists(LPCWSTR path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Seam<PFN_FILE_EXISTS> g_pfnFileExists{&FileExists};

void StartProgram(LPCWSTR path, LPCWSTR arguments)
{
    ::ShellExecuteW(nullptr, L"open", path, arguments != nullptr && *arguments != 0 ? arguments : nullptr, nullptr,
                    SW_SHOW);
}

Seam<PFN_START_PROGRAM> g_pfnStartProgram{&StartProgram};

BOOL GetSpecialFolder(int csidl, LPWSTR path)
{
    path[0] = 0;
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0] != 0;
}

Seam<PFN_SPECIAL_FOLDER> g_pfnSpecialFolder{&GetSpecialFolder};

namespace
{

void PauseBySleeping(DWORD milliseconds)
{
    ::Sleep(milliseconds);
}

int ShowPlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    return ::MessageBoxW(owner, text, caption, flags);
}

} // namespace

Seam<PFN_TRAY_PAUSE> g_pfnTrayPause{&PauseBySleeping};
Seam<PFN_TRAY_MESSAGE_BOX> g_pfnTrayMessageBox{&ShowPlatformMessageBox};

DWORD GetWindowsMajorVersion()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!::GetVersionExW(&version))
        return 0;
    return version.dwMajorVersion;
}

Seam<PFN_WINDOWS_MAJOR_VERSION> g_pfnWindowsMajorVersion{&GetWindowsMajorVersion};

BOOL GetLocalUserPrivilege(LPCWSTR user, DWORD *privilege)
{
    LPBYTE buffer = nullptr;
    if (::NetUserGetInfo(nullptr, user, 1, &buffer) != NERR_Success || buffer == nullptr)
        return FALSE;
    *privilege = reinterpret_cast<USER_INFO_1 *>(buffer)->usri1_priv;
    ::NetApiBufferFree(buffer);
    return TRUE;
}

Seam<PFN_LOCAL_USER_PRIVILEGE> g_pfnLocalUserPrivilege{&GetLocalUserPrivilege};

BOOL IsAdministratorsMember()
{
    // A member whose administrator rights are split off (a limited token) or already taken up (a full token) is
    // an administrator; membership alone would miss the limited token, where the group is deny-only.
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    {
        CKernelHandle owner(token);
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
        DWORD size = 0;
        if (::GetTokenInformation(owner, TokenElevationType, &type, sizeof(type), &size) &&
            (type == TokenElevationTypeFull || type == TokenElevationTypeLimited))
            return TRUE;
    }
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &administrators))
        return FALSE;
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, administrators, &member))
        member = FALSE;
    ::FreeSid(administrators);
    return member;
}

Seam<PFN_IS_ADMINISTRATOR_MEMBER> g_pfnIsAdministratorsMember{&IsAdministratorsMember};
