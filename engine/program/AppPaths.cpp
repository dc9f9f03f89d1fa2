#include "engine/program/AppPaths.h"

#include <shlobj.h>

#include <cwchar>
#include <memory>

#include "engine/program/ProgramObjects.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// Stands in for an exclusion folder that the platform could not tell us: no real path begins with it.
const wchar_t kNoFolder[] = L"xxxxxxxx";

const wchar_t *const kDocumentExtensions[] = {
    L".doc",  L".docx", L".dot",  L".docm", L".dotx", L".dotm", L".mdb",  L".accdb", L".adp",
    L".xls",  L".xlsx", L".xlsm", L".xlsb", L".xlam", L".xltm", L".xltx", L".ppt",   L".pptx",
    L".pptm", L".ppsm", L".ppsx", L".pot",  L".potx", L".potm", L".pst",  L".pub",
};

const wchar_t *const kNeverCopiedNames[] = {
    L"TesselDir.list",     L"TesselDir.list.bk", L"itesseldir.list",
    L"itesseldir.list.bk", L"pagefile.sys",      L"hiberfil.sys",
};

CString ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0])
        return CString();
    return CString(path);
}

DWORD MajorOsVersion()
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info)))
        return 0;
    return info.dwMajorVersion;
}

bool BeginsWithNoCase(LPCWSTR text, size_t textLength, LPCWSTR prefix, size_t prefixLength)
{
    return textLength >= prefixLength && _wcsnicmp(text, prefix, prefixLength) == 0;
}

bool EndsWithNoCase(LPCWSTR text, size_t textLength, LPCWSTR suffix)
{
    size_t n = wcslen(suffix);
    return textLength >= n && _wcsicmp(text + textLength - n, suffix) == 0;
}

// An exclusion folder that was never recorded is empty, and an empty prefix would match every path: such a
// folder excludes nothing.
bool IsInsideFolder(LPCWSTR path, size_t pathLength, const CString &folder)
{
    return !folder.IsEmpty() && BeginsWithNoCase(path, pathLength, folder, static_cast<size_t>(folder.GetLength()));
}

wchar_t g_tesselDirListName[256] = L"";

} // namespace

void RecordExclusionFolders()
{
    wchar_t windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
    {
        g_strWindowsFolder = windows;
        g_strSystemDrive = g_strWindowsFolder.Left(3);
    }
    else
    {
        g_strWindowsFolder = L"c:\\windows";
        g_strSystemDrive = L"c:\\";
    }

    g_strInternetCacheFolder = ShellFolder(CSIDL_INTERNET_CACHE);
    if (g_strInternetCacheFolder.IsEmpty())
        g_strInternetCacheFolder = kNoFolder;

    const bool nt5 = MajorOsVersion() == 5;
    if (nt5)
    {
        int slash = g_strInternetCacheFolder.ReverseFind(L'\\');
        g_strTempFolder = slash >= 0 ? g_strInternetCacheFolder.Left(slash + 1) + L"Temp" : CString(kNoFolder);
    }
    else
    {
        CString local = ShellFolder(CSIDL_LOCAL_APPDATA);
        g_strTempFolder = local.IsEmpty() ? CString(kNoFolder) : local + L"\\Temp";
    }

    g_strRecycleFolder = g_strSystemDrive + (nt5 ? L"Recycler" : L"$Recycle.Bin");

    g_strCookiesFolder = ShellFolder(CSIDL_COOKIES);
    if (g_strCookiesFolder.IsEmpty())
        g_strCookiesFolder = kNoFolder;
}

BOOL IsSystemPath(LPCWSTR path)
{
    if (!path)
        return FALSE;
    const size_t n = wcslen(path);

    static const wchar_t *const kRootFolders[] = {L"System Volume Information", L"Program Files", L"ProgramData"};
    for (LPCWSTR folder : kRootFolders)
    {
        size_t folderLength = wcslen(folder);
        if (n >= folderLength + 3 && _wcsnicmp(path + 3, folder, folderLength) == 0)
            return TRUE;
    }

    // The drive root and the folders above the Windows folder are leading parts of it; its subfolders are
    // reached only through it and so need no test of their own.
    if (!g_strWindowsFolder.IsEmpty() && n <= static_cast<size_t>(g_strWindowsFolder.GetLength()) &&
        _wcsnicmp(path, g_strWindowsFolder, n) == 0)
        return TRUE;

    if (IsInsideFolder(path, n, g_strInternetCacheFolder) || IsInsideFolder(path, n, g_strCookiesFolder) ||
        IsInsideFolder(path, n, g_strTempFolder) || IsInsideFolder(path, n, g_strRecycleFolder))
        return TRUE;
    return FALSE;
}

bool IsDocumentExtension(LPCWSTR path)
{
    if (!path)
        return false;
    LPCWSTR extension = wcsrchr(path, L'.');
    if (!extension)
        extension = path;
    for (LPCWSTR known : kDocumentExtensions)
    {
        if (wcscmp(extension, known) == 0)
            return true;
    }
    return false;
}

BOOL IsExcludedFile(LPCWSTR path)
{
    if (!path)
        return FALSE;
    LPCWSTR name = wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    const size_t n = wcslen(name);

    if (EndsWithNoCase(name, n, L".TMP") || BeginsWithNoCase(name, n, L"~WR", 3))
        return TRUE;
    if (EndsWithNoCase(name, n, L".gid") || EndsWithNoCase(name, n, L".uid_xxx"))
        return TRUE;
    if (IsDocumentExtension(name) && wcsncmp(name, L"~$", 2) == 0)
        return TRUE;
    for (LPCWSTR neverCopied : kNeverCopiedNames)
    {
        if (_wcsicmp(name, neverCopied) == 0)
            return TRUE;
    }
    return FALSE;
}

CString FormatSizeUnits(ULONGLONG bytes)
{
    const double value = static_cast<double>(bytes);
    CString text;
    if (bytes < 1048576ULL)
        text.Format(L"%.1f KB", value / 1024.0);
    else if (bytes < 1073741824ULL)
        text.Format(L"%.1f MB", value / 1048576.0);
    else
        text.Format(L"%.1f GB", value / 1073741824.0);
    return text;
}

void ShowLastErrorMessage()
{
    const DWORD error = GetLastError();
    LPWSTR buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
    if (length == 0 || !buffer)
        return;
    SkinMessageBox(buffer, MB_OK | MB_ICONINFORMATION);
}

void SetTesselDirListName(LPCWSTR name)
{
    wcsncpy(g_tesselDirListName, name ? name : L"", _countof(g_tesselDirListName) - 1);
    g_tesselDirListName[_countof(g_tesselDirListName) - 1] = L'\0';
}

LPCWSTR GetTesselDirListFileName()
{
    return g_tesselDirListName;
}
