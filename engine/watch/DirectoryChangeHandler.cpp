#include "engine/watch/DirectoryChangeHandler.h"

#include "engine/watch/DirectoryChangeWatcher.h"

CDirectoryChangeHandler::CDirectoryChangeHandler()
    : m_references(1), m_watcher(nullptr), m_watchCount(0), m_destroying(false)
{
}

CDirectoryChangeHandler::~CDirectoryChangeHandler()
{
    m_destroying = true;
    RemoveOwnWatches();
}

void CDirectoryChangeHandler::FileAdded(LPCWSTR)
{
}

void CDirectoryChangeHandler::FileRemoved(LPCWSTR)
{
}

void CDirectoryChangeHandler::FileRenamed(LPCWSTR, LPCWSTR)
{
}

void CDirectoryChangeHandler::FileModified(LPCWSTR)
{
}

void CDirectoryChangeHandler::WatchError(DWORD, LPCWSTR)
{
}

void CDirectoryChangeHandler::WatchStarted(DWORD, LPCWSTR)
{
}

void CDirectoryChangeHandler::WatchStopped(LPCWSTR)
{
}

BOOL CDirectoryChangeHandler::AcceptChange(DWORD, LPCWSTR, LPCWSTR)
{
    return TRUE;
}

LONG CDirectoryChangeHandler::AddRef()
{
    return ::InterlockedIncrement(&m_references);
}

LONG CDirectoryChangeHandler::Release()
{
    const LONG count = ::InterlockedDecrement(&m_references);
    if (count == 0 && !m_destroying)
        delete this;
    return count;
}

LONG CDirectoryChangeHandler::GetReferenceCount() const
{
    return m_references;
}

int CDirectoryChangeHandler::AttachWatcher(CDirectoryChangeWatcher *watcher)
{
    CSingleLock hold(&m_lock, TRUE);
    if (m_watcher != nullptr && m_watcher != watcher)
    {
        RemoveOwnWatches();
        m_watchCount = 0;
    }
    m_watcher = watcher;
    return ++m_watchCount;
}

void CDirectoryChangeHandler::DetachWatcher()
{
    CSingleLock hold(&m_lock, TRUE);
    if (--m_watchCount < 1)
    {
        m_watcher = nullptr;
        m_watchCount = 0;
    }
}

int CDirectoryChangeHandler::GetWatchCount() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_watchCount;
}

BOOL CDirectoryChangeHandler::RemoveOwnWatches()
{
    CDirectoryChangeWatcher *watcher;
    {
        CSingleLock hold(&m_lock, TRUE);
        watcher = m_watcher;
    }
    return watcher != nullptr ? watcher->RemoveHandlerWatches(this) : TRUE;
}

void CDirectoryChangeHandler::SetCurrentFolder(LPCWSTR folder)
{
    CSingleLock hold(&m_lock, TRUE);
    m_currentFolder = folder;
}

CString CDirectoryChangeHandler::GetCurrentFolder() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_currentFolder;
}
