#include "engine/program/FolderSizeScanner.h"

#include <process.h>

#include "engine/program/AppPaths.h"

namespace
{

const wchar_t kListSeparators[] = L";, ";

// The lower-case extension of a name, from its last "." to the end; false when it has none.
bool LowerExtension(LPCWSTR name, CString &extension)
{
    if (name == nullptr)
        return false;
    const wchar_t *dot = wcsrchr(name, L'.');
    if (dot == nullptr)
        return false;
    extension = dot;
    extension.MakeLower();
    return true;
}

template <typename AddPiece> void ForEachListPiece(const CString &text, AddPiece add)
{
    int position = 0;
    while (position >= 0)
    {
        CString piece = text.Tokenize(kListSeparators, position);
        if (!piece.IsEmpty())
            add(piece.MakeLower());
    }
}

} // namespace

ULONGLONG RoundedFileSize(DWORD sizeHigh, DWORD sizeLow)
{
    const ULONGLONG size = (static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow;
    return (size + 4095) & ~static_cast<ULONGLONG>(4095);
}

// ---- CExtFilterPair

void CExtFilterPair::SetIncludeExts(const CString &text)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_include.clear();
    ForEachListPiece(text, [this](const CString &key) { m_include.emplace(key, nullptr); });
    m_includeText = text;
}

void CExtFilterPair::SetExcludeExts(const CString &text)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_exclude.clear();
    ForEachListPiece(text, [this](const CString &key) { m_exclude.insert(key); });
    m_excludeText = text;
}

void CExtFilterPair::SetBoth(const CString &includeText, const CString &excludeText)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_include.clear();
    m_exclude.clear();
    ForEachListPiece(includeText, [this](const CString &key) { m_include.emplace(key, nullptr); });
    ForEachListPiece(excludeText, [this](const CString &key) { m_exclude.insert(key); });
    m_includeText = includeText;
    m_excludeText = excludeText;
}

bool CExtFilterPair::IsExcludedExt(LPCWSTR name) const
{
    CString extension;
    if (!LowerExtension(name, extension))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_exclude.count(extension) != 0;
}

bool CExtFilterPair::IsIncludedExt(LPCWSTR name) const
{
    CString extension;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_include.empty() || !LowerExtension(name, extension))
        return false;
    return m_include.count(L"*.*") != 0 || m_include.count(extension) != 0;
}

bool CExtFilterPair::AddToExtStats(const WIN32_FIND_DATAW &found)
{
    CString extension;
    if (!LowerExtension(found.cFileName, extension))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    auto entry = m_include.find(extension);
    if (entry == m_include.end())
        return false;
    if (!entry->second)
        entry->second = std::make_unique<CExtStats>();
    entry->second->files += 1;
    entry->second->bytes += RoundedFileSize(found.nFileSizeHigh, found.nFileSizeLow);
    return true;
}

void CExtFilterPair::GetExtStats(LPCWSTR extension, UINT &count, ULONGLONG &bytes) const
{
    if (extension == nullptr)
        return;
    CString key(extension);
    key.MakeLower();
    std::lock_guard<std::mutex> guard(m_lock);
    auto entry = m_include.find(key);
    if (entry == m_include.end() || !entry->second)
        return;
    count += entry->second->files;
    bytes += entry->second->bytes;
}

CString CExtFilterPair::GetIncludeText() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_includeText;
}

CString CExtFilterPair::GetExcludeText() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_excludeText;
}

// ---- CFolderSizeScanner

CFolderSizeScanner::CFolderSizeScanner() : m_stopFlag(0), m_fileCount(0), m_total(0), m_folderCount(0)
{
}

CFolderSizeScanner::~CFolderSizeScanner()
{
    StopScan();
}

void CFolderSizeScanner::StartScan(const std::vector<CString> &folders, const CString &includeText,
                                   const CString &excludeText)
{
    std::lock_guard<std::recursive_mutex> control(m_controlLock);
    StopScan();
    {
        std::lock_guard<std::mutex> guard(m_listLock);
        m_folders = folders;
    }
    m_filters.SetBoth(includeText, excludeText);
    StartThread();
}

void CFolderSizeScanner::StartScan(const CStringArray &folders, const CString &includeText, const CString &excludeText)
{
    std::vector<CString> list;
    list.reserve(static_cast<size_t>(folders.GetSize()));
    for (INT_PTR i = 0; i < folders.GetSize(); ++i)
        list.push_back(folders[i]);
    StartScan(list, includeText, excludeText);
}

ULONGLONG CFolderSizeScanner::GetTotalSize(BOOL rescan)
{
    if (rescan)
    {
        {
            std::lock_guard<std::recursive_mutex> control(m_controlLock);
            StopScan();
        }
        return Scan(true);
    }
    return m_total;
}

void CFolderSizeScanner::SetTotalAndFilters(ULONGLONG total, const CString &includeText, const CString &excludeText)
{
    std::lock_guard<std::recursive_mutex> control(m_controlLock);
    StopScan();
    m_total = total;
    m_filters.SetBoth(includeText, excludeText);
}

void CFolderSizeScanner::StopScan()
{
    std::lock_guard<std::recursive_mutex> control(m_controlLock);
    m_stopFlag = 1;
    if (m_hThread.IsValid())
        ::WaitForSingleObject(m_hThread, INFINITE);
}

HANDLE CFolderSizeScanner::RestartScan()
{
    std::lock_guard<std::recursive_mutex> control(m_controlLock);
    StopScan();
    StartThread();
    return m_hThread;
}

void CFolderSizeScanner::AddFolder(LPCWSTR path)
{
    std::lock_guard<std::mutex> guard(m_listLock);
    m_folders.push_back(CString(path));
}

std::vector<CString> CFolderSizeScanner::GetFolders() const
{
    std::lock_guard<std::mutex> guard(m_listLock);
    return m_folders;
}

void CFolderSizeScanner::AddExtensionTotals(LPCWSTR extensionList, UINT &count, ULONGLONG &total) const
{
    ForEachListPiece(CString(extensionList), [&](const CString &piece) {
        const CString key = piece.Find(L'.') >= 0 ? piece : L'.' + piece;
        m_filters.GetExtStats(key, count, total);
    });
}

// Called with the control lock held and no scan thread running.
void CFolderSizeScanner::StartThread()
{
    m_hThread.Close();
    // Cleared here and not by the thread: a stop asked for before the thread gets going must not be lost.
    m_stopFlag = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &CFolderSizeScanner::ThreadEntry, this, 0, nullptr);
    if (handle == 0)
        m_stopFlag = 1;
    else
        m_hThread.Attach(reinterpret_cast<HANDLE>(handle));
}

unsigned __stdcall CFolderSizeScanner::ThreadEntry(void *pThis)
{
    auto *scanner = static_cast<CFolderSizeScanner *>(pThis);
    try
    {
        scanner->Scan(false);
    }
    catch (...)
    {
        // Out of memory in the middle of a walk: the total so far stays a lower bound.
        scanner->m_stopFlag = 1;
        return 1;
    }
    return 0;
}

void CFolderSizeScanner::CountFile(ULONGLONG roundedSize)
{
    m_fileCount += 1;
    m_total += roundedSize;
}

ULONGLONG CFolderSizeScanner::Scan(bool clearStop)
{
    std::lock_guard<std::mutex> scanning(m_scanLock);
    if (clearStop)
        m_stopFlag = 0;
    m_total = 0;
    m_folderCount = 0;
    m_fileCount = 0;

    std::vector<CString> folders;
    {
        std::lock_guard<std::mutex> guard(m_listLock);
        folders = m_folders;
    }
    for (size_t i = 0; i < folders.size() && m_stopFlag == 0; ++i)
    {
        CString path = folders[i];
        path.TrimRight(L'\\');
        if (path.IsEmpty())
            continue;
        if (i == 0)
        {
            m_folderCount += 1;
            Walk(path, true);
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA data;
        // A bare drive such as "D:" would name the drive's current folder: look at its root.
        const CString lookup = path.GetLength() == 2 && path[1] == L':' ? path + L'\\' : path;
        if (!::GetFileAttributesExW(lookup, GetFileExInfoStandard, &data))
            break;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            m_folderCount += 1;
            Walk(path, false);
        }
        else
        {
            CountFile(RoundedFileSize(data.nFileSizeHigh, data.nFileSizeLow));
        }
    }
    m_stopFlag = 1;
    return m_total;
}

void CFolderSizeScanner::Walk(const CString &folder, bool filtersOn)
{
    if (m_stopFlag != 0)
        return;
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW(folder + L"\\*.*", &found));
    if (!listing.IsValid())
        return;

    do
    {
        const bool isDots = wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0;
        if (!isDots && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        {
            const CString path = folder + L'\\' + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                if (!IsSystemPath(path))
                {
                    m_folderCount += 1;
                    Walk(path, filtersOn);
                }
            }
            else if (!filtersOn || (!m_filters.IsExcludedExt(found.cFileName) && m_filters.AddToExtStats(found)))
            {
                CountFile(RoundedFileSize(found.nFileSizeHigh, found.nFileSizeLow));
            }
        }
    } while (m_stopFlag == 0 && ::FindNextFileW(listing, &found));
}
