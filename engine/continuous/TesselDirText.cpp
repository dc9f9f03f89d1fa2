// The continuous-copy list file: making, opening, searching and editing it in place through its mapping.
#include "engine/continuous/TesselDirText.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "outside/Phrasel/PhraselIds.h"

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

// Takes mark off the front of text; false when text does not begin with it.
bool Skip(std::wstring_view &text, std::wstring_view mark)
{
    if (text.substr(0, mark.size()) != mark)
        return false;
    text.remove_prefix(mark.size());
    return true;
}

// Takes a text and its closing quote off the front of text.
bool SkipQuoted(std::wstring_view &text, bool mayBeEmpty)
{
    const size_t quote = text.find(L'"');
    if (quote == std::wstring_view::npos || (quote == 0 && !mayBeEmpty) ||
        text.substr(0, quote).find(L'\0') != std::wstring_view::npos)
        return false;
    text.remove_prefix(quote + 1);
    return true;
}

// An entry line as FormatLine writes it, without its CR LF.
bool IsEntryLine(std::wstring_view line)
{
    if (!Skip(line, L"id=\"") || !SkipQuoted(line, true) || !Skip(line, L",name=\"") || !SkipQuoted(line, false) ||
        !Skip(line, L",isdir=\""))
        return false;
    return line == L"0\"" || line == L"1\"";
}

} // namespace

TesselDirText::TesselDirText(LPCWSTR id, CLogMsg *log) : m_id(id != nullptr ? id : L""), m_log(log)
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
    if (!GetListPath(wanted, path))
        return FALSE;
    // Read before this opening changes it.
    WIN32_FILE_ATTRIBUTE_DATA found;
    const bool existed = ::GetFileAttributesExW(path, GetFileExInfoStandard, &found) != FALSE;
    if (!Create(wanted))
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
    // The text ends where only NULs follow: a list left at its open size holds them after its last line.
    while (units > 0 && m_text[units - 1] == L'\0')
        --units;
    const DWORD length = TidyText(units);
    m_textBytes = length * sizeof(wchar_t);
    m_text[length] = L'\0';
    m_sizeAtOpen = fileSize;
    m_lastPass = existed ? found.ftLastWriteTime : FILETIME{0, 0};
    if (m_damagedLines > 0)
    {
        CLogMsg &log = m_log != nullptr ? *m_log : AppLog;
        log.LogIdAt(L"SyncJob", __LINE__, ERROR_FILE_CORRUPT, LM_WARNING, IDS_LOG_LIST_DAMAGED, FormatNow().GetString(),
                    path.GetString(), m_damagedLines);
    }
    return TRUE;
}

DWORD TesselDirText::TidyText(DWORD units)
{
    const std::wstring_view text(m_text, units);
    const size_t folderEnd = text.find(L"\r\n");
    std::wstring_view folderLine = text.substr(0, folderEnd);
    // The folder line only says where the list belongs: a damaged one is written anew.
    if (folderLine.empty() || folderLine.find(L'\0') != std::wstring_view::npos)
        folderLine = std::wstring_view(m_folder.GetString(), m_folder.GetLength());
    std::wstring tidy(folderLine);
    tidy += L"\r\n";
    m_damagedLines = 0;
    for (size_t at = folderEnd == std::wstring_view::npos ? units : folderEnd + 2; at < units;)
    {
        size_t end = text.find(L"\r\n", at);
        if (end == std::wstring_view::npos)
            end = units;
        // A last line without its CR LF is whole when it has the entry form, and gets its CR LF back.
        const std::wstring_view line = text.substr(at, end - at);
        if (IsEntryLine(line))
            tidy.append(line).append(L"\r\n");
        else
            ++m_damagedLines;
        at = end + 2;
    }
    // The view reaches kListFileSlack bytes beyond the file: the tidy text (at most a new folder line longer)
    // and its NUL fit.
    if (tidy.size() != units || wmemcmp(tidy.data(), m_text, units) != 0)
        wmemcpy(m_text, tidy.data(), tidy.size());
    return static_cast<DWORD>(tidy.size());
}

BOOL TesselDirText::IsWrittenSinceLastPass(const FILETIME &lastWrite) const
{
    if (m_lastPass.dwLowDateTime == 0 && m_lastPass.dwHighDateTime == 0)
        return TRUE;
    return ::CompareFileTime(&lastWrite, &m_lastPass) > 0;
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
    m_lastPass = FILETIME{0, 0};
    m_damagedLines = 0;
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
        // The reopening is part of this pass: the list keeps the time of the last one.
        const CString folder = m_folder;
        const FILETIME lastPass = m_lastPass;
        Close();
        if (!Open(folder))
            return FALSE;
        m_lastPass = lastPass;
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
    TesselDirText list(job.GetJobDef()->GetJobUUID(), &job.GetLog());
    if (!list.Open(folder))
        return FALSE;
    return list.Add(name, (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
}

BOOL RemoveFromListFile(CSyncJob &job, LPCWSTR path, int isFolder)
{
    CString folder, name;
    if (!SplitPath(path, folder, name))
        return FALSE;
    TesselDirText list(job.GetJobDef()->GetJobUUID(), &job.GetLog());
    if (!list.Open(folder))
        return FALSE;
    list.Remove(name, isFolder ? 1 : 0);
    return list.Remove(name, isFolder ? 0 : 1);
}
