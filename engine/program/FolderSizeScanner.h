// Totals the size of a job's sources on a thread of its own, with include and exclude extension sets.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/text/Collections.h"
#include "platform/text/String.h"
#include "platform/system/Handles.h"

// Per-extension figures gathered while a scan runs.
struct CExtStats
{
    UINT files = 0;
    ULONGLONG bytes = 0; // sum of rounded sizes
};

// A file's size raised to the next multiple of 4096 bytes.
ULONGLONG RoundedFileSize(DWORD sizeHigh, DWORD sizeLow);

// The include and exclude extension sets. Keys are lower-case list entries such as ".doc" (the include key
// "*.*" takes every file that has an extension); a file's extension runs from its last "." to the end.
// Every member may be called from any thread: the scan thread updates the statistics while other threads
// read them.
class CExtFilterPair
{
  public:
    CExtFilterPair() = default;
    CExtFilterPair(const CExtFilterPair &) = delete;
    CExtFilterPair &operator=(const CExtFilterPair &) = delete;

    // Each empties its set (dropping its statistics), adds the entries of the text (separators ";, ") and
    // keeps the text.
    void SetIncludeExts(const CString &text);
    void SetExcludeExts(const CString &text);
    void SetBoth(const CString &includeText, const CString &excludeText);

    bool IsExcludedExt(LPCWSTR name) const;
    bool IsIncludedExt(LPCWSTR name) const;
    // Counts the file in its extension's statistics when that extension is in the include set by name
    // ("*.*" does not count here); false otherwise.
    bool AddToExtStats(const WIN32_FIND_DATAW &found);
    // Adds the statistics of one extension (when it has any) to count and bytes.
    void GetExtStats(LPCWSTR extension, UINT &count, ULONGLONG &bytes) const;

    CString GetIncludeText() const;
    CString GetExcludeText() const;

  private:
    mutable std::mutex m_lock;
    // A null value: an entry with no file counted yet.
    std::unordered_map<CString, std::unique_ptr<CExtStats>> m_include;
    std::unordered_set<CString> m_exclude;
    CString m_includeText;
    CString m_excludeText;
};

// Walks its folder list and adds up file sizes rounded to 4096-byte units. The first entry is walked with
// the extension sets applied; every later entry counts all files under it (or itself, when it is a file).
class CFolderSizeScanner
{
  public:
    CFolderSizeScanner();
    ~CFolderSizeScanner();
    CFolderSizeScanner(const CFolderSizeScanner &) = delete;
    CFolderSizeScanner &operator=(const CFolderSizeScanner &) = delete;

    // Stops a running scan, replaces the folder list and both extension lists and starts a scan thread.
    void StartScan(const std::vector<CString> &folders, const CString &includeText, const CString &excludeText);
    void StartScan(const CStringArray &folders, const CString &includeText, const CString &excludeText);
    // With rescan nonzero: stops a running scan, then scans on the calling thread. Returns the total.
    ULONGLONG GetTotalSize(BOOL rescan);
    // Stops a running scan, sets the total and replaces both extension lists without reading the disk.
    void SetTotalAndFilters(ULONGLONG total, const CString &includeText, const CString &excludeText);
    // Asks a running scan to stop and waits for its thread.
    void StopScan();
    // Stops a running scan and starts a new scan thread on the same list and sets; returns its handle
    // (null when the thread could not be started).
    HANDLE RestartScan();
    void AddFolder(LPCWSTR path);
    // A copy of the folder list, taken under its lock (a scan thread may be reading it).
    std::vector<CString> GetFolders() const;

    // Splits the list at ";", "," and " "; for each piece (lower-cased, "." put before a piece without one)
    // adds the figures counted so far for that extension of the include set to count and total.
    void AddExtensionTotals(LPCWSTR extensionList, UINT &count, ULONGLONG &total) const;

    CString GetIncludeText() const
    {
        return m_filters.GetIncludeText();
    }
    CString GetExcludeText() const
    {
        return m_filters.GetExcludeText();
    }
    UINT GetFolderCount() const
    {
        return m_folderCount;
    }

    // Set to 1 to ask a running scan to stop; 1 also once a scan has ended, 0 while one runs.
    std::atomic<BYTE> m_stopFlag;
    // The scan thread of the last start (null before the first); callers may wait on it.
    CKernelHandle m_hThread;
    // Files counted by the scan in progress or the last one.
    std::atomic<UINT> m_fileCount;

  private:
    static unsigned __stdcall ThreadEntry(void *pThis);
    void StartThread();
    // Scans on the calling thread; returns the total it reached.
    ULONGLONG Scan(bool clearStop);
    void Walk(const CString &folder, bool filtersOn);
    void CountFile(ULONGLONG roundedSize);

    // Serialises starting and stopping, so that one caller never waits on a handle another one closes.
    mutable std::recursive_mutex m_controlLock;
    // Held for the whole of a scan: a thread scan and a synchronous one never write the figures together.
    std::mutex m_scanLock;
    // Guards the folder list, which AddFolder may change while nothing scans.
    mutable std::mutex m_listLock;
    std::vector<CString> m_folders;
    CExtFilterPair m_filters;
    std::atomic<ULONGLONG> m_total;
    std::atomic<UINT> m_folderCount;
};
