// Temporary handle maps: one per thread, emptied on demand and deleted when their thread ends.
#include "platform/windows/HandleMap.h"

#include <gtest/gtest.h>

namespace
{

LONG g_liveProbes = 0;

struct Probe
{
    HANDLE handle = nullptr;
    Probe()
    {
        ::InterlockedIncrement(&g_liveProbes);
    }
    ~Probe()
    {
        ::InterlockedDecrement(&g_liveProbes);
    }
};

struct ProbePolicy
{
    static void SetHandle(Probe &probe, HANDLE handle)
    {
        probe.handle = handle;
    }
};

using ProbeMap = CTempHandleMap<HANDLE, Probe, ProbePolicy>;

HANDLE FakeHandle(UINT_PTR n)
{
    return reinterpret_cast<HANDLE>(n);
}

DWORD WINAPI MakeProbes(LPVOID parameter)
{
    ProbeMap &map = ProbeMap::ForThisThread();
    Probe *first = map.FromHandle(FakeHandle(1));
    Probe *again = map.FromHandle(FakeHandle(1));
    map.FromHandle(FakeHandle(2));
    *static_cast<bool *>(parameter) = first == again && first->handle == FakeHandle(1);
    return 0;
}

} // namespace

TEST(TempHandleMap, WrappersAreKeptPerThreadAndDeletedWithTheirThread)
{
    LONG before = g_liveProbes;
    bool reused = false;
    HANDLE thread = ::CreateThread(nullptr, 0, &MakeProbes, &reused, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    ::CloseHandle(thread);
    EXPECT_TRUE(reused);
    // The thread's clean-up deleted both wrappers; nothing of this thread was touched.
    EXPECT_EQ(g_liveProbes, before);

    ProbeMap &mine = ProbeMap::ForThisThread();
    Probe *probe = mine.FromHandle(FakeHandle(7));
    EXPECT_EQ(&ProbeMap::ForThisThread(), &mine);
    EXPECT_EQ(g_liveProbes, before + 1);
    EXPECT_EQ(mine.FromHandle(nullptr), nullptr);
    AfxDeleteTempMaps();
    EXPECT_EQ(g_liveProbes, before);
    // A wrapper asked for again after the clean-up is a new one holding the handle.
    probe = mine.FromHandle(FakeHandle(7));
    EXPECT_EQ(probe->handle, FakeHandle(7));
    AfxDeleteTempMaps();
}
