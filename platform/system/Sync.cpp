#include "platform/system/Sync.h"

CSyncObject::CSyncObject(LPCWSTR) : m_hObject(nullptr)
{
}

CSyncObject::~CSyncObject()
{
    if (m_hObject != nullptr)
        ::CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD dwTimeout)
{
    if (m_hObject == nullptr)
        return FALSE;
    DWORD result = ::WaitForSingleObject(m_hObject, dwTimeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

BOOL CSyncObject::Unlock(LONG, LPLONG)
{
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------

CCriticalSection::CCriticalSection() : CCriticalSection(0)
{
}

CCriticalSection::CCriticalSection(DWORD dwSpinCount) : CSyncObject(nullptr)
{
    // Cannot fail from Windows Vista on.
    ::InitializeCriticalSectionAndSpinCount(&m_sect, dwSpinCount);
}

CCriticalSection::~CCriticalSection()
{
    ::DeleteCriticalSection(&m_sect);
}

BOOL CCriticalSection::Lock()
{
    ::EnterCriticalSection(&m_sect);
    return TRUE;
}

BOOL CCriticalSection::Lock(DWORD dwTimeout)
{
    if (dwTimeout == INFINITE)
        return Lock();
    DWORD start = ::GetTickCount();
    for (;;)
    {
        if (::TryEnterCriticalSection(&m_sect))
            return TRUE;
        if (::GetTickCount() - start >= dwTimeout)
            return FALSE;
        ::Sleep(1);
    }
}

BOOL CCriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_sect);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, LPCWSTR lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute)
    : CSyncObject(lpszName)
{
    m_hObject = ::CreateEventW(lpsaAttribute, bManualReset, bInitiallyOwn, lpszName);
}

BOOL CEvent::SetEvent()
{
    return m_hObject != nullptr && ::SetEvent(m_hObject);
}

BOOL CEvent::PulseEvent()
{
    return m_hObject != nullptr && ::PulseEvent(m_hObject);
}

BOOL CEvent::ResetEvent()
{
    return m_hObject != nullptr && ::ResetEvent(m_hObject);
}

BOOL CEvent::Unlock()
{
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------

CMutex::CMutex(BOOL bInitiallyOwn, LPCWSTR lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute) : CSyncObject(lpszName)
{
    m_hObject = ::CreateMutexW(lpsaAttribute, bInitiallyOwn, lpszName);
}

BOOL CMutex::Unlock()
{
    return m_hObject != nullptr && ::ReleaseMutex(m_hObject);
}

// ---------------------------------------------------------------------------------------------------------

CSemaphore::CSemaphore(LONG lInitialCount, LONG lMaxCount, LPCWSTR pstrName, LPSECURITY_ATTRIBUTES lpsaAttributes)
    : CSyncObject(pstrName)
{
    m_hObject = ::CreateSemaphoreW(lpsaAttributes, lInitialCount, lMaxCount, pstrName);
}

BOOL CSemaphore::Unlock()
{
    return Unlock(1, nullptr);
}

BOOL CSemaphore::Unlock(LONG lCount, LPLONG lprevCount)
{
    return m_hObject != nullptr && ::ReleaseSemaphore(m_hObject, lCount, lprevCount);
}

// ---------------------------------------------------------------------------------------------------------

CSingleLock::CSingleLock(CSyncObject *pObject, BOOL bInitialLock)
    : m_pObject(pObject), m_hObject(pObject != nullptr ? pObject->m_hObject : nullptr), m_bAcquired(FALSE)
{
    if (bInitialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD dwTimeOut)
{
    if (m_pObject == nullptr)
        return FALSE;
    if (!m_bAcquired)
        m_bAcquired = m_pObject->Lock(dwTimeOut);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (m_pObject != nullptr && m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    // Nothing held is nothing to release.
    return !m_bAcquired;
}

BOOL CSingleLock::Unlock(LONG lCount, LPLONG lPrevCount)
{
    if (m_pObject != nullptr && m_bAcquired)
        m_bAcquired = !m_pObject->Unlock(lCount, lPrevCount);
    return !m_bAcquired;
}
