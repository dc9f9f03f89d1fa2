#include "engine/program/DriveMarker.h"

#include <new>
#include <string>

#include "engine/program/ProgramObjects.h"
#include "engine/store/UuidString.h"
#include "platform/system/Handles.h"
#include "platform/system/FileAttributes.h"

namespace
{

const wchar_t kMarkerName[] = L"uid_tessel_drive";

// A missing medium in a present drive must not stop a search with a system dialog.
class QuietDriveErrors
{
  public:
    QuietDriveErrors()
    {
        m_changed = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_previous) != FALSE;
    }
    ~QuietDriveErrors()
    {
        if (m_changed)
            SetThreadErrorMode(m_previous, nullptr);
    }
    QuietDriveErrors(const QuietDriveErrors &) = delete;
    QuietDriveErrors &operator=(const QuietDriveErrors &) = delete;

  private:
    DWORD m_previous = 0;
    bool m_changed = false;
};

std::string ToAnsi(const CString &text)
{
    const int units = text.GetLength();
    if (units == 0)
        return std::string();
    std::string bytes(static_cast<size_t>(units + 1) * 4, '\0');
    int written =
        WideCharToMultiByte(CP_ACP, 0, text, units + 1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
    {
        int needed = WideCharToMultiByte(CP_ACP, 0, text, units + 1, nullptr, 0, nullptr, nullptr);
        if (needed > 0)
        {
            bytes.assign(static_cast<size_t>(needed), '\0');
            written = WideCharToMultiByte(CP_ACP, 0, text, units + 1, &bytes[0], needed, nullptr, nullptr);
        }
    }
    if (written <= 0)
        throw std::bad_alloc();
    bytes.resize(static_cast<size_t>(written - 1));
    return bytes;
}

bool IsFolder(const CString &path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// On a drive other than the program's own the data folder itself is usually missing: its parents are made
// as plain folders, the marker folder itself hidden and system.
bool EnsureMarkerFolder(const CString &folder)
{
    if (IsFolder(folder))
        return true;
    for (int slash = folder.Find(L'\\', 3); slash > 0; slash = folder.Find(L'\\', slash + 1))
        CreateDirectoryW(folder.Left(slash), nullptr);
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    AfxSetFileAttributes(folder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return IsFolder(folder);
}

bool WriteAll(HANDLE file, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

CString GetDestinationDriveMarkerPath(wchar_t letter)
{
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')))
        return CString();
    if (g_strDataFolder.GetLength() < 2 || g_strDataFolder[1] != L':')
        return CString();
    CString path = g_strDataFolder;
    path.SetAt(0, static_cast<wchar_t>(letter & ~0x20));
    if (path[path.GetLength() - 1] != L'\\')
        path += L'\\';
    path += kMarkerName;
    path += L'\\';
    path += kMarkerName;
    return path;
}

BOOL ReadDestinationDriveId(LPCWSTR filePath, CString &id)
{
    id.Empty();
    if (!filePath || !*filePath)
        return FALSE;
    CKernelHandle file(
        CreateFileW(filePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return FALSE;

    // One byte more than an identity, so that a longer file is told from a whole one.
    char bytes[DRIVE_ID_LENGTH + 1];
    DWORD total = 0;
    while (total < sizeof(bytes))
    {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes + total, static_cast<DWORD>(sizeof(bytes)) - total, &read, nullptr))
            return FALSE;
        if (read == 0)
            break;
        total += read;
    }
    if (total != DRIVE_ID_LENGTH)
        return FALSE;

    wchar_t text[DRIVE_ID_LENGTH + 1] = {};
    int units = MultiByteToWideChar(CP_ACP, 0, bytes, DRIVE_ID_LENGTH, text, DRIVE_ID_LENGTH);
    if (units <= 0)
        return FALSE;
    id = CString(text, units);
    return TRUE;
}

BOOL GetDestinationDriveIdPath(wchar_t letter, CString &id)
{
    id.Empty();
    CString path = GetDestinationDriveMarkerPath(letter);
    if (path.IsEmpty())
        return FALSE;
    return ReadDestinationDriveId(path, id);
}

BOOL GetOrCreateDestinationDriveId(wchar_t letter, CString &id)
{
    if (GetDestinationDriveIdPath(letter, id))
        return TRUE;
    CUuidString uuid;
    if (!uuid.Create())
        return FALSE;
    const CString text = uuid.GetText().Left(DRIVE_ID_LENGTH);
    if (!WriteDestinationDriveId(letter, text))
        return FALSE;
    id = text;
    return TRUE;
}

BOOL WriteDestinationDriveId(wchar_t letter, const CString &id)
{
    CString path = GetDestinationDriveMarkerPath(letter);
    if (path.IsEmpty() || id.GetLength() != DRIVE_ID_LENGTH || !EnsureMarkerFolder(path.Left(path.ReverseFind(L'\\'))))
        return FALSE;
    std::string bytes = ToAnsi(id);

    // A damaged marker is read-only, hidden and system: it can only be replaced once those are cleared, and
    // it must be truncated, or the bytes beyond a new identity would make it unreadable again.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        AfxSetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
    bool written;
    {
        CKernelHandle file(
            CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return FALSE;
        written = WriteAll(file.Get(), bytes);
    }
    AfxSetFileAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return written ? TRUE : FALSE;
}

DWORD FindDrivesByDestinationId(LPCWSTR id)
{
    if (!id || !*id)
        return 0;
    const DWORD drives = GetLogicalDrives();
    QuietDriveErrors quiet;
    DWORD found = 0;
    for (int drive = 2; drive < 26; ++drive)
    {
        if (!(drives & (1u << drive)))
            continue;
        CString marker;
        if (GetDestinationDriveIdPath(static_cast<wchar_t>(L'A' + drive), marker) && marker.CompareNoCase(id) == 0)
            found |= 1u << drive;
    }
    return found;
}

wchar_t FindDriveByDestinationId(LPCWSTR id)
{
    return FirstDriveOf(FindDrivesByDestinationId(id));
}

wchar_t FirstDriveOf(DWORD drives)
{
    for (int drive = 0; drive < 26; ++drive)
    {
        if (drives & (1u << drive))
            return static_cast<wchar_t>(L'a' + drive);
    }
    return 0;
}

int CountDrivesOf(DWORD drives)
{
    int count = 0;
    for (int drive = 0; drive < 26; ++drive)
        count += (drives >> drive) & 1u;
    return count;
}

CString DriveListText(DWORD drives)
{
    CString text;
    for (int drive = 0; drive < 26; ++drive)
    {
        if (!(drives & (1u << drive)))
            continue;
        if (!text.IsEmpty())
            text += L", ";
        text += static_cast<wchar_t>(L'A' + drive);
        text += L':';
    }
    return text;
}
