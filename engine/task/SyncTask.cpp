// The task runner's small operations: the deferred-copy record, read-only attribute, destination folders,
// the rename in place, the tree delete and the last-run time.
#include "engine/task/SyncTask.h"

#include <cstdlib>
#include <cwchar>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Handles.h"

namespace
{

// A system file goes with its folder only when it carries one of these too.
constexpr DWORD kDeletableSystemFile =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

wchar_t *Duplicate(LPCWSTR text)
{
    return text != nullptr ? _wcsdup(text) : nullptr;
}

void LogDeleteFailure(CSyncJob *job, int line, DWORD error)
{
    CLogMsg &log = job != nullptr ? job->GetLog() : AppLog;
    log.LogAt(L"SyncTask", line, error, LM_ERROR, L"%s: %m\n", FormatNow().GetString());
}

// A link is removed as what it is: a folder link by RemoveDirectoryW, which leaves its target alone.
BOOL RemoveLink(const CString &path, DWORD attributes, CSyncJob *job)
{
    const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path) : ::DeleteFileW(path);
    if (!removed)
        LogDeleteFailure(job, __LINE__, ::GetLastError());
    return removed;
}

bool IsAsciiDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int Number(const CString &text, int at, int length)
{
    int value = 0;
    for (int i = 0; i < length; ++i)
        value = value * 10 + (text[at + i] - L'0');
    return value;
}

} // namespace

CSyncTask::FILECOPYING::FILECOPYING(LPCWSTR sourcePath, LPCWSTR destinationPath)
{
    if (sourcePath == nullptr || *sourcePath == L'\0')
        return;
    source = Duplicate(sourcePath);
    destination = Duplicate(destinationPath != nullptr ? destinationPath : L"");
}

CSyncTask::FILECOPYING::~FILECOPYING()
{
    free(source);
    free(destination);
}

DWORD ClearReadOnly(LPCWSTR path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ::GetLastError();
    if (!(attributes & FILE_ATTRIBUTE_READONLY))
        return 0;
    DWORD cleared = attributes & kSettableAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (cleared == 0)
        cleared = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileAttributesW(path, cleared) ? 0 : ::GetLastError();
}

BOOL CreateDestinationFolder(LPCWSTR path, int isFolder)
{
    CString folder(path != nullptr ? path : L"");
    if (!isFolder)
    {
        const int slash = folder.ReverseFind(L'\\');
        folder = slash >= 0 ? folder.Left(slash) : CString();
        folder.TrimRight(L'\\');
    }
    if (folder.IsEmpty())
    {
        ::SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    const DWORD result = CreateFolderPath(folder);
    if (result == 0 || result == ERROR_ALREADY_EXISTS)
        return TRUE;
    if (result == ERROR_ACCESS_DENIED && IsDriveLetterPath(folder))
        return TRUE;
    ::SetLastError(result);
    return FALSE;
}

BOOL MoveFileIntoFolder(LPCWSTR newName, LPCWSTR oldPath, CString &out)
{
    const CString name(newName != nullptr ? newName : L"");
    const CString old(oldPath != nullptr ? oldPath : L"");
    out = old.Left(old.ReverseFind(L'\\') + 1) + name.Mid(name.ReverseFind(L'\\') + 1);
    if (old.IsEmpty() || out.GetLength() >= kMaxPathChars)
    {
        ::SetLastError(old.IsEmpty() ? ERROR_INVALID_NAME : ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return g_pfnMoveFileEx(old, out, MOVEFILE_REPLACE_EXISTING);
}

BOOL DeleteFolderTree(LPCWSTR path, int isFolder, CSyncJob *job)
{
    if (path == nullptr || *path == L'\0')
        return FALSE;
    if (!isFolder)
    {
        ClearReadOnly(path);
        if (::DeleteFileW(path))
            return TRUE;
        LogDeleteFailure(job, __LINE__, ::GetLastError());
        return FALSE;
    }

    CString folder(path);
    folder.TrimRight(L'\\');
    // A junction or folder link in the tree leads somewhere else, possibly into the user's own data: it goes,
    // what it points to stays.
    const DWORD attributes = ::GetFileAttributesW(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveLink(folder, attributes, job);

    BOOL result = TRUE;
    WIN32_FIND_DATAW entry;
    CFindHandle find(::FindFirstFileW(folder + L"\\*.*", &entry));
    if (find.IsValid())
    {
        do
        {
            if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0)
                continue;
            const CString child = folder + L"\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                DeleteFolderTree(child, 1, nullptr);
                continue;
            }
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !(entry.dwFileAttributes & kDeletableSystemFile))
                continue;
            ClearReadOnly(child);
            if (!::DeleteFileW(child))
            {
                LogDeleteFailure(job, __LINE__, ::GetLastError());
                result = FALSE;
            }
        } while (::FindNextFileW(find, &entry));
    }
    if (!::RemoveDirectoryW(folder))
    {
        LogDeleteFailure(job, __LINE__, ::GetLastError());
        return FALSE;
    }
    return result;
}

void ParseLastRunTime(CTime &out, IXMLDOMElement *element)
{
    out = CTime();
    if (element == nullptr)
        return;
    const CString text = XmlGetAttributeString(element, L"neverrun");
    static const wchar_t kForm[] = L"dddd-dd-dd dd:dd:dd";
    const int length = static_cast<int>(wcslen(kForm));
    if (text.GetLength() != length)
        return;
    for (int i = 0; i < length; ++i)
    {
        if (kForm[i] == L'd' ? !IsAsciiDigit(text[i]) : text[i] != kForm[i])
            return;
    }
    // The time's own check refuses a month, day or hour that does not exist.
    const CTime time(Number(text, 0, 4), Number(text, 5, 2), Number(text, 8, 2), Number(text, 11, 2),
                     Number(text, 14, 2), Number(text, 17, 2), -1);
    if (time.GetTime() > 0)
        out = time;
}
