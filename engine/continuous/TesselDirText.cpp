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

const wchar_t kSyncedField[] = L",synced=\"";
constexpr size_t kSyncedDigits = 16;

// The 16 hex digits of a FILETIME, high word first.
bool ParseSynced(std::wstring_view digits, FILETIME &time)
{
    if (digits.size() != kSyncedDigits)
        return false;
    ULONGLONG value = 0;
    for (const wchar_t c : digits)
    {
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<ULONGLONG>(digit);
    }
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    time.dwLowDateTime = static_cast<DWORD>(value);
    return true;
}

// The in-step time as a line ends with it: ,synced="<high word><low word>", in hex.
std::wstring FormatSynced(const FILETIME &time)
{
    wchar_t digits[kSyncedDigits + 1];
    swprintf(digits, kSyncedDigits + 1, L"%08lX%08lX", static_cast<unsigned long>(time.dwHighDateTime),
             static_cast<unsigned long>(time.dwLowDateTime));
    return kSyncedField + std::wstring(digits) + L"\"";
}

// An entry line as the list writes it, without its CR LF.
bool IsEntryLine(std::wstring_view line)
{
    if (!Skip(line, L"id=\"") || !SkipQuoted(line, true) || !Skip(line, L",name=\"") || !SkipQuoted(line, false) ||
        !Skip(line, L",isdir=\""))
        return false;
    if (!Skip(line, L"0\"") && !Skip(line, L"1\""))
        return false;
    FILETIME time;
    return line.empty() || (Skip(line, kSyncedField) && line.size() == kSyncedDigits + 1 && line.back() == L'"' &&
                            ParseSynced(line.substr(0, kSyncedDigits), time));
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
    // A file line without its in-step time was written by a program that went by the list's own last write:
    // it gets that time, as this opening finds it, once.
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
    std::wstring tidy = TidyText(units, existed ? &found.ftLastWriteTime : nullptr);
    // The view reaches kListFileSlack bytes beyond the file: the tidy text and its NUL must fit in it, or the
    // old lines stay without their times.
    if ((tidy.size() + 1) * sizeof(wchar_t) + sizeof(kMark) > fileSize + kListFileSlack)
        tidy = TidyText(units, nullptr);
    if (tidy.size() != units || wmemcmp(tidy.data(), m_text, units) != 0)
        wmemcpy(m_text, tidy.data(), tidy.size());
    const DWORD length = static_cast<DWORD>(tidy.size());
    m_textBytes = length * sizeof(wchar_t);
    m_text[length] = L'\0';
    m_sizeAtOpen = fileSize;
    if (m_damagedLines > 0)
    {
        CLogMsg &log = m_log != nullptr ? *m_log : AppLog;
        log.LogIdAt(L"SyncJob", __LINE__, ERROR_FILE_CORRUPT, LM_WARNING, IDS_LOG_LIST_DAMAGED, FormatNow().GetString(),
                    path.GetString(), m_damagedLines);
    }
    return TRUE;
}

std::wstring TesselDirText::TidyText(DWORD units, const FILETIME *listWritten)
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
        {
            tidy.append(line);
            constexpr std::wstring_view fileEnd = L",isdir=\"0\"";
            if (listWritten != nullptr && line.size() >= fileEnd.size() &&
                line.substr(line.size() - fileEnd.size()) == fileEnd)
                tidy.append(FormatSynced(*listWritten));
            tidy.append(L"\r\n");
        }
        else
        {
            ++m_damagedLines;
        }
        at = end + 2;
    }
    return tidy;
}

BOOL TesselDirText::IsWrittenSinceInStep(LPCWSTR name, const FILETIME &lastWrite) const
{
    FILETIME synced;
    if (!GetInStepTime(name, synced))
        return TRUE;
    return ::CompareFileTime(&lastWrite, &synced) > 0;
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
    m_damagedLines = 0;
}

CString TesselDirText::FormatLine(LPCWSTR name, int isDir) const
{
    CString line;
    line.Format(L"id=\"%s\",name=\"%s\",isdir=\"%d\"", m_id.GetString(), name != nullptr ? name : L"", isDir ? 1 : 0);
    return line;
}

DWORD TesselDirText::Find(LPCWSTR name, int isDir) const
{
    if (m_text == nullptr || name == nullptr)
        return 0;
    const CString line = FormatLine(name, isDir);
    // A hit counts only as a whole line, with or without its time: the folder line could end in text that looks
    // like an entry, and one name can begin another.
    for (const wchar_t *hit = wcsstr(m_text, line); hit != nullptr; hit = wcsstr(hit + 1, line))
    {
        const wchar_t next = hit[line.GetLength()];
        if (hit > m_text && hit[-1] == L'\n' && (next == L'\r' || next == L','))
            return static_cast<DWORD>(hit - m_text) * sizeof(wchar_t);
    }
    return 0;
}

DWORD TesselDirText::LineBytesAt(DWORD offset) const
{
    const wchar_t *start = m_text + offset / sizeof(wchar_t);
    const wchar_t *end = wcsstr(start, L"\r\n");
    const wchar_t *stop = m_text + m_textBytes / sizeof(wchar_t);
    return static_cast<DWORD>(((end != nullptr ? end + 2 : stop) - start) * sizeof(wchar_t));
}

BOOL TesselDirText::Append(const CString &line)
{
    const DWORD lineBytes = static_cast<DWORD>(line.GetLength()) * sizeof(wchar_t);
    // The view holds the mark, the text and the NUL after it.
    if (m_textBytes + lineBytes + sizeof(wchar_t) > m_sizeAtOpen + kListFileSlack - sizeof(kMark))
    {
        // Closed and opened again: the text goes to the file whole, and the mapping reaches kListFileSlack
        // bytes beyond it.
        const CString folder = m_folder;
        Close();
        if (!Open(folder))
            return FALSE;
        if (m_textBytes + lineBytes + sizeof(wchar_t) > m_sizeAtOpen + kListFileSlack - sizeof(kMark))
            return FALSE;
    }
    memcpy(reinterpret_cast<BYTE *>(m_text) + m_textBytes, line.GetString(), lineBytes);
    m_textBytes += lineBytes;
    m_text[m_textBytes / sizeof(wchar_t)] = L'\0';
    return TRUE;
}

BOOL TesselDirText::Add(LPCWSTR name, int isDir)
{
    if (m_text == nullptr || name == nullptr)
        return FALSE;
    if (Contains(name, isDir))
        return TRUE;
    return Append(FormatLine(name, isDir) + L"\r\n");
}

BOOL TesselDirText::Remove(LPCWSTR name, int isDir)
{
    if (m_text == nullptr)
        return FALSE;
    const DWORD offset = Find(name, isDir);
    if (offset == 0)
        return TRUE;
    const DWORD lineBytes = LineBytesAt(offset);
    BYTE *text = reinterpret_cast<BYTE *>(m_text);
    memmove(text + offset, text + offset + lineBytes, m_textBytes - offset - lineBytes);
    m_textBytes -= lineBytes;
    m_text[m_textBytes / sizeof(wchar_t)] = L'\0';
    return TRUE;
}

BOOL TesselDirText::MarkInStep(LPCWSTR name, const FILETIME &written)
{
    if (m_text == nullptr || name == nullptr)
        return FALSE;
    const CString line = FormatLine(name, 0) + FormatSynced(written).c_str() + L"\r\n";
    const DWORD lineBytes = static_cast<DWORD>(line.GetLength()) * sizeof(wchar_t);
    const DWORD offset = Find(name, 0);
    if (offset != 0 && LineBytesAt(offset) == lineBytes)
    {
        // A line with a time already: the new time takes its place.
        memcpy(reinterpret_cast<BYTE *>(m_text) + offset, line.GetString(), lineBytes);
        return TRUE;
    }
    if (offset != 0)
        Remove(name, 0);
    return Append(line);
}

BOOL TesselDirText::GetInStepTime(LPCWSTR name, FILETIME &written) const
{
    written = FILETIME{0, 0};
    const DWORD offset = Find(name, 0);
    if (offset == 0)
        return FALSE;
    const size_t prefix = static_cast<size_t>(FormatLine(name, 0).GetLength());
    std::wstring_view rest(m_text + offset / sizeof(wchar_t) + prefix, LineBytesAt(offset) / sizeof(wchar_t) - prefix);
    return Skip(rest, kSyncedField) && rest.size() >= kSyncedDigits &&
           ParseSynced(rest.substr(0, kSyncedDigits), written);
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
