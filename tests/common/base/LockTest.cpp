#include "common/base/LockHelper.h"
#include "common/base/MyLock.h"
#include "common/base/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace
{
constexpr int kThreads = 8;
constexpr int kRounds = 2000;
// Far beyond a step of the work even on a loaded machine; threads that end none and make no
// progress for this long wait on a lock nobody releases.
constexpr auto kPatience = std::chrono::seconds(3);

// Runs body on `count` threads and waits for them while they move: as long as a thread ends
// or progress() grows within kPatience. Threads still out when nothing moved are left behind
// with what they use (which body holds in shared ownership), and the failure says how many
// were stuck.
::testing::AssertionResult RunThreads(int count, const std::function<void()>& body,
                                      const std::function<long()>& progress = {})
{
    struct Finish
    {
        std::mutex lock;
        std::condition_variable ended;
        int count = 0;
    };
    auto finish = std::make_shared<Finish>();
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t)
        threads.emplace_back([finish, body] {
            body();
            const std::lock_guard<std::mutex> guard(finish->lock);
            ++finish->count;
            finish->ended.notify_all();
        });
    std::unique_lock<std::mutex> guard(finish->lock);
    bool all = false;
    int endedBefore = -1;
    long progressBefore = -1;
    for (;;)
    {
        all = finish->ended.wait_for(guard, kPatience, [&] { return finish->count == count; });
        const long progressNow = progress ? progress() : 0;
        if (all || (finish->count == endedBefore && progressNow == progressBefore))
            break;
        endedBefore = finish->count;
        progressBefore = progressNow;
    }
    const int ended = finish->count;
    guard.unlock();
    for (std::thread& thread : threads)
        all ? thread.join() : thread.detach();
    if (all)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << count - ended << " of " << count << " threads did not end and nothing moved for "
           << kPatience.count() << " s: a lock was never released";
}

// Increments a plain counter with a gap between read and write: without mutual exclusion
// increments are lost. -1 when the threads got stuck.
template <class Guarded> int CountUnder(Guarded guarded)
{
    auto counter = std::make_shared<int>(0);
    auto rounds = std::make_shared<std::atomic<long>>(0);
    const ::testing::AssertionResult ended = RunThreads(
        kThreads,
        [counter, rounds, guarded] {
            for (int i = 0; i < kRounds; ++i)
            {
                guarded([&] {
                    const int seen = *counter;
                    std::this_thread::yield();
                    *counter = seen + 1;
                });
                ++*rounds;
            }
        },
        [rounds] { return rounds->load(); });
    EXPECT_TRUE(ended);
    return ended ? *counter : -1;
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
    auto mutex = std::make_shared<MyLock::CMutex>();
    EXPECT_EQ(CountUnder([mutex](auto body) {
                  MyLock::CAutoLock guard(mutex.get());
                  body();
              }),
              kThreads * kRounds);
    auto helper = std::make_shared<LockHelper>();
    EXPECT_EQ(CountUnder([helper](auto body) {
                  LockGuard guard(helper.get());
                  body();
              }),
              kThreads * kRounds);
}

TEST(Locks, AllowReentryByTheHolder)
{
    auto mutex = std::make_shared<MyLock::CMutex>();
    auto helper = std::make_shared<LockHelper>();
    {
        MyLock::CAutoLock outer(mutex.get());
        MyLock::CAutoLock inner(mutex.get());
        LockGuard outerGuard(helper.get());
        LockGuard innerGuard(helper.get());
    }
    // Both were released as often as taken: another thread gets them at once.
    EXPECT_TRUE(RunThreads(1, [mutex, helper] {
        MyLock::CAutoLock guard(mutex.get());
        LockGuard guard2(helper.get());
    }));
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
    ASSERT_TRUE(worker.JoinFor(std::chrono::seconds(5))) << "the worker did not end";
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
