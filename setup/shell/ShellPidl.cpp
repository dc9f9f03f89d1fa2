#include "setup/shell/ShellPidl.h"

#include <cstring>

CShellPidl::~CShellPidl()
{
    FreePidl();
}

CShellPidl &CShellPidl::operator=(CShellPidl &&other) noexcept
{
    if (this != &other)
        Attach(other.Detach());
    return *this;
}

void CShellPidl::Attach(LPITEMIDLIST pidl)
{
    LPITEMIDLIST held = m_pidl;
    m_pidl = pidl;
    if (held != nullptr && held != pidl)
        ::CoTaskMemFree(held);
}

LPITEMIDLIST CShellPidl::Detach()
{
    LPITEMIDLIST held = m_pidl;
    m_pidl = nullptr;
    return held;
}

CString CShellPidl::GetPath() const
{
    wchar_t path[MAX_PATH] = {};
    if (m_pidl == nullptr || !::SHGetPathFromIDListW(m_pidl, path))
        return CString();
    return path;
}

int CShellPidl::GetIconIndex(UINT extraFlags) const
{
    if (m_pidl == nullptr)
        return 0;
    SHFILEINFOW info = {};
    if (::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(m_pidl), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_SYSICONINDEX | extraFlags) == 0)
        return 0;
    return info.iIcon;
}

LPITEMIDLIST CShellPidl::CopyPidl(LPCITEMIDLIST pidl)
{
    if (pidl == nullptr)
        return nullptr;
    // The list's own span, not the allocator's block: a last item lies inside a block of the whole list.
    const UINT size = ::ILGetSize(pidl);
    auto *copy = static_cast<LPITEMIDLIST>(::CoTaskMemAlloc(size));
    if (copy != nullptr)
        memcpy(copy, pidl, size);
    return copy;
}

CComPtr<IMalloc> CShellPidl::GetMalloc()
{
    CComPtr<IMalloc> malloc;
    if (FAILED(::SHGetMalloc(&malloc)))
        malloc.Release();
    return malloc;
}

CComPtr<IShellFolder> CShellPidl::GetDesktopFolder()
{
    CComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(&desktop)))
        desktop.Release();
    return desktop;
}

bool PidlIsEmpty(LPCITEMIDLIST pidl)
{
    return pidl == nullptr || pidl->mkid.cb == 0;
}

LPCITEMIDLIST PidlLastItem(LPCITEMIDLIST pidl)
{
    if (PidlIsEmpty(pidl))
        return pidl;
    LPCITEMIDLIST last = pidl;
    for (LPCITEMIDLIST item = pidl; item->mkid.cb != 0;
         item = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE *>(item) + item->mkid.cb))
        last = item;
    return last;
}

CShellPidl PidlCopy(LPCITEMIDLIST pidl)
{
    return CShellPidl(CShellPidl::CopyPidl(pidl));
}

CShellPidl PidlCopyWithoutLast(LPCITEMIDLIST pidl)
{
    CShellPidl copy = PidlCopy(pidl);
    if (!copy.IsNull())
        ::ILRemoveLastID(copy.Get());
    return copy;
}

CShellPidl PidlConcat(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    if (PidlIsEmpty(first) && PidlIsEmpty(second))
        return CShellPidl();
    if (PidlIsEmpty(first))
        return PidlCopy(second);
    if (PidlIsEmpty(second))
        return PidlCopy(first);
    return CShellPidl(::ILCombine(first, second));
}

CShellPidl ParseShellPath(HWND owner, LPCWSTR path)
{
    CComPtr<IShellFolder> desktop = CShellPidl::GetDesktopFolder();
    if (!desktop || path == nullptr || *path == L'\0')
        return CShellPidl();
    // The shell writes into the name it parses.
    CString name = path;
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(desktop->ParseDisplayName(owner, nullptr, name.GetBuffer(), nullptr, &pidl, nullptr)))
        pidl = nullptr;
    name.ReleaseBuffer();
    return CShellPidl(pidl);
}

CComPtr<IShellFolder> BindToDesktopChild(LPCITEMIDLIST pidl)
{
    CComPtr<IShellFolder> desktop = CShellPidl::GetDesktopFolder();
    if (!desktop || PidlIsEmpty(pidl))
        return desktop;
    CComPtr<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&folder))))
        folder.Release();
    return folder;
}

CComPtr<IShellFolder> BindToParentFolder(LPCITEMIDLIST pidl)
{
    if (pidl == nullptr)
        return CComPtr<IShellFolder>();
    CShellPidl parent = PidlCopyWithoutLast(pidl);
    return BindToDesktopChild(parent);
}

CComPtr<IEnumIDList> ShellEnumObjects(IShellFolder *folder, SHCONTF flags, HWND owner)
{
    CComPtr<IEnumIDList> items;
    if (folder == nullptr || folder->EnumObjects(owner, flags, &items) != S_OK)
        items.Release();
    return items;
}
