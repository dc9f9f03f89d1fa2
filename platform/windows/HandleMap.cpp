#include "platform/windows/HandleMap.h"

#include <atomic>
#include <new>
#include <vector>

namespace
{

// The temporary maps of one thread, by slot (null where the thread has none of that kind); deleted with the
// thread.
struct ThreadMaps
{
    std::vector<CTempMapBase *> bySlot;

    ~ThreadMaps()
    {
        for (auto it = bySlot.rbegin(); it != bySlot.rend(); ++it)
            delete *it;
    }
};

void WINAPI FreeThreadMaps(void *data)
{
    delete static_cast<ThreadMaps *>(data);
}

// A fiber-local slot runs its callback when a thread ends; a thread-local slot is the fallback that cannot.
struct Slot
{
    DWORD index = FLS_OUT_OF_INDEXES;
    bool fiberLocal = false;

    Slot()
    {
        index = ::FlsAlloc(&FreeThreadMaps);
        fiberLocal = index != FLS_OUT_OF_INDEXES;
        if (!fiberLocal)
            index = ::TlsAlloc();
    }
    bool Valid() const
    {
        return index != FLS_OUT_OF_INDEXES && index != TLS_OUT_OF_INDEXES;
    }
    void *Get() const
    {
        return fiberLocal ? ::FlsGetValue(index) : ::TlsGetValue(index);
    }
    bool Set(void *value) const
    {
        return (fiberLocal ? ::FlsSetValue(index, value) : ::TlsSetValue(index, value)) != FALSE;
    }
};

const Slot &ThreadSlot()
{
    // Never freed: a thread may end while the program is ending.
    static const Slot *slot = new Slot;
    return *slot;
}

ThreadMaps *ThisThreadMaps(bool create)
{
    const Slot &slot = ThreadSlot();
    if (!slot.Valid())
        return nullptr;
    auto *maps = static_cast<ThreadMaps *>(slot.Get());
    if (maps == nullptr && create)
    {
        maps = new (std::nothrow) ThreadMaps;
        if (maps != nullptr && !slot.Set(maps))
        {
            delete maps;
            maps = nullptr;
        }
    }
    return maps;
}

} // namespace

size_t CTempMapBase::NewSlot()
{
    static std::atomic<size_t> next{0};
    return next++;
}

CTempMapBase *CTempMapBase::FindForThisThread(size_t slot)
{
    ThreadMaps *maps = ThisThreadMaps(false);
    if (maps == nullptr || slot >= maps->bySlot.size())
        return nullptr;
    return maps->bySlot[slot];
}

bool CTempMapBase::AdoptForThisThread(size_t slot, CTempMapBase *map)
{
    ThreadMaps *maps = ThisThreadMaps(true);
    if (maps == nullptr)
        return false;
    try
    {
        if (slot >= maps->bySlot.size())
            maps->bySlot.resize(slot + 1, nullptr);
    }
    catch (...)
    {
        return false;
    }
    maps->bySlot[slot] = map;
    return true;
}

void AfxDeleteTempMaps()
{
    ThreadMaps *maps = ThisThreadMaps(false);
    if (maps == nullptr)
        return;
    // Deleting a wrapper may make a map of another kind (the list grows): index, never iterate.
    for (size_t i = 0; i < maps->bySlot.size(); ++i)
        if (CTempMapBase *map = maps->bySlot[i])
            map->DeleteAll();
}
