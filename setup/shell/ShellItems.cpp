#include "setup/shell/ShellItems.h"

#include <commctrl.h>

#include <cstring>
#include <cwctype>

#include "platform/system/ComPtr.h"
#include "setup/shell/ShellPidl.h"
#include "setup/shell/ShellString.h"

namespace
{

DWORD DriveDescriptionId(UINT driveType)
{
    switch (driveType)
    {
    case DRIVE_REMOVABLE:
        return SHDID_COMPUTER_REMOVABLE;
    case DRIVE_FIXED:
        return SHDID_COMPUTER_FIXED;
    case DRIVE_REMOTE:
        return SHDID_COMPUTER_NETDRIVE;
    case DRIVE_CDROM:
        return SHDID_COMPUTER_CDROM;
    case DRIVE_RAMDISK:
        return SHDID_COMPUTER_RAMDISK;
    default:
        return SHDID_COMPUTER_OTHER;
    }
}

bool IsDriveRoot(const CString &name)
{
    return name.GetLength() == 3 && iswalpha(name[0]) && name[1] == L':' && name[2] == L'\\';
}

CString WithoutTrailingBackslash(const CString &path)
{
    CString trimmed = path;
    while (trimmed.GetLength() > 3 && trimmed.Right(1) == L"\\")
        trimmed = trimmed.Left(trimmed.GetLength() - 1);
    return trimmed;
}

} // namespace

BOOL DescriptionIdOfParsingName(const CString &name, DWORD *id, CLSID *clsid)
{
    if (name.IsEmpty() || id == nullptr)
        return FALSE;
    // A root item's name is its class, after the classes of the items above it: "::{A}\::{B}" is of class B.
    const int classAt = name.Find(L"::{") == 0 ? name.ReverseFind(L':') : -1;
    if (classAt > 0)
    {
        *id = SHDID_ROOT_REGITEM;
        if (clsid != nullptr)
        {
            CString text = name.Mid(classAt + 1);
            if (FAILED(::CLSIDFromString(text.GetBuffer(), clsid)))
                *clsid = CLSID_NULL;
            text.ReleaseBuffer();
        }
        return TRUE;
    }
    if (IsDriveRoot(name))
    {
        // Only a bare root: Wine answers the drive's type for a folder below it too.
        *id = DriveDescriptionId(::GetDriveTypeW(name));
        return TRUE;
    }
    if (name.Left(2) == L"\\\\")
    {
        const int shareAt = name.Find(L'\\', 2);
        if (shareAt < 0)
        {
            *id = SHDID_NET_SERVER;
            return TRUE;
        }
        if (name.Find(L'\\', shareAt + 1) < 0)
        {
            *id = SHDID_NET_SHARE;
            return TRUE;
        }
    }
    const DWORD attributes = ::GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        *id = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? SHDID_FS_DIRECTORY : SHDID_FS_FILE;
    else
        *id = SHDID_NET_OTHER;
    return TRUE;
}

BOOL ShellGetDescriptionId(IShellFolder *folder, LPCITEMIDLIST item, DWORD *id, CLSID *clsid)
{
    if (folder == nullptr || item == nullptr || id == nullptr)
        return FALSE;
    SHDESCRIPTIONID description = {};
    if (SUCCEEDED(::SHGetDataFromIDListW(folder, item, SHGDFIL_DESCRIPTIONID, &description, sizeof(description))))
    {
        *id = description.dwDescriptionId;
        if (clsid != nullptr)
            *clsid = description.clsid;
        return TRUE;
    }
    if (clsid != nullptr)
        *clsid = CLSID_NULL;
    return DescriptionIdOfParsingName(ShellDisplayName(folder, item, SHGDN_FORPARSING), id, clsid);
}

int ShellIconIndexOfPath(LPCWSTR path)
{
    if (path == nullptr || *path == L'\0')
        return 0;
    const DWORD attributes = ::GetFileAttributesW(path);
    const bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SHFILEINFOW info = {};
    if (::SHGetFileInfoW(path, directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) == 0)
        return 0;
    return info.iIcon;
}

CString ShellDisplayNameOfPath(HWND owner, LPCWSTR path)
{
    CShellPidl pidl = ParseShellPath(owner, path);
    if (pidl.IsNull())
        return CString();
    CComPtr<IShellFolder> parent = BindToParentFolder(pidl);
    return ShellDisplayName(parent, PidlLastItem(pidl), SHGDN_INFOLDER);
}

BOOL GetShellDesktopEntry(ShellDesktopEntry &entry)
{
    memset(&entry, 0, sizeof(entry));
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path)) ||
        ::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    entry.icon = ShellIconIndexOfPath(L".DeskLink");
    lstrcpynW(entry.path, path, MAX_PATH);
    lstrcpynW(entry.name, ShellDisplayNameOfPath(nullptr, path), MAX_PATH);
    return TRUE;
}

CString ResolveFolderShortcut(const CString &path)
{
    CShellPidl pidl = ParseShellPath(nullptr, WithoutTrailingBackslash(path));
    if (pidl.IsNull())
        return path;
    CComPtr<IShellFolder> parent = BindToParentFolder(pidl);
    LPCITEMIDLIST item = PidlLastItem(pidl);
    SFGAOF attributes = SFGAO_LINK | SFGAO_FOLDER;
    if (!parent || FAILED(parent->GetAttributesOf(1, &item, &attributes)) ||
        (attributes & (SFGAO_LINK | SFGAO_FOLDER)) != (SFGAO_LINK | SFGAO_FOLDER))
        return path;
    CComPtr<IShellLinkW> link;
    wchar_t target[MAX_PATH] = {};
    if (FAILED(parent->GetUIObjectOf(nullptr, 1, &item, IID_IShellLinkW, nullptr, reinterpret_cast<void **>(&link))) ||
        !link || FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)) || target[0] == L'\0' ||
        ::GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES)
        return CString();
    CString resolved = target;
    if (resolved.Right(1) != L"\\")
        resolved += L"\\";
    return resolved;
}

DWORD ShellItemBits(IShellFolder *folder, LPCITEMIDLIST item, std::initializer_list<ShellAttributeBit> bits)
{
    SFGAOF shell = 0;
    for (const ShellAttributeBit &bit : bits)
        shell |= bit.shell;
    if (folder == nullptr || item == nullptr || FAILED(folder->GetAttributesOf(1, &item, &shell)))
        return 0;
    DWORD result = 0;
    for (const ShellAttributeBit &bit : bits)
    {
        if ((shell & bit.shell) != 0)
            result |= bit.bit;
    }
    return result;
}

UINT ShellItemTreeState(DWORD attributes)
{
    UINT state = (attributes & 1) != 0 ? TVIS_CUT : 0;
    if ((attributes & 2) != 0)
        state |= INDEXTOOVERLAYMASK(1);
    else if ((attributes & 4) != 0)
        state |= INDEXTOOVERLAYMASK(2);
    return state;
}
