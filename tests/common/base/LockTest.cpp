#include "common/base/LockHelper.h"
#include "common/base/MyLock.h"
#include "common/base/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
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

// The name is the old thread base's; CWorkerThread took its place for every worker.
TEST(ThreadHelper, RunsOnItsOwnThreadAndWaits)
{
    CWorkerThread worker;
    EXPECT_FALSE(worker.IsStarted());
    std::atomic<bool> ran{false};
    std::thread::id runThread;
    ASSERT_TRUE(worker.Start([&](const std::stop_token&) {
        runThread = std::this_thread::get_id();
        ran = true;
    }));
    EXPECT_TRUE(worker.IsStarted());
    worker.Join();
    EXPECT_FALSE(worker.IsStarted());
    EXPECT_TRUE(ran);
    EXPECT_NE(runThread, std::this_thread::get_id());
    // An ended thread stays ended for every later wait.
    worker.Join();
    EXPECT_TRUE(worker.JoinFor(std::chrono::milliseconds(0)));
}

// A body blocked on something else than its token is woken by the stop request through a
// stop_callback; JoinFor gives up on a body that does not end, and the destructor still waits
// for it, so nothing it uses goes before it.
TEST(WorkerThread, StopWakesABlockedBodyAndEveryWaitIsBounded)
{
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
    std::atomic<bool> ended{false};
    {
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start([&](const std::stop_token& stop) {
            std::stop_callback onStop(stop, [&] {
                std::lock_guard<std::mutex> lock(mutex);
                woken = true;
                wake.notify_all();
            });
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return woken; });
        }));
        EXPECT_FALSE(worker.JoinFor(std::chrono::milliseconds(50)));
        EXPECT_TRUE(worker.IsStarted());
        worker.RequestStop();
        EXPECT_TRUE(worker.JoinFor(std::chrono::seconds(10)));
        EXPECT_FALSE(worker.IsStarted());

        // Started again after the join; this one ends only after its release, a while later.
        std::atomic<bool> release{false};
        ASSERT_TRUE(worker.Start([&](const std::stop_token&) {
            while (!release)
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ended = true;
        }));
        worker.RequestStop();
        EXPECT_FALSE(worker.JoinFor(std::chrono::milliseconds(20)));
        release = true;
    }
    EXPECT_TRUE(ended) << "the destructor returned before the body ended";
}
