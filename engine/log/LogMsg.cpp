// Opening, rotating and writing the log file. The formatting of entries is in LogMsgFormat.cpp.
#include "engine/log/LogMsg.h"
#include "platform/system/Resources.h"

CLogMsg AppLog;

namespace
{

const wchar_t kByteOrderMark = 0xFEFF;

// ROTATION_SIZE is read as at most 12 characters. A value that is not a positive decimal number would rotate
// every non-empty log at each start, so it falls back to the default.
ULONGLONG RotationLimit()
{
    wchar_t small[13];
    DWORD length = GetEnvironmentVariableW(L"ROTATION_SIZE", small, 13);
    std::wstring value;
    if (length > 0 && length < 13)
        value.assign(small, length);
    else if (length >= 13)
    {
        std::wstring whole(length, L'\0');
        DWORD got = GetEnvironmentVariableW(L"ROTATION_SIZE", &whole[0], length);
        if (got > 0 && got < length)
            value = whole.substr(0, 12);
    }
    ULONGLONG limit = 0;
    for (wchar_t ch : value)
    {
        if (ch < L'0' || ch > L'9')
            break;
        limit = limit * 10 + static_cast<ULONGLONG>(ch - L'0');
    }
    return limit > 0 ? limit : CLogMsg::DefaultRotationSize;
}

// True when the file exists and must be moved aside before it is written again: it does not start with the
// byte-order mark, or it is larger than the limit.
bool NeedsRotation(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (data.nFileSizeHigh != 0)
        return true;
    unsigned char head[2] = {0, 0};
    DWORD read = 0;
    CKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid() && !ReadFile(file, head, 2, &read, nullptr))
        read = 0;
    if (read != 2 || head[0] != 0xFF || head[1] != 0xFE)
        return true;
    return static_cast<ULONGLONG>(data.nFileSizeLow) > RotationLimit();
}

// The largest number n among the files named path + "." + n (a name without a number counts as 0).
int LargestRotationNumber(const std::wstring &path)
{
    size_t slash = path.find_last_of(L"\\/");
    std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
    int largest = 0;
    WIN32_FIND_DATAW found;
    CFindHandle search(FindFirstFileW((path + L".*").c_str(), &found));
    if (!search.IsValid())
        return 0;
    do
    {
        const wchar_t *name = found.cFileName;
        if (_wcsnicmp(name, base.c_str(), base.size()) != 0 || name[base.size()] != L'.')
            continue;
        long long number = 0;
        for (const wchar_t *digit = name + base.size() + 1; *digit >= L'0' && *digit <= L'9'; ++digit)
        {
            number = number * 10 + (*digit - L'0');
            if (number >= MAXINT)
                break;
        }
        // A number that leaves no successor cannot be rotated past; it is ignored.
        if (number < MAXINT && number > largest)
            largest = static_cast<int>(number);
    } while (FindNextFileW(search, &found));
    return largest;
}

void Rotate(const std::wstring &path)
{
    std::wstring target = path + L"." + std::to_wstring(LargestRotationNumber(path) + 1);
    MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool WriteAll(const CKernelHandle &file, const void *data, DWORD bytes)
{
    DWORD written = 0;
    return file.IsValid() && WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

} // namespace

// Holds the log's mutex for a scope. An abandoned mutex (a writer thread that ended inside an entry) is
// still obtained: the file stays usable.
class CLogMsg::MutexLock
{
  public:
    explicit MutexLock(const CKernelHandle &mutex) : m_mutex(mutex.IsValid() ? mutex.Get() : nullptr)
    {
        if (m_mutex)
        {
            DWORD wait = WaitForSingleObject(m_mutex, INFINITE);
            m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~MutexLock()
    {
        if (m_held)
            ReleaseMutex(m_mutex);
    }
    MutexLock(const MutexLock &) = delete;
    MutexLock &operator=(const MutexLock &) = delete;
    bool Held() const
    {
        return m_held;
    }

  private:
    HANDLE m_mutex;
    bool m_held = false;
};

CLogMsg::CLogMsg()
    : m_locationLine(-1), m_locationError(static_cast<DWORD>(-1)), m_levelMask(DefaultLevelMask), m_timePrefix(0)
{
}

CLogMsg::~CLogMsg() = default;

int CLogMsg::Open(LPCWSTR path)
{
    if (!m_mutex.IsValid())
    {
        m_mutex.Attach(CreateMutexW(nullptr, FALSE, nullptr));
        if (!m_mutex.IsValid())
            return -1;
    }
    if (!path || !*path)
        return -1;
    MutexLock lock(m_mutex);
    if (!lock.Held())
        return -1;
    std::wstring fullPath = path;
    // The log's own handle would keep its file from being moved aside.
    m_file.Close();
    if (NeedsRotation(fullPath))
        Rotate(fullPath);
    m_path = fullPath;
    return OpenFile() ? 0 : -1;
}

// Opens m_path for appending, starts an empty file with the byte-order mark and leaves the file read-only so
// that nobody edits a log that is being written. The caller holds the mutex (or is opening the log).
bool CLogMsg::OpenFile()
{
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    m_file.Close();
    HANDLE file = CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_file.Attach(file);
    LARGE_INTEGER zero = {};
    LARGE_INTEGER end = {};
    if (!SetFilePointerEx(file, zero, &end, FILE_END))
        return false;
    if (end.QuadPart == 0 && !WriteAll(m_file, &kByteOrderMark, sizeof kByteOrderMark))
        return false;
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY);
    return true;
}

int CLogMsg::Log(DWORD mask, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int result = LogV(mask, format, args);
    va_end(args);
    return result;
}

int CLogMsg::LogV(DWORD mask, LPCWSTR format, va_list args)
{
    if ((mask & m_levelMask) == 0)
        return 0;
    if (!format)
        return -1;
    std::wstring text = FormatEntry(mask, format, args);
    WriteEntry(text);
    return static_cast<int>(text.size());
}

bool CLogMsg::LoadEntryFormat(UINT nID, std::wstring &format)
{
    if (!AfxLoadStringResource(nID, format) || format.empty())
        return false;
    if (format.size() > static_cast<size_t>(MaxEntryLength))
        format.resize(MaxEntryLength);
    return true;
}

int CLogMsg::LogId(DWORD mask, UINT nID, ...)
{
    std::wstring format;
    if (!LoadEntryFormat(nID, format))
        return -1;
    va_list args;
    va_start(args, nID);
    int result = LogV(mask, format.c_str(), args);
    va_end(args);
    return result;
}

int CLogMsg::LogAt(LPCWSTR file, int line, DWORD error, DWORD mask, LPCWSTR format, ...)
{
    // The mutex is recursive: the write below takes it once more on this thread.
    MutexLock lock(m_mutex);
    SetLocation(file, line, error);
    va_list args;
    va_start(args, format);
    int result = LogV(mask, format, args);
    va_end(args);
    return result;
}

int CLogMsg::LogIdAt(LPCWSTR file, int line, DWORD error, DWORD mask, UINT nID, ...)
{
    MutexLock lock(m_mutex);
    SetLocation(file, line, error);
    std::wstring format;
    if (!LoadEntryFormat(nID, format))
        return -1;
    va_list args;
    va_start(args, nID);
    int result = LogV(mask, format.c_str(), args);
    va_end(args);
    return result;
}

LPCWSTR CLogMsg::SetLocation(LPCWSTR file, int line, DWORD error)
{
    m_locationFile = file ? file : L"";
    m_locationLine = line;
    m_locationError = error;
    return m_locationFile.c_str();
}

void CLogMsg::Flush()
{
    MutexLock lock(m_mutex);
    if (lock.Held() && m_file.IsValid())
        FlushFileBuffers(m_file.Get());
}

// A log that was never opened has no mutex, and its entries are dropped.
bool CLogMsg::WriteEntry(const std::wstring &text)
{
    if (!m_mutex.IsValid())
        return false;
    std::wstring lines;
    lines.reserve(text.size() + text.size() / 16 + 2);
    for (wchar_t ch : text)
    {
        if (ch == L'\n')
            lines += L'\r';
        lines += ch;
    }
    // Every entry is a line of its own: most formats carry no line end, and without one each entry would run
    // into the next. A format that ends its own line gets no second one.
    if (lines.empty())
        return true;
    if (lines.back() != L'\n')
        lines += L"\r\n";
    const DWORD bytes = static_cast<DWORD>(lines.size() * sizeof(wchar_t));
    MutexLock lock(m_mutex);
    if (!lock.Held())
        return false;
    if (WriteAll(m_file, lines.data(), bytes))
        return true;
    // The handle may have gone stale (a network drive that came back, a file moved away): open once more.
    return OpenFile() && WriteAll(m_file, lines.data(), bytes);
}

void ReportExceptionToAppLog(const char *where, const char *what)
{
    const CString place(where != nullptr ? where : "?");
    const CString text(what != nullptr ? what : "an exception of unknown kind");
    AppLog.LogAt(L"Program", 0, 0, LM_CRITICAL, L"%D Exception stopped in %s: %s\n", place.GetString(),
                 text.GetString());
}
