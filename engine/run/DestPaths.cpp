#include "engine/run/DestPaths.h"

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

CString CutTrailingBackslashes(LPCWSTR text)
{
    CString result(text != nullptr ? text : L"");
    int length = result.GetLength();
    while (length > 0 && result[length - 1] == L'\\')
        --length;
    return result.Left(length);
}

// A "." or ".." component would climb out of the folder the layout puts the copy in.
bool HasDotComponent(const CString &path)
{
    int start = 0;
    const int length = path.GetLength();
    while (start <= length)
    {
        int end = path.Find(L'\\', start);
        if (end < 0)
            end = length;
        CString part = path.Mid(start, end - start);
        if (part == L"." || part == L"..")
            return true;
        start = end + 1;
    }
    return false;
}

bool Fits(const CString &path)
{
    return path.GetLength() < kMaxPathChars;
}

// Where the part of the path that is never made ends: after "X:", after "\\server\share", else at 0.
int RootEnd(const CString &path)
{
    if (path.GetLength() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':')
        return 2;
    if (path.GetLength() >= 2 && path[0] == L'\\' && path[1] == L'\\')
    {
        int serverEnd = path.Find(L'\\', 2);
        if (serverEnd < 0)
            return path.GetLength();
        int shareEnd = path.Find(L'\\', serverEnd + 1);
        return shareEnd < 0 ? path.GetLength() : shareEnd;
    }
    return 0;
}

} // namespace

CString JoinDestRoot(LPCWSTR root)
{
    CString cut = CutTrailingBackslashes(root);
    if (cut.IsEmpty())
        return cut;
    return cut + L'\\';
}

CString GetDestComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 2] = {};
    DWORD size = ARRAYSIZE(name);
    if (!::GetComputerNameW(name, &size) || size == 0)
        return CString(L"MYCOMPUTER");
    name[size < 16 ? size : 16] = L'\0';
    return CString(name);
}

BOOL BuildDestFolderName(LPCWSTR source, LPCWSTR root, LPCWSTR computer, CString &out)
{
    CString base = JoinDestRoot(root);
    if (base.IsEmpty() || source == nullptr)
        return FALSE;
    CString path(source);
    CString result;
    if (path.GetLength() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
    {
        CString rest = path.Mid(3);
        if (HasDotComponent(rest))
            return FALSE;
        result.Format(L"%s%s_%c\\%s", base.GetString(), computer != nullptr ? computer : L"",
                      static_cast<wchar_t>(towupper(path[0])), rest.GetString());
    }
    else if (path.GetLength() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.')
    {
        int serverEnd = path.Find(L'\\', 2);
        if (serverEnd <= 2)
            return FALSE;
        int shareEnd = path.Find(L'\\', serverEnd + 1);
        if (shareEnd < 0)
            shareEnd = path.GetLength();
        CString server = path.Mid(2, serverEnd - 2);
        CString share = path.Mid(serverEnd + 1, shareEnd - serverEnd - 1);
        CString rest = shareEnd < path.GetLength() ? path.Mid(shareEnd + 1) : CString();
        if (share.IsEmpty() || HasDotComponent(rest))
            return FALSE;
        LPCWSTR separator = GetPathKind(base) == 1 ? L"__" : L"_";
        result.Format(L"%s%s%s%s\\%s", base.GetString(), server.GetString(), separator, share.GetString(),
                      rest.GetString());
    }
    else
    {
        return FALSE;
    }
    if (!Fits(result))
        return FALSE;
    out = result;
    return TRUE;
}

BOOL BuildRecycledFolder(LPCWSTR source, LPCWSTR root, LPCWSTR computer, CString &out)
{
    CString base = JoinDestRoot(root);
    if (base.IsEmpty() || source == nullptr || !IsAsciiLetter(source[0]) || source[1] != L':')
        return FALSE;
    CString result;
    result.Format(L"%s%s_%c\\Recycled\\", base.GetString(), computer != nullptr ? computer : L"", source[0]);
    if (!Fits(result))
        return FALSE;
    out = result;
    return TRUE;
}

BOOL BuildPstFolder(LPCWSTR source, LPCWSTR root, CString &out)
{
    CString base = CutTrailingBackslashes(root);
    CString path = CutTrailingBackslashes(source);
    path.Remove(L':');
    CString component = path.Mid(path.ReverseFind(L'\\') + 1);
    if (base.IsEmpty() || component.IsEmpty() || component == L"." || component == L"..")
        return FALSE;
    CString result;
    result.Format(L"%s\\%s\\", base.GetString(), component.GetString());
    if (!Fits(result))
        return FALSE;
    out = result;
    return TRUE;
}

DWORD CreateFolderPath(LPCWSTR folder)
{
    CString path = CutTrailingBackslashes(folder);
    if (path.IsEmpty())
        return ERROR_INVALID_NAME;
    if (!Fits(path))
        return ERROR_FILENAME_EXCED_RANGE;
    DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;

    const int length = path.GetLength();
    if (RootEnd(path) >= length)
        return ERROR_PATH_NOT_FOUND; // a drive or share that is not there
    DWORD result = ERROR_ALREADY_EXISTS;
    for (int end = RootEnd(path) + 1; end <= length; ++end)
    {
        if (end < length && path[end] != L'\\')
            continue;
        CString level = path.Left(end);
        if (::CreateDirectoryW(level, nullptr))
        {
            result = 0;
            continue;
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            return error;
        attributes = ::GetFileAttributesW(level);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_FILE_EXISTS;
        result = ERROR_ALREADY_EXISTS;
    }
    return result;
}

BOOL CSyncJob::GetRecycledPath(LPCWSTR source, LPCWSTR destRoot, CString &out)
{
    CString folder;
    if (!BuildRecycledFolder(source, destRoot, GetDestComputerName(), folder))
        return FALSE;
    CString path(source);
    CString name = path.Mid(path.ReverseFind(L'\\') + 1);
    if (name.IsEmpty() || name == L"." || name == L".." || !Fits(folder + name))
        return FALSE;
    DWORD result = CreateFolderPath(folder);
    if (result != 0 && result != ERROR_ALREADY_EXISTS)
    {
        m_log.LogIdAt(L"SyncJob", __LINE__, result, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE, m_jobDef->GetName().GetString(),
                      folder.GetString());
        return FALSE;
    }
    out = folder + name;
    return TRUE;
}

BOOL CSyncJob::GetDestFolderName(LPCWSTR source, LPCWSTR destRoot, CString &out)
{
    if (BuildDestFolderName(source, destRoot, GetDestComputerName(), out))
        return TRUE;
    m_log.LogIdAt(L"SyncJob", __LINE__, ERROR_INVALID_NAME, LM_ERROR, IDS_LOG_SOURCE_FORM,
                  source != nullptr ? source : L"");
    return FALSE;
}

BOOL CSyncJob::GetPstFolder(LPCWSTR source, LPCWSTR destRoot, CString &out)
{
    return BuildPstFolder(source, destRoot, out);
}
