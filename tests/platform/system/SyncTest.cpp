// Events, mutexes, semaphores and critical sections between two threads, held through CSingleLock.
#include "platform/system/Sync.h"

#include <gtest/gtest.h>
#include <thread>

TEST(SyncObjects, EventsResetAsCreated)
{
    CEvent automatic;
    ASSERT_NE(automatic.m_hObject, nullptr);
    EXPECT_FALSE(automatic.Lock(0));
    EXPECT_TRUE(automatic.SetEvent());
    EXPECT_TRUE(automatic.Lock(0));
    EXPECT_FALSE(automatic.Lock(0)); // released one waiter and reset itself

    CEvent manual(TRUE, TRUE);
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.ResetEvent());
    EXPECT_FALSE(manual.Lock(0));
    EXPECT_TRUE(manual.PulseEvent()); // nobody waits: stays reset
    EXPECT_FALSE(manual.Lock(0));

    // A named event opened twice is one object.
    CEvent named(FALSE, TRUE, L"VelbrookSyncTestEvent");
    CEvent same(FALSE, TRUE, L"VelbrookSyncTestEvent");
    named.SetEvent();
    EXPECT_TRUE(same.Lock(0));
}

TEST(SyncObjects, EventReleasesAWaitingThread)
{
    CEvent go;
    CEvent done;
    BOOL woke = FALSE;
    std::thread waiter([&] {
        woke = go.Lock(10000);
        done.SetEvent();
    });
    EXPECT_FALSE(done.Lock(100));
    go.SetEvent();
    EXPECT_TRUE(done.Lock(10000));
    waiter.join();
    EXPECT_TRUE(woke);
}

TEST(SyncObjects, MutexHeldByOneThreadKeepsTheOtherOut)
{
    CMutex mutex;
    CEvent taken, tried, released;
    BOOL whileHeld = TRUE, afterRelease = FALSE, heldAtEnd = FALSE;
    std::thread other([&] {
        taken.Lock(10000);
        CSingleLock lock(&mutex);
        whileHeld = lock.Lock(50);
        tried.SetEvent();
        released.Lock(10000);
        afterRelease = lock.Lock(10000);
        heldAtEnd = lock.IsLocked();
    }); // the lock's destructor releases the mutex on the thread that holds it
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        taken.SetEvent();
        EXPECT_TRUE(tried.Lock(10000));
    }
    released.SetEvent();
    other.join();
    EXPECT_FALSE(whileHeld);
    EXPECT_TRUE(afterRelease);
    EXPECT_TRUE(heldAtEnd);
    // Released, not abandoned.
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    ReleaseMutex(mutex);
}

TEST(SyncObjects, SingleLockTakesItsObjectOnce)
{
    CMutex mutex;
    {
        CSingleLock lock(&mutex);
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Lock());
        EXPECT_TRUE(lock.Lock()); // no second hold
        EXPECT_TRUE(lock.Unlock());
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Unlock()); // nothing held, nothing released
        EXPECT_TRUE(lock.Lock());
    }
    BOOL freeElsewhere = FALSE;
    std::thread other([&] {
        CSingleLock lock(&mutex);
        freeElsewhere = lock.Lock(0);
    });
    other.join();
    EXPECT_TRUE(freeElsewhere);

    CSingleLock nothing(nullptr, TRUE);
    EXPECT_FALSE(nothing.IsLocked());
    EXPECT_FALSE(nothing.Lock(0));
}

TEST(SyncObjects, SemaphoreCountsItsHolders)
{
    CSemaphore slots(2, 2);
    EXPECT_TRUE(slots.Lock(0));
    EXPECT_TRUE(slots.Lock(0));
    EXPECT_FALSE(slots.Lock(0));
    LONG previous = -1;
    EXPECT_TRUE(slots.Unlock(2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(slots.Unlock()); // past the maximum
    CSingleLock one(&slots, TRUE);
    EXPECT_TRUE(one.IsLocked());
    EXPECT_TRUE(one.Unlock(1, &previous));
    EXPECT_EQ(previous, 1);
}

TEST(SyncObjects, CriticalSectionSerialisesTwoThreads)
{
    CCriticalSection section(0x80000400);
    long counter = 0;
    auto add = [&] {
        for (int i = 0; i < 100000; ++i)
        {
            CSingleLock lock(&section, TRUE);
            long seen = counter;
            counter = seen + 1;
        }
    };
    std::thread first(add), second(add);
    first.join();
    second.join();
    EXPECT_EQ(counter, 200000);

    // A bounded wait for a section held elsewhere gives up; an unbounded one gets it once it is left.
    CEvent entered, leave;
    std::thread holder([&] {
        EnterCriticalSection(section);
        entered.SetEvent();
        leave.Lock(10000);
        section.Unlock();
    });
    ASSERT_TRUE(entered.Lock(10000));
    EXPECT_FALSE(section.Lock(30));
    leave.SetEvent();
    EXPECT_TRUE(section.Lock(INFINITE));
    section.Unlock();
    holder.join();
    EXPECT_EQ(section.m_hObject, nullptr);
}
