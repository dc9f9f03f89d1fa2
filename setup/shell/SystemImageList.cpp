#include "setup/shell/SystemImageList.h"

#include <shlobj.h>

#include "platform/drawing/GdiObjects.h"
#include "setup/resources/SetupResourceIds.h"
#include "setup/shell/ShellItems.h"
#include "setup/shell/ShellPidl.h"

CSystemImageList g_systemImageList;

HIMAGELIST ShellSystemImageList(bool small)
{
    CShellPidl desktop;
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &pidl)))
        return nullptr;
    desktop.Attach(pidl);
    SHFILEINFOW info = {};
    return reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop.Get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)));
}

void CSystemImageList::Init()
{
    if (m_initialised)
        return;
    m_initialised = true;
    if (HIMAGELIST small = ShellSystemImageList(true))
        m_small.Attach(::ImageList_Duplicate(small));
    if (HIMAGELIST large = ShellSystemImageList(false))
        m_large.Attach(::ImageList_Duplicate(large));
    CBitmap images;
    if (m_small.GetSafeHandle() != nullptr && images.LoadBitmap(IDB_TREE_IMAGES))
    {
        const int first = m_small.Add(&images, RGB(255, 255, 255));
        if (first >= 0)
            m_programImageBase = first;
    }
}

int CSystemImageList::GetIconIndex(const CString &path)
{
    auto found = m_iconIndices.find(path);
    if (found != m_iconIndices.end())
        return found->second;
    const int index = ShellIconIndexOfPath(path);
    m_iconIndices.emplace(path, index);
    return index;
}
