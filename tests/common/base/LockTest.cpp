#include "common/base/LockHelper.h"
#include "common/base/MyLock.h"
#include "common/base/ThreadHelper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
constexpr int kThreads = 8;
constexpr int kRounds = 2000;

// Increments a plain counter with a gap between read and write: without mutual exclusion
// increments are lost.
template <class Guarded> int CountUnder(Guarded guarded)
{
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i)
                guarded([&] {
                    const int seen = counter;
                    std::this_thread::yield();
                    counter = seen + 1;
                });
        });
    for (std::thread& thread : threads)
        thread.join();
    return counter;
}

class CountingMutex : public MyLock::CMutex
{
public:
    void Lock() override
    {
        ++m_locks;
        CMutex::Lock();
    }
    void Unlock() override
    {
        ++m_unlocks;
        CMutex::Unlock();
    }
    int m_locks = 0;
    int m_unlocks = 0;
};

class FlagThread : public ThreadHelper
{
public:
    void Run() override
    {
        m_runThread = std::this_thread::get_id();
        m_ran = true;
    }
    std::atomic<bool> m_ran{false};
    std::thread::id m_runThread;
};
} // namespace

TEST(Locks, GiveMutualExclusion)
{
    MyLock::CMutex mutex;
    EXPECT_EQ(CountUnder([&](auto body) {
                  MyLock::CAutoLock guard(&mutex);
                  body();
              }),
              kThreads * kRounds);
    LockHelper helper;
    EXPECT_EQ(CountUnder([&](auto body) {
                  LockGuard guard(&helper);
                  body();
              }),
              kThreads * kRounds);
}

TEST(Locks, AllowReentryByTheHolder)
{
    MyLock::CMutex mutex;
    LockHelper helper;
    {
        MyLock::CAutoLock outer(&mutex);
        MyLock::CAutoLock inner(&mutex);
        LockGuard outerGuard(&helper);
        LockGuard innerGuard(&helper);
    }
    // Both were released as often as taken: another thread gets them at once.
    std::thread other([&] {
        MyLock::CAutoLock guard(&mutex);
        LockGuard guard2(&helper);
    });
    other.join();
}

TEST(Locks, AutoLockGoesThroughTheVirtualSlots)
{
    CountingMutex mutex;
    {
        MyLock::CAutoLock guard(&mutex);
        EXPECT_EQ(mutex.m_locks, 1);
        EXPECT_EQ(mutex.m_unlocks, 0);
    }
    EXPECT_EQ(mutex.m_unlocks, 1);
}

TEST(ThreadHelper, RunsOnItsOwnThreadAndWaits)
{
    FlagThread worker;
    EXPECT_FALSE(worker.IsStarted());
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.IsStarted());
    EXPECT_TRUE(worker.Wait());
    EXPECT_TRUE(worker.m_ran);
    EXPECT_NE(worker.m_runThread, std::this_thread::get_id());
    // An ended thread stays ended for every later wait.
    EXPECT_TRUE(worker.Wait());
}
