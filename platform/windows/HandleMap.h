// Maps from Win32 handles to the wrapper objects of the window layer.
//
// A permanent map holds the objects that own a handle (a CWnd that created or subclassed a window, a CMenu
// that loaded a menu); it is shared by all threads. A temporary map belongs to one thread and holds the
// wrappers that FromHandle makes for handles that no object owns. Temporary wrappers are deleted when the
// thread's application loop goes idle (AfxDeleteTempMaps) and when the thread ends, so a pointer that
// FromHandle returns must not be kept across messages.
#pragma once
#include <windows.h>
#include <memory>
#include <unordered_map>

template <class H, class T> class CPermanentHandleMap
{
  public:
    CPermanentHandleMap() = default;
    CPermanentHandleMap(const CPermanentHandleMap &) = delete;
    CPermanentHandleMap &operator=(const CPermanentHandleMap &) = delete;

    T *Lookup(H h) const
    {
        if (h == nullptr)
            return nullptr;
        ::AcquireSRWLockShared(&m_lock);
        auto it = m_map.find(h);
        T *found = it != m_map.end() ? it->second : nullptr;
        ::ReleaseSRWLockShared(&m_lock);
        return found;
    }
    // FALSE (and no change) when another object already owns the handle.
    bool Add(H h, T *p)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        bool added = false;
        try
        {
            added = m_map.emplace(h, p).second || m_map[h] == p;
        }
        catch (...)
        {
            added = false;
        }
        ::ReleaseSRWLockExclusive(&m_lock);
        return added;
    }
    // Removes the handle only while it still maps to p.
    void Remove(H h, T *p)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        auto it = m_map.find(h);
        if (it != m_map.end() && it->second == p)
            m_map.erase(it);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

  private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<H, T *> m_map;
};

// The part of every temporary map that the thread's clean-up sees. A thread's maps are kept in fiber-local
// storage and deleted by its clean-up callback when the thread ends. C++ thread_local objects with destructors
// are avoided on purpose: their run-time registers a threads-library key whose deletion at program exit can
// wait forever for a thread that has already gone, so the program would never end.
class CTempMapBase
{
  public:
    CTempMapBase(const CTempMapBase &) = delete;
    CTempMapBase &operator=(const CTempMapBase &) = delete;
    virtual ~CTempMapBase() = default;
    virtual void DeleteAll() = 0;

  protected:
    CTempMapBase() = default;

    // One slot per kind of map, the same on every thread.
    static size_t NewSlot();
    // The calling thread's map in this slot, or null.
    static CTempMapBase *FindForThisThread(size_t slot);
    // Hands a new map to the calling thread, which deletes it when it ends; false when it could not be kept.
    static bool AdoptForThisThread(size_t slot, CTempMapBase *map);
};

// The object behind a pointer that may be null even where the caller used it as `this`: the empty assembly
// statement hides the pointer's origin, so the compiler cannot assume it non-null and drop the test.
template <class T> const T *AfxSafeThis(const T *p)
{
    __asm__("" : "+r"(p));
    return p;
}

// Deletes every temporary wrapper of the calling thread.
void AfxDeleteTempMaps();

// Policy::SetHandle(T&, H) stores a handle into a wrapper without making it the handle's owner; the map
// clears the handle again before it deletes the wrapper, so deleting it leaves the handle alone.
template <class H, class T, class Policy> class CTempHandleMap final : public CTempMapBase
{
  public:
    static CTempHandleMap &ForThisThread()
    {
        static const size_t slot = NewSlot();
        if (CTempMapBase *found = FindForThisThread(slot))
            return *static_cast<CTempHandleMap *>(found);
        auto *map = new CTempHandleMap;
        // Without per-thread storage the map is simply never freed.
        AdoptForThisThread(slot, map);
        return *map;
    }

    T *FromHandle(H h)
    {
        if (h == nullptr)
            return nullptr;
        auto it = m_map.find(h);
        if (it != m_map.end())
            return it->second.get();
        std::unique_ptr<T> wrapper(new T);
        Policy::SetHandle(*wrapper, h);
        T *raw = wrapper.get();
        m_map.emplace(h, std::move(wrapper));
        return raw;
    }

    void DeleteAll() override
    {
        std::unordered_map<H, std::unique_ptr<T>> doomed;
        doomed.swap(m_map);
        for (auto &entry : doomed)
            Policy::SetHandle(*entry.second, nullptr);
    }

  private:
    CTempHandleMap() = default;
    ~CTempHandleMap() override
    {
        DeleteAll();
    }

    std::unordered_map<H, std::unique_ptr<T>> m_map;
};
