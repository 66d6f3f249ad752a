#include "platform/Kernel.h"
#include "platform/WinError.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace
{
// Several threads that each wait once on an event and count how many got through.
class Waiters
{
public:
    Waiters(HANDLE event, int count) : m_event(event), m_ids(static_cast<size_t>(count))
    {
        for (int i = 0; i < count; ++i)
            m_threads.push_back(reinterpret_cast<HANDLE>(
                _beginthreadex(nullptr, 0, &Waiters::Run, new Start{this, i}, 0, nullptr)));
        EXPECT_TRUE(testsupport::WaitUntil([&] { return m_started == count; }));
        EXPECT_TRUE(Settle()) << "the waiters never reached their wait";
    }
    ~Waiters()
    {
        for (HANDLE thread : m_threads)
        {
            WaitForSingleObject(thread, 5000);
            CloseHandle(thread);
        }
    }
    int released() const { return m_released; }
    // Waits until `count` waiters got through.
    ::testing::AssertionResult AwaitReleased(int count) const
    {
        return testsupport::WaitUntil([&] { return m_released >= count; });
    }
    // Waits until no waiter runs: each has got through and ended, or sleeps in its wait. A waiter
    // wrongly released has counted itself by then.
    ::testing::AssertionResult Settle() const { return testsupport::AwaitBlocked(m_ids); }

private:
    struct Start
    {
        Waiters* waiters;
        int index;
    };
    static unsigned Run(void* start)
    {
        const std::unique_ptr<Start> own(static_cast<Start*>(start));
        Waiters* waiters = own->waiters;
        waiters->m_ids[static_cast<size_t>(own->index)] = testsupport::ThreadId();
        ++waiters->m_started;
        if (WaitForSingleObject(waiters->m_event, 5000) == WAIT_OBJECT_0)
            ++waiters->m_released;
        return 0;
    }

    HANDLE m_event;
    std::vector<HANDLE> m_threads;
    std::vector<pid_t> m_ids;
    std::atomic<int> m_started{0};
    std::atomic<int> m_released{0};
};
} // namespace

TEST(Event, AutoResetReleasesExactlyOneWaiterPerSet)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    Waiters waiters(event, 3);
    EXPECT_EQ(waiters.released(), 0);
    for (int round = 1; round <= 3; ++round)
    {
        SetEvent(event);
        EXPECT_TRUE(waiters.AwaitReleased(round));
        EXPECT_TRUE(waiters.Settle());
        EXPECT_EQ(waiters.released(), round);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT); // consumed
    CloseHandle(event);
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"ignored name");
    ASSERT_NE(event, nullptr);
    {
        Waiters waiters(event, 4);
        SetEvent(event);
        EXPECT_TRUE(waiters.AwaitReleased(4));
        EXPECT_EQ(waiters.released(), 4);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Event, InitialStateAndTimeOuts)
{
    HANDLE autoSet = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoSet, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoSet, 0), WAIT_TIMEOUT);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(autoSet, 80), WAIT_TIMEOUT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(80));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    CloseHandle(autoSet);
}

TEST(Event, InfiniteWaitEndsWhenSetFromAnotherThread)
{
    struct Wait
    {
        HANDLE event;
        pid_t waiter;
    } wait{CreateEventW(nullptr, FALSE, FALSE, nullptr), testsupport::ThreadId()};
    HANDLE event = wait.event;
    // The event is set once this thread sleeps in its wait.
    auto setter = [](void* w) -> unsigned {
        const Wait* shared = static_cast<Wait*>(w);
        testsupport::AwaitBlocked({shared->waiter});
        SetEvent(shared->event);
        return 0;
    };
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, setter, &wait, 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(event);
}

TEST(Event, ClosedOrForeignHandlesAreRefused)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(event);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_FALSE(ResetEvent(mutex));
    CloseHandle(mutex);
}

TEST(WaitMultiple, AnyReportsTheFirstSignalledIndexAndTakesOnlyIt)
{
    HANDLE events[3] = {CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 20), WAIT_TIMEOUT);
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST(WaitMultiple, AllTakesNothingUntilEveryObjectIsSignalled)
{
    HANDLE events[2] = {CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    SetEvent(events[0]);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 30), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_OBJECT_0); // still set: a partial wait took nothing
    SetEvent(events[0]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 0), WAIT_TIMEOUT); // both consumed
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST(WaitMultiple, WaitsForThreadsAndEventsTogether)
{
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto routine = [](void* e) -> unsigned { return WaitForSingleObject(static_cast<HANDLE>(e), 5000); };
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, routine, stop, 0, nullptr));
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE handles[2] = {never, thread};
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 30), WAIT_TIMEOUT);
    SetEvent(stop);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 5000), WAIT_OBJECT_0 + 1);
    for (HANDLE h : {stop, thread, never})
        CloseHandle(h);
}

TEST(WaitMultiple, BadArgumentsFail)
{
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(0, &event, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(tooMany.size()), tooMany.data(), FALSE, 0),
              WAIT_FAILED);
    HANDLE withStale[2] = {event, nullptr};
    EXPECT_EQ(WaitForMultipleObjects(2, withStale, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(event);
}
