// The levelled log writer: printf-like entries in a UTF-16LE file that starts with a byte-order mark, written
// under a mutex and rotated by size when the file is opened.
#pragma once
#include <windows.h>
#include <cstdarg>
#include <string>

#include "platform/system/Handles.h"

// Level bits of an entry. An entry is written when its bits meet the log's level mask.
enum LogLevel : DWORD
{
    LM_SHUTDOWN = 1,
    LM_TRACE = 2,
    LM_DEBUG = 4,
    LM_INFO = 8,
    LM_NOTICE = 16,
    LM_WARNING = 32,
    LM_STARTUP = 64,
    LM_ERROR = 128,
    LM_CRITICAL = 256,
    LM_ALERT = 512,
    LM_EMERGENCY = 1024,
};

// Besides the standard conversions (d i o u x X c s e E f g G, with flags, width, precision, "h", "L" and
// "*"), formats know these directives:
//   %Q signed 64-bit argument     %q unsigned 64-bit argument   %D local time
//   %M level name of the entry    %P process id                 %t thread id
//   %N location file              %n log name                   %l location line
//   %m system text of the location error
//   %p a string argument, ": " and the system text of the location error
// An entry is cut at MaxEntryLength characters; every LF is written as CR LF, and an entry that does not end
// with a line end gets CR LF, so that each entry ends its line.
class CLogMsg
{
  public:
    static constexpr int MaxEntryLength = 4096;
    static constexpr DWORD DefaultLevelMask = 2047;
    static constexpr ULONGLONG DefaultRotationSize = 104857600;

    CLogMsg();
    virtual ~CLogMsg();
    CLogMsg(const CLogMsg &) = delete;
    CLogMsg &operator=(const CLogMsg &) = delete;

    // Rotates the file when it lacks the byte-order mark or has grown beyond the limit (the environment
    // variable ROTATION_SIZE, else DefaultRotationSize), then opens it for appending and makes it read-only.
    // 0 on success, -1 on failure.
    int Open(LPCWSTR path);

    // The number of characters formatted, 0 when the mask misses the level mask, -1 for a null format.
    int Log(DWORD mask, LPCWSTR format, ...);
    int LogV(DWORD mask, LPCWSTR format, va_list args);
    // The format is string nID of the language library (or the program); -1 when it is missing or empty.
    int LogId(DWORD mask, UINT nID, ...);

    // Stores the location of the next entry and returns the stored copy of file.
    LPCWSTR SetLocation(LPCWSTR file, int line, DWORD error);
    // The location and its entry in one call, under the log's mutex, so that another thread's entry cannot take
    // this location: m_log.LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, id, ...).
    int LogAt(LPCWSTR file, int line, DWORD error, DWORD mask, LPCWSTR format, ...);
    int LogIdAt(LPCWSTR file, int line, DWORD error, DWORD mask, UINT nID, ...);

    // Writes buffered data through to the file, under the log's mutex.
    void Flush();

    void SetLogName(LPCWSTR name)
    {
        m_name = name ? name : L"";
    }
    LPCWSTR GetLogName() const
    {
        return m_name.c_str();
    }
    void SetLevelMask(DWORD mask)
    {
        m_levelMask = mask;
    }
    DWORD GetLevelMask() const
    {
        return m_levelMask;
    }
    // Above 0: every entry starts with the local time.
    void SetTimePrefix(int prefix)
    {
        m_timePrefix = prefix;
    }
    int GetTimePrefix() const
    {
        return m_timePrefix;
    }
    // The file's full path as given to the last Open that got that far.
    LPCWSTR GetPath() const
    {
        return m_path.c_str();
    }

  private:
    class MutexLock;

    bool OpenFile();
    // String nID as an entry format, cut at MaxEntryLength; false when it is missing or empty.
    static bool LoadEntryFormat(UINT nID, std::wstring &format);
    bool WriteEntry(const std::wstring &text);
    std::wstring FormatEntry(DWORD mask, LPCWSTR format, va_list args) const;

    std::wstring m_name;
    std::wstring m_locationFile;
    int m_locationLine;
    DWORD m_locationError;
    DWORD m_levelMask;
    CKernelHandle m_file;
    CKernelHandle m_mutex;
    int m_timePrefix;
    std::wstring m_path;
};

// Name of the lowest level bit of mask ("LM_INFO"), or an empty string when it has none.
LPCWSTR LogLevelName(DWORD mask);

// The program-wide log, which also serves as the error record of code outside jobs. Nothing opens it.
extern CLogMsg AppLog;

// An exception stopped at a window procedure or thread boundary, as an entry of the program's log (time,
// boundary and the exception's text). The programs install it in g_pfnReportException at start-up.
void ReportExceptionToAppLog(const char *where, const char *what);
