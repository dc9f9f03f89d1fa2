#include "setup/jobdialogs/FolderBrowseFilter.h"

#include <shlwapi.h>

namespace
{

CString WithoutTrailingBackslash(CString path)
{
    path.TrimRight(L'\\');
    return path;
}

BOOL IsShortcut(const CString &path)
{
    SHFILEINFOW info = {};
    if (::SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ATTRIBUTES) == 0)
        return FALSE;
    return (info.dwAttributes & SFGAO_LINK) != 0;
}

} // namespace

BOOL IsBrowsedFolderAcceptable(const CString &path, const CString &excludedFolder)
{
    if (path.IsEmpty() || !::PathFileExistsW(path) || IsShortcut(path))
        return FALSE;
    return excludedFolder.IsEmpty() ||
           WithoutTrailingBackslash(path).CompareNoCase(WithoutTrailingBackslash(excludedFolder)) != 0;
}

int CALLBACK FolderBrowseFilterProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM data)
{
    const auto *filter = reinterpret_cast<const FolderBrowseFilter *>(data);
    if (filter == nullptr)
        return 0;
    if (message == BFFM_INITIALIZED)
    {
        const LONG_PTR style = ::GetWindowLongPtrW(hWnd, GWL_STYLE);
        ::SetWindowLongPtrW(hWnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(DS_CONTEXTHELP));
        const LONG_PTR exStyle = ::GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
        ::SetWindowLongPtrW(hWnd, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
        if (!filter->initialFolder.IsEmpty())
            ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(filter->initialFolder.GetString()));
        if (!filter->title.IsEmpty())
            ::SetWindowTextW(hWnd, filter->title);
    }
    else if (message == BFFM_SELCHANGED)
    {
        wchar_t path[MAX_PATH] = {};
        auto item = reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam);
        const BOOL named = item != nullptr && ::SHGetPathFromIDListW(item, path);
        const BOOL acceptable = named && IsBrowsedFolderAcceptable(CString(path), filter->excludedFolder);
        ::SendMessageW(hWnd, BFFM_ENABLEOK, 0, acceptable);
    }
    return 0;
}
