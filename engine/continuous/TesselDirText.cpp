// The continuous-copy list file: making, opening, searching and editing it in place through its mapping.
#include "engine/continuous/TesselDirText.h"

#include <cstring>
#include <cwchar>

#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"

namespace
{

const BYTE kMark[2] = {0xFF, 0xFE};

// The largest list that is mapped: anything near the process's address space is no list of ours.
constexpr ULONGLONG kLargestList = 0x10000000;

// path (without trailing backslashes) split at its last backslash: the folder with the backslash, and the name.
bool SplitPath(LPCWSTR path, CString &folder, CString &name)
{
    CString text(path != nullptr ? path : L"");
    text.TrimRight(L'\\');
    const int slash = text.ReverseFind(L'\\');
    if (slash < 0 || slash == text.GetLength() - 1)
        return false;
    folder = text.Left(slash + 1);
    name = text.Mid(slash + 1);
    return true;
}

} // namespace

TesselDirText::TesselDirText(LPCWSTR id) : m_id(id != nullptr ? id : L"")
{
}

TesselDirText::~TesselDirText()
{
    Close();
}

BOOL TesselDirText::GetListPath(LPCWSTR folder, CString &path)
{
    path.Empty();
    const LPCWSTR name = GetTesselDirListFileName();
    if (folder == nullptr || *folder == L'\0' || name == nullptr || *name == L'\0')
    {
        ::SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    CString text(folder);
    if (text[text.GetLength() - 1] != L'\\')
        text += L'\\';
    const DWORD attributes = ::GetFileAttributesW(text);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        ::SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    path = text + name;
    return TRUE;
}

BOOL TesselDirText::Create(LPCWSTR folder)
{
    CString path;
    if (!GetListPath(folder, path))
        return FALSE;
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    CKernelHandle file(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, nullptr));
    if (!file.IsValid())
        return FALSE;
    // Another object made it between the look and the open.
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
        return TRUE;
    const CString line = CString(folder) + L"\r\n";
    const DWORD lineBytes = static_cast<DWORD>(line.GetLength()) * sizeof(wchar_t);
    DWORD written = 0;
    if (!::WriteFile(file, kMark, sizeof(kMark), &written, nullptr) || written != sizeof(kMark) ||
        !::WriteFile(file, line.GetString(), lineBytes, &written, nullptr) || written != lineBytes)
    {
        const DWORD error = ::GetLastError();
        file.Close();
        ::DeleteFileW(path);
        ::SetLastError(error != 0 ? error : ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}

BOOL TesselDirText::Open(LPCWSTR folder)
{
    Close();
    const CString wanted(folder != nullptr ? folder : L"");
    CString path;
    if (!Create(wanted) || !GetListPath(wanted, path))
        return FALSE;
    m_folder = wanted;
    m_file.Attach(
        ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!m_file.IsValid())
        return FALSE;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(m_file, &size) || static_cast<ULONGLONG>(size.QuadPart) > kLargestList)
    {
        const DWORD error = ::GetLastError();
        Close();
        ::SetLastError(error != 0 ? error : ERROR_FILE_TOO_LARGE);
        return FALSE;
    }
    const DWORD fileSize = static_cast<DWORD>(size.QuadPart);
    m_mapping.Attach(::CreateFileMappingW(m_file, nullptr, PAGE_READWRITE, 0, fileSize + kListFileSlack, nullptr));
    if (m_mapping.IsValid())
        m_view.Attach(::MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!m_view.IsValid())
    {
        const DWORD error = ::GetLastError();
        Close();
        ::SetLastError(error);
        return FALSE;
    }
    BYTE *bytes = static_cast<BYTE *>(m_view.Get());
    DWORD units = 0;
    if (fileSize < sizeof(kMark))
        memcpy(bytes, kMark, sizeof(kMark));
    else
        units = (fileSize - sizeof(kMark)) / sizeof(wchar_t);
    m_text = reinterpret_cast<wchar_t *>(bytes + sizeof(kMark));
    // The text ends at its first NUL: what a list left at its open size holds after it is no entry.
    DWORD length = 0;
    while (length < units && m_text[length] != L'\0')
        ++length;
    m_textBytes = length * sizeof(wchar_t);
    m_text[length] = L'\0';
    m_sizeAtOpen = fileSize;
    return TRUE;
}

void TesselDirText::Close()
{
    const bool read = m_text != nullptr;
    m_view.Close();
    m_mapping.Close();
    if (m_file.IsValid())
    {
        // Only a list whose text was read is cut to it: a list that could not be mapped keeps every byte.
        if (read)
        {
            LARGE_INTEGER end;
            end.QuadPart = m_textBytes + sizeof(kMark);
            if (::SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN))
                ::SetEndOfFile(m_file);
        }
        m_file.Close();
    }
    m_text = nullptr;
    m_textBytes = 0;
    m_sizeAtOpen = 0;
}

CString TesselDirText::FormatLine(LPCWSTR name, int isDir) const
{
    CString line;
    line.Format(L"id=\"%s\",name=\"%s\",isdir=\"%d\"\r\n", m_id.GetString(), name != nullptr ? name : L"",
                isDir ? 1 : 0);
    return line;
}

DWORD TesselDirText::Find(LPCWSTR name, int isDir) const
{
    if (m_text == nullptr || name == nullptr)
        return 0;
    const CString line = FormatLine(name, isDir);
    // A hit counts only at the start of a line: the folder line could end in text that looks like an entry.
    for (const wchar_t *hit = wcsstr(m_text, line); hit != nullptr; hit = wcsstr(hit + 1, line))
    {
        if (hit > m_text && hit[-1] == L'\n')
            return static_cast<DWORD>(hit - m_text) * sizeof(wchar_t);
    }
    return 0;
}

BOOL TesselDirText::Add(LPCWSTR name, int isDir)
{
    if (m_text == nullptr || name == nullptr)
        return FALSE;
    if (Contains(name, isDir))
        return TRUE;
    const CString line = FormatLine(name, isDir);
    const DWORD lineBytes = static_cast<DWORD>(line.GetLength()) * sizeof(wchar_t);
    // The view holds the mark, the text and the NUL after it.
    const DWORD room = m_sizeAtOpen + kListFileSlack - sizeof(kMark);
    if (m_textBytes + lineBytes + sizeof(wchar_t) > room)
    {
        const CString folder = m_folder;
        Close();
        if (!Open(folder))
            return FALSE;
        if (m_textBytes + lineBytes + sizeof(wchar_t) > m_sizeAtOpen + kListFileSlack - sizeof(kMark))
            return FALSE;
        return Add(name, isDir);
    }
    memcpy(reinterpret_cast<BYTE *>(m_text) + m_textBytes, line.GetString(), lineBytes);
    m_textBytes += lineBytes;
    m_text[m_textBytes / sizeof(wchar_t)] = L'\0';
    return TRUE;
}

BOOL TesselDirText::Remove(LPCWSTR name, int isDir)
{
    if (m_text == nullptr)
        return FALSE;
    const DWORD offset = Find(name, isDir);
    if (offset == 0)
        return TRUE;
    const DWORD lineBytes = static_cast<DWORD>(FormatLine(name, isDir).GetLength()) * sizeof(wchar_t);
    BYTE *text = reinterpret_cast<BYTE *>(m_text);
    memmove(text + offset, text + offset + lineBytes, m_textBytes - offset - lineBytes);
    m_textBytes -= lineBytes;
    m_text[m_textBytes / sizeof(wchar_t)] = L'\0';
    return TRUE;
}

CString TesselDirText::GetText() const
{
    return m_text != nullptr ? CString(m_text) : CString();
}

BOOL AddToListFile(CSyncJob &job, LPCWSTR path)
{
    CString folder, name;
    if (!SplitPath(path, folder, name))
        return FALSE;
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    TesselDirText list(job.GetJobDef()->GetJobUUID());
    if (!list.Open(folder))
        return FALSE;
    return list.Add(name, (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
}

BOOL RemoveFromListFile(CSyncJob &job, LPCWSTR path, int isFolder)
{
    CString folder, name;
    if (!SplitPath(path, folder, name))
        return FALSE;
    TesselDirText list(job.GetJobDef()->GetJobUUID());
    if (!list.Open(folder))
        return FALSE;
    list.Remove(name, isFolder ? 1 : 0);
    return list.Remove(name, isFolder ? 0 : 1);
}
