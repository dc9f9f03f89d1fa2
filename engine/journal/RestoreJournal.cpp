#include "engine/journal/RestoreJournal.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <unordered_set>
#include <vector>

Seam<PFN_JOURNAL_WRITE> g_pfnJournalWrite{&::WriteFile};

namespace
{

constexpr int MAX_JOURNAL_PATH = MAX_PATH - 1;
const wchar_t JOURNAL_SUFFIX[] = L".restore";
const wchar_t SAVED_SUFFIX[] = L".restore.bak";
const wchar_t RENAME_SUFFIX[] = L".restore.new";

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool FileExists(LPCWSTR path)
{
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A job name becomes part of a file name: anything that would lead out of the journal folder (a separator,
// a drive or stream colon) or that no file name may hold is refused.
bool IsPlainFileName(LPCWSTR name)
{
    if (name == nullptr || *name == L'\0')
        return false;
    for (LPCWSTR p = name; *p != L'\0'; ++p)
    {
        if (*p < 32 || std::wcschr(L"\\/:*?\"<>|", *p) != nullptr)
            return false;
    }
    return true;
}

struct Record
{
    DWORD header[5] = {};
    std::wstring destination;
    std::wstring source;
};

// Reads the records of a journal from its start, in blocks.
class RecordReader
{
  public:
    explicit RecordReader(HANDLE file) : m_file(file), m_buffer(65536)
    {
        LARGE_INTEGER size = {};
        LARGE_INTEGER start = {};
        m_ok = ::GetFileSizeEx(file, &size) && ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
        m_size = static_cast<ULONGLONG>(size.QuadPart);
    }

    // The next record; false at the end of the file and at a bad record.
    bool Next(Record &record)
    {
        if (!m_ok || m_position + RESTORE_RECORD_HEADER_SIZE > m_size)
            return false;
        if (!Read(record.header, RESTORE_RECORD_HEADER_SIZE) || record.header[0] != RESTORE_JOURNAL_MAGIC)
            return Stop();
        // The lengths come from the file: an odd one, or one that runs past the end, marks a damaged record
        // rather than an allocation to attempt.
        const DWORD l1 = record.header[3];
        const DWORD l2 = record.header[4];
        if ((l1 & 1) != 0 || (l2 & 1) != 0 || static_cast<ULONGLONG>(l1) + l2 > m_size - m_position)
            return Stop();
        record.destination.assign(l1 / 2, L'\0');
        record.source.assign(l2 / 2, L'\0');
        if (!Read(&record.destination[0], l1) || !Read(&record.source[0], l2))
            return Stop();
        return true;
    }

  private:
    bool Stop()
    {
        m_ok = false;
        return false;
    }

    bool Read(void *target, DWORD count)
    {
        BYTE *out = static_cast<BYTE *>(target);
        while (count > 0)
        {
            if (m_next == m_filled)
            {
                DWORD got = 0;
                if (!::ReadFile(m_file, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got, nullptr) ||
                    got == 0)
                    return false;
                m_next = 0;
                m_filled = got;
            }
            DWORD take = m_filled - m_next;
            if (take > count)
                take = count;
            std::memcpy(out, m_buffer.data() + m_next, take);
            m_next += take;
            out += take;
            count -= take;
            m_position += take;
        }
        return true;
    }

    HANDLE m_file;
    bool m_ok = false;
    ULONGLONG m_size = 0;
    ULONGLONG m_position = 0;
    // On the heap: the run thread that reads journals has a small stack.
    std::vector<BYTE> m_buffer;
    DWORD m_next = 0;
    DWORD m_filled = 0;
};

// Writes records to a new file, in blocks.
class RecordWriter
{
  public:
    explicit RecordWriter(HANDLE file) : m_file(file)
    {
    }

    ULONGLONG Position() const
    {
        return m_position;
    }

    bool Write(const DWORD header[5], const std::wstring &destination, const std::wstring &source)
    {
        return Put(header, RESTORE_RECORD_HEADER_SIZE) &&
               Put(destination.data(), static_cast<DWORD>(destination.size() * sizeof(wchar_t))) &&
               Put(source.data(), static_cast<DWORD>(source.size() * sizeof(wchar_t)));
    }

    bool Flush()
    {
        DWORD written = 0;
        if (!m_pending.empty() &&
            (!g_pfnJournalWrite(m_file, m_pending.data(), static_cast<DWORD>(m_pending.size()), &written, nullptr) ||
             written != m_pending.size()))
            return false;
        m_pending.clear();
        return true;
    }

  private:
    bool Put(const void *data, DWORD count)
    {
        const BYTE *bytes = static_cast<const BYTE *>(data);
        m_pending.insert(m_pending.end(), bytes, bytes + count);
        m_position += count;
        return m_pending.size() < 65536 || Flush();
    }

    HANDLE m_file;
    std::vector<BYTE> m_pending;
    ULONGLONG m_position = 0;
};

void StripTrailingBackslashes(std::wstring &path)
{
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
}

// True when path is prefix itself or lies below it; case is ignored.
bool IsSameOrBelow(const std::wstring &path, const std::wstring &prefix)
{
    if (prefix.empty() || path.size() < prefix.size())
        return false;
    if (::CompareStringOrdinal(path.data(), static_cast<int>(prefix.size()), prefix.data(),
                               static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL)
        return false;
    return path.size() == prefix.size() || path[prefix.size()] == L'\\';
}

// The key a destination is compared by: case ignored, as the file system does.
std::wstring UpperKey(const std::wstring &path)
{
    std::wstring key = path;
    if (!key.empty())
        ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

bool IsBelowAny(const std::wstring &path, const std::vector<std::wstring> &folders)
{
    for (const std::wstring &folder : folders)
    {
        if (IsSameOrBelow(path, folder))
            return true;
    }
    return false;
}

// Deletes the files it holds when it goes out of scope.
class TemporaryFiles
{
  public:
    TemporaryFiles(const CString &first, const CString &second) : m_first(first), m_second(second)
    {
    }
    ~TemporaryFiles()
    {
        DWORD error = ::GetLastError();
        ::DeleteFileW(m_first);
        ::DeleteFileW(m_second);
        SetLastError(error);
    }
    TemporaryFiles(const TemporaryFiles &) = delete;
    TemporaryFiles &operator=(const TemporaryFiles &) = delete;

  private:
    CString m_first;
    CString m_second;
};

} // namespace

CRestoreJournal::CRestoreJournal(LPCWSTR folder) : m_folder(folder)
{
    if (!m_folder.IsEmpty() && m_folder[m_folder.GetLength() - 1] != L'\\')
        m_folder += L'\\';
}

CRestoreJournal::~CRestoreJournal()
{
    Close(0);
}

bool CRestoreJournal::BuildPath(LPCWSTR name, LPCWSTR suffix, CString &path) const
{
    if (!IsPlainFileName(name))
    {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    path = m_folder + name + suffix;
    if (path.GetLength() > MAX_JOURNAL_PATH)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

CString CRestoreJournal::GetJournalPath(LPCWSTR name) const
{
    if (!IsPlainFileName(name))
        return CString();
    return m_folder + name + JOURNAL_SUFFIX;
}

BOOL CRestoreJournal::Open(LPCWSTR name, int forWrite)
{
    Close(0);
    CString journal;
    if (!BuildPath(name, JOURNAL_SUFFIX, journal))
        return FALSE;

    if (forWrite)
    {
        CString saved;
        if (!BuildPath(name, SAVED_SUFFIX, saved))
            return FALSE;
        // A saved copy that is still there means the last run never reached Close (a crash, a power cut, a
        // pulled drive): the journal beside it is that run's partial list, and the saved copy is the last
        // complete one. It goes back in place first, or the copy below would put the partial list over it.
        if (FileExists(saved) && !::CopyFileW(saved, journal, FALSE))
            return FALSE;
        if (FileExists(journal))
        {
            // Without the saved copy a failed run could not bring the previous journal back.
            if (!::CopyFileW(journal, saved, FALSE))
                return FALSE;
        }
        m_file.Attach(::CreateFileW(journal, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file.IsValid())
        {
            DWORD error = ::GetLastError();
            m_file.Close();
            ::DeleteFileW(saved);
            return Fail(error);
        }
        m_name = name;
        m_mode = ModeWriting;
        return TRUE;
    }

    m_file.Attach(::CreateFileW(journal, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file.IsValid())
    {
        DWORD error = ::GetLastError();
        m_file.Close();
        return Fail(error);
    }
    Record first;
    if (!RecordReader(m_file).Next(first))
    {
        m_file.Close();
        return Fail(ERROR_FILE_CORRUPT);
    }
    m_name = name;
    m_mode = ModeReading;
    return TRUE;
}

namespace
{

// One record as it goes into the file, its own offset still 0 (WriteRecords fills it in); false for a record
// too long to describe.
bool BuildRecord(LPCWSTR destination, LPCWSTR source, std::vector<BYTE> &out)
{
    const size_t chars1 = std::wcslen(destination);
    const size_t chars2 = std::wcslen(source);
    if (chars1 + chars2 > 0x3FFFFFF0)
        return false;
    const DWORD header[5] = {RESTORE_JOURNAL_MAGIC, 0, 0, static_cast<DWORD>(chars1 * 2),
                             static_cast<DWORD>(chars2 * 2)};
    const size_t start = out.size();
    out.resize(start + RESTORE_RECORD_HEADER_SIZE + (chars1 + chars2) * sizeof(wchar_t));
    std::memcpy(out.data() + start, header, RESTORE_RECORD_HEADER_SIZE);
    std::memcpy(out.data() + start + RESTORE_RECORD_HEADER_SIZE, destination, chars1 * sizeof(wchar_t));
    std::memcpy(out.data() + start + RESTORE_RECORD_HEADER_SIZE + chars1 * sizeof(wchar_t), source,
                chars2 * sizeof(wchar_t));
    return true;
}

} // namespace

BOOL CRestoreJournal::WriteRecords(BYTE *records, size_t bytes, const std::vector<size_t> &starts)
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER end = {};
    if (!::SetFilePointerEx(m_file, zero, &end, FILE_END))
        return FALSE;
    for (size_t start : starts)
    {
        const ULONGLONG offset = static_cast<ULONGLONG>(end.QuadPart) + start;
        const DWORD words[2] = {static_cast<DWORD>(offset), static_cast<DWORD>(offset >> 32)};
        std::memcpy(records + start + sizeof(DWORD), words, sizeof(words));
    }
    DWORD written = 0;
    if (g_pfnJournalWrite(m_file, records, static_cast<DWORD>(bytes), &written, nullptr) && written == bytes)
        return TRUE;

    // A torn record would hide every record written after it from the readers.
    DWORD error = ::GetLastError();
    if (error == ERROR_SUCCESS)
        error = ERROR_WRITE_FAULT;
    if (::SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN))
        ::SetEndOfFile(m_file);
    if (starts.size() <= 1)
        return Fail(error);
    // Records that go in one by one each get their own chance, as they did before they were gathered: a disk
    // that fills up keeps every record that still fits.
    BOOL all = TRUE;
    for (size_t i = 0; i < starts.size(); ++i)
    {
        const size_t next = i + 1 < starts.size() ? starts[i + 1] : bytes;
        if (!WriteRecords(records + starts[i], next - starts[i], {0}))
            all = FALSE;
    }
    return all;
}

BOOL CRestoreJournal::Append(LPCWSTR destination, LPCWSTR source)
{
    if (m_mode != ModeWriting || !m_file.IsValid())
        return Fail(ERROR_INVALID_HANDLE);
    if (destination == nullptr || source == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    // The records queued before this one go first.
    WriteQueued();
    std::vector<BYTE> record;
    if (!BuildRecord(destination, source, record))
        return Fail(ERROR_INVALID_PARAMETER);
    // The whole record in one write.
    return WriteRecords(record.data(), record.size(), {0});
}

void CRestoreJournal::Queue(LPCWSTR destination, LPCWSTR source)
{
    if (m_mode != ModeWriting || !m_file.IsValid() || destination == nullptr || source == nullptr)
        return;
    const size_t start = m_queued.size();
    if (!BuildRecord(destination, source, m_queued))
        return;
    m_queuedStarts.push_back(start);
    if (m_queued.size() >= kQueuedBlock)
        WriteQueued();
}

BOOL CRestoreJournal::WriteQueued()
{
    if (m_queuedStarts.empty())
        return TRUE;
    const BOOL written = m_file.IsValid() && WriteRecords(m_queued.data(), m_queued.size(), m_queuedStarts);
    m_queued.clear();
    m_queuedStarts.clear();
    return written;
}

BOOL CRestoreJournal::Close(int rollback)
{
    const int mode = m_mode;
    m_mode = ModeClosed;
    if (!m_file.IsValid())
        return TRUE;
    if (mode == ModeWriting)
    {
        WriteQueued();
        ::FlushFileBuffers(m_file);
    }
    m_file.Close();
    if (mode != ModeWriting)
        return TRUE;

    CString journal;
    CString saved;
    if (!BuildPath(m_name, JOURNAL_SUFFIX, journal) || !BuildPath(m_name, SAVED_SUFFIX, saved))
        return FALSE;
    if (rollback && FileExists(saved) && !::CopyFileW(saved, journal, FALSE))
        return FALSE;
    ::DeleteFileW(saved);
    return TRUE;
}

BOOL CRestoreJournal::AppendOne(LPCWSTR name, LPCWSTR destination, LPCWSTR source)
{
    if (destination == nullptr || source == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    return AppendRecords(name, {{destination, source}});
}

BOOL CRestoreJournal::AppendRecords(LPCWSTR name, const std::vector<std::pair<CString, CString>> &records)
{
    if (m_mode == ModeWriting)
        return Fail(ERROR_BUSY);
    Close(0);
    CString journal;
    CString saved;
    if (!BuildPath(name, JOURNAL_SUFFIX, journal) || !BuildPath(name, SAVED_SUFFIX, saved))
        return FALSE;

    if (FileExists(journal))
    {
        // Appending to an empty saved copy and putting it in place would lose every earlier record.
        if (!::CopyFileW(journal, saved, FALSE))
            return FALSE;
    }
    else
    {
        ::DeleteFileW(saved);
    }
    m_file.Attach(::CreateFileW(saved, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file.IsValid())
    {
        DWORD error = ::GetLastError();
        m_file.Close();
        ::DeleteFileW(saved);
        return Fail(error);
    }
    m_name = name;
    m_mode = ModeWriting;

    for (const auto &[destination, source] : records)
    {
        if (!Append(destination, source))
        {
            // Close without rollback drops the saved copy and with it the half-made append.
            DWORD error = ::GetLastError();
            Close(0);
            return Fail(error);
        }
    }
    if (!Close(1))
    {
        DWORD error = ::GetLastError();
        ::DeleteFileW(saved);
        return Fail(error);
    }
    return TRUE;
}

BOOL CRestoreJournal::Rename(LPCWSTR oldName, LPCWSTR newName)
{
    CString from;
    CString to;
    if (!BuildPath(oldName, JOURNAL_SUFFIX, from) || !BuildPath(newName, JOURNAL_SUFFIX, to))
        return FALSE;
    if (FileExists(from))
    {
        if (from == to)
            return TRUE;
        return ::MoveFileW(from, to) ? TRUE : FALSE;
    }
    CKernelHandle created(::CreateFileW(to, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return created.IsValid() ? TRUE : FALSE;
}

BOOL CRestoreJournal::RecordRename(LPCWSTR name, LPCWSTR newDestination, LPCWSTR newSource, LPCWSTR oldDestination,
                                   LPCWSTR oldSource)
{
    if (m_mode == ModeWriting)
        return Fail(ERROR_BUSY);
    Close(0);
    CString journal;
    CString saved;
    CString renamed;
    if (!BuildPath(name, JOURNAL_SUFFIX, journal) || !BuildPath(name, SAVED_SUFFIX, saved) ||
        !BuildPath(name, RENAME_SUFFIX, renamed))
        return FALSE;
    if (newDestination == nullptr || newSource == nullptr || oldDestination == nullptr || oldSource == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    std::wstring oldDest(oldDestination);
    std::wstring newDest(newDestination);
    std::wstring oldSrc(oldSource);
    std::wstring newSrc(newSource);
    StripTrailingBackslashes(oldDest);
    StripTrailingBackslashes(newDest);
    StripTrailingBackslashes(oldSrc);
    StripTrailingBackslashes(newSrc);
    // An empty old destination would match nothing sensible; a bare root would match the whole drive.
    if (oldDest.empty())
        return Fail(ERROR_INVALID_PARAMETER);
    if (!FileExists(journal))
        return Fail(ERROR_FILE_NOT_FOUND);

    if (!::CopyFileW(journal, saved, FALSE))
        return FALSE;
    TemporaryFiles temporaries(saved, renamed);
    {
        CKernelHandle in(::CreateFileW(saved, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in.IsValid())
            return FALSE;
        CKernelHandle out(
            ::CreateFileW(renamed, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.IsValid())
            return FALSE;

        RecordReader reader(in);
        RecordWriter writer(out);
        Record record;
        while (reader.Next(record))
        {
            bool ok;
            if (IsSameOrBelow(record.destination, oldDest))
            {
                std::wstring destination = newDest + record.destination.substr(oldDest.size());
                std::wstring source = record.source;
                if (IsSameOrBelow(source, oldSrc))
                    source = newSrc + source.substr(oldSrc.size());
                const ULONGLONG offset = writer.Position();
                const DWORD header[5] = {RESTORE_JOURNAL_MAGIC, static_cast<DWORD>(offset),
                                         static_cast<DWORD>(offset >> 32),
                                         static_cast<DWORD>(destination.size() * sizeof(wchar_t)),
                                         static_cast<DWORD>(source.size() * sizeof(wchar_t))};
                ok = writer.Write(header, destination, source);
            }
            else
            {
                ok = writer.Write(record.header, record.destination, record.source);
            }
            if (!ok)
                return FALSE;
        }
        if (!writer.Flush() || !::FlushFileBuffers(out))
            return FALSE;
    }
    if (!::CopyFileW(renamed, journal, FALSE))
        return FALSE;
    return TRUE;
}

int CRestoreJournal::KeepRecordsBelow(const std::vector<CString> &folders)
{
    if (m_mode != ModeWriting || !m_file.IsValid())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    std::vector<std::wstring> kept;
    for (const CString &folder : folders)
    {
        std::wstring text = folder.GetString();
        StripTrailingBackslashes(text);
        if (!text.empty())
            kept.push_back(text);
    }
    CString journal;
    CString saved;
    if (kept.empty() || !BuildPath(m_name, JOURNAL_SUFFIX, journal) || !BuildPath(m_name, SAVED_SUFFIX, saved) ||
        !FileExists(saved))
        return 0;

    // What this session has written already below those folders (a listing that broke off part-way wrote some).
    WriteQueued();
    std::unordered_set<std::wstring> written;
    {
        CKernelHandle current(::CreateFileW(journal, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!current.IsValid())
            return -1;
        RecordReader reader(current);
        Record record;
        while (reader.Next(record))
        {
            if (IsBelowAny(record.source, kept))
                written.insert(UpperKey(record.destination));
        }
    }

    CKernelHandle previous(
        ::CreateFileW(saved, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!previous.IsValid())
        return -1;
    RecordReader reader(previous);
    Record record;
    int added = 0;
    while (reader.Next(record))
    {
        if (record.destination.empty() || !IsBelowAny(record.source, kept) ||
            !written.insert(UpperKey(record.destination)).second || !FileExists(record.destination.c_str()))
            continue;
        if (!Append(record.destination.c_str(), record.source.c_str()))
            return -1;
        ++added;
    }
    return added;
}

int CRestoreJournal::ReadAll(CStringList &list)
{
    if (m_mode != ModeReading || !m_file.IsValid())
        return 0;
    int added = 0;
    RecordReader reader(m_file);
    Record record;
    while (reader.Next(record))
    {
        if (record.destination.empty())
            continue;
        list.AddTail(CString(record.destination.c_str(), static_cast<int>(record.destination.size())));
        ++added;
    }
    return added;
}
