// Synchronisation objects: critical section, event, mutex, semaphore, and the scoped CSingleLock.
#pragma once
#include <windows.h>

// Base of the waitable objects. m_hObject is null when the object could not be created (and always for a
// critical section); Lock then fails instead of waiting.
class CSyncObject
{
  public:
    explicit CSyncObject(LPCWSTR pstrName = nullptr);
    virtual ~CSyncObject();
    CSyncObject(const CSyncObject &) = delete;
    CSyncObject &operator=(const CSyncObject &) = delete;

    operator HANDLE() const
    {
        return m_hObject;
    }

    // TRUE when the object was obtained within dwTimeout milliseconds (an abandoned mutex counts as obtained).
    virtual BOOL Lock(DWORD dwTimeout = INFINITE);
    virtual BOOL Unlock() = 0;
    virtual BOOL Unlock(LONG lCount, LPLONG lpPrevCount = nullptr);

    HANDLE m_hObject;
};

class CCriticalSection : public CSyncObject
{
  public:
    CCriticalSection();
    // A critical section that spins dwSpinCount times before it waits (the high bit is accepted).
    explicit CCriticalSection(DWORD dwSpinCount);
    ~CCriticalSection() override;

    operator CRITICAL_SECTION *()
    {
        return &m_sect;
    }

    BOOL Lock();
    // INFINITE waits; any other time-out tries for that long and returns FALSE when the section stayed taken.
    BOOL Lock(DWORD dwTimeout) override;
    BOOL Unlock() override;
    using CSyncObject::Unlock;

    CRITICAL_SECTION m_sect;
};

class CEvent : public CSyncObject
{
  public:
    // bInitiallyOwn: created signalled. Without bManualReset the event resets itself when one waiter is released.
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCWSTR lpszName = nullptr,
                    LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);

    BOOL SetEvent();
    BOOL PulseEvent();
    BOOL ResetEvent();
    BOOL Unlock() override;
    using CSyncObject::Unlock;
};

class CMutex : public CSyncObject
{
  public:
    explicit CMutex(BOOL bInitiallyOwn = FALSE, LPCWSTR lpszName = nullptr,
                    LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);

    BOOL Unlock() override;
    using CSyncObject::Unlock;
};

class CSemaphore : public CSyncObject
{
  public:
    explicit CSemaphore(LONG lInitialCount = 1, LONG lMaxCount = 1, LPCWSTR pstrName = nullptr,
                        LPSECURITY_ATTRIBUTES lpsaAttributes = nullptr);

    BOOL Unlock() override;
    BOOL Unlock(LONG lCount, LPLONG lprevCount = nullptr) override;
};

// Holds one synchronisation object for a scope: the destructor releases it when it is held.
class CSingleLock
{
  public:
    explicit CSingleLock(CSyncObject *pObject, BOOL bInitialLock = FALSE);
    ~CSingleLock();
    CSingleLock(const CSingleLock &) = delete;
    CSingleLock &operator=(const CSingleLock &) = delete;

    // Obtaining an object already held by this lock succeeds without taking it twice.
    BOOL Lock(DWORD dwTimeOut = INFINITE);
    BOOL Unlock();
    BOOL Unlock(LONG lCount, LPLONG lPrevCount = nullptr);
    BOOL IsLocked() const
    {
        return m_bAcquired;
    }

  protected:
    CSyncObject *m_pObject;
    HANDLE m_hObject;
    BOOL m_bAcquired;
};
