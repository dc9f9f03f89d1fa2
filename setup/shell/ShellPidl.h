// Item identifier lists of the shell and the small operations the source and destination trees build on them.
// Every list here comes from the shell's allocator and goes back to it; every failed shell call gives an empty
// list, an empty text or index 0, nothing is reported.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "platform/system/ComPtr.h"
#include "platform/text/String.h"

// The owner of one item identifier list.
class CShellPidl
{
  public:
    CShellPidl() noexcept = default;
    // Takes over a list of the shell's allocator (null: none).
    explicit CShellPidl(LPITEMIDLIST pidl) noexcept : m_pidl(pidl)
    {
    }
    ~CShellPidl();
    CShellPidl(CShellPidl &&other) noexcept : m_pidl(other.Detach())
    {
    }
    CShellPidl &operator=(CShellPidl &&other) noexcept;
    CShellPidl(const CShellPidl &) = delete;
    CShellPidl &operator=(const CShellPidl &) = delete;

    LPITEMIDLIST Get() const
    {
        return m_pidl;
    }
    operator LPCITEMIDLIST() const
    {
        return m_pidl;
    }
    bool IsNull() const
    {
        return m_pidl == nullptr;
    }
    // Frees the list held (the member is emptied first) and takes over pidl.
    void Attach(LPITEMIDLIST pidl);
    LPITEMIDLIST Detach();
    void FreePidl()
    {
        Attach(nullptr);
    }

    // The list's file-system path; empty when the item has none.
    CString GetPath() const;
    // The index of the list's icon in the system image list, asked with the extra flags (SHGFI_SMALLICON,
    // SHGFI_OPENICON); 0 when the shell fails.
    int GetIconIndex(UINT extraFlags) const;

    // A copy of the list, of the size the list itself spans (ILGetSize), byte for byte; null for null. The
    // source may lie inside a longer list: its last item, for instance.
    static LPITEMIDLIST CopyPidl(LPCITEMIDLIST pidl);
    // The shell's allocator and the Desktop folder, a reference of the caller's own each time.
    static CComPtr<IMalloc> GetMalloc();
    static CComPtr<IShellFolder> GetDesktopFolder();

  private:
    LPITEMIDLIST m_pidl = nullptr;
};

// The list's last item, pointing into the list (the list itself when it has one item or none).
LPCITEMIDLIST PidlLastItem(LPCITEMIDLIST pidl);
// A copy of the list without its last item (an empty list for a list of one item); null for null.
CShellPidl PidlCopyWithoutLast(LPCITEMIDLIST pidl);
// The two lists one after the other; either may be null; both null (or empty) give none.
CShellPidl PidlConcat(LPCITEMIDLIST first, LPCITEMIDLIST second);
// A copy of the list.
CShellPidl PidlCopy(LPCITEMIDLIST pidl);
// True for a null list and for the empty list (the Desktop's).
bool PidlIsEmpty(LPCITEMIDLIST pidl);

// The list of a path (or of a parsing name such as "::{...}") through the Desktop folder, with the owner window
// for any question the shell asks; none when the shell cannot parse it.
CShellPidl ParseShellPath(HWND owner, LPCWSTR path);
// The folder of an absolute list: the Desktop itself (a new reference) for the empty list, else its child folder
// bound through the Desktop; none when it cannot be bound.
CComPtr<IShellFolder> BindToDesktopChild(LPCITEMIDLIST pidl);
// The enumerator of a folder's items with the SHCONTF flags and the owner window; none when the folder gives none.
CComPtr<IEnumIDList> ShellEnumObjects(IShellFolder *folder, SHCONTF flags, HWND owner);
// The folder holding an absolute list's last item (bound through the Desktop); none when it cannot be bound.
CComPtr<IShellFolder> BindToParentFolder(LPCITEMIDLIST pidl);
