#include "mail/frame/BackupPath.h"

#include <cstdlib>
#include <cwchar>

#include "mail/frame/Trace.h"
#include "platform/system/Handles.h"

namespace
{

CString HostProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? CString(path, static_cast<int>(length)) : CString();
}

bool EndsWithDat(const CString &text)
{
    return text.GetLength() >= 4 && text.Right(4).CompareNoCase(L".dat") == 0;
}

bool IsFolder(const CString &path)
{
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

BOOL FileExists(LPCWSTR pszPath)
{
    if (pszPath == nullptr || *pszPath == L'\0')
        return FALSE;
    WIN32_FIND_DATAW data;
    CFindHandle search(::FindFirstFileW(pszPath, &data));
    return search.IsValid();
}

CString JoinPath(const CString &strFolder, LPCWSTR pszName)
{
    if (strFolder.IsEmpty() || strFolder[strFolder.GetLength() - 1] == L'\\')
        return strFolder + pszName;
    return strFolder + L"\\" + pszName;
}

BOOL MakeBackupFilePath(CString &strPath)
{
    const CString host = HostProgramPath();
    CString text = strPath;
    text.Trim();
    bool madeUp = false;
    if (text.IsEmpty())
    {
        text = host;
        madeUp = true;
    }
    if (EndsWithDat(text))
    {
        if (text.GetLength() >= MAX_PATH)
            return FALSE;
        strPath = text;
        return TRUE;
    }

    wchar_t drive[_MAX_DRIVE] = {}, folder[_MAX_DIR] = {}, name[_MAX_FNAME] = {}, extension[_MAX_EXT] = {};
    if (_wsplitpath_s(text, drive, _MAX_DRIVE, folder, _MAX_DIR, name, _MAX_FNAME, extension, _MAX_EXT) != 0)
    {
        DebugPrintf(POSTREL_TRACE, L"The path %s cannot be split.\n", text.GetString());
        return FALSE;
    }
    // Tested by its attributes: a search for "*.*" finds nothing in an empty drive root.
    const CString folderPath = CString(drive) + folder;
    if (folderPath.IsEmpty() || !IsFolder(folderPath))
    {
        DebugPrintf(POSTREL_TRACE, L"The folder %s does not exist.\n", folderPath.GetString());
        return FALSE;
    }
    CString baseName = name;
    if (baseName.IsEmpty())
    {
        // The host program's file name with its own extension: Tarnvel.exe gives Tarnvel.exe.dat.
        baseName = host.Mid(host.ReverseFind(L'\\') + 1);
        madeUp = true;
    }

    CString result = folderPath + baseName + L".dat";
    for (int number = 1; madeUp && FileExists(result) && result.GetLength() < MAX_PATH; ++number)
    {
        CString numbered;
        numbered.Format(L"%s%d", baseName.GetString(), number);
        result = folderPath + numbered + L".dat";
    }
    if (result.GetLength() >= MAX_PATH)
    {
        DebugPrintf(POSTREL_TRACE, L"The backup path %s is too long.\n", result.GetString());
        return FALSE;
    }
    strPath = result;
    return TRUE;
}
