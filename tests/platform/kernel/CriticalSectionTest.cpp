#include "tests/platform/kernel/ThreadRun.h"

#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Counter
{
    CRITICAL_SECTION lock;
    long value = 0; // deliberately not atomic: only the section protects it
    volatile LONG inside = 0;
    volatile LONG overlaps = 0;
};

constexpr int kThreads = 6;
constexpr int kRounds = 20000;

unsigned Bump(void* arg)
{
    auto* counter = static_cast<Counter*>(arg);
    for (int i = 0; i < kRounds; ++i)
    {
        EnterCriticalSection(&counter->lock);
        EnterCriticalSection(&counter->lock); // re-entry by the owner must not block
        if (InterlockedIncrement(&counter->inside) != 1)
            InterlockedIncrement(&counter->overlaps);
        counter->value = counter->value + 1;
        InterlockedDecrement(&counter->inside);
        LeaveCriticalSection(&counter->lock);
        LeaveCriticalSection(&counter->lock);
    }
    return 0;
}

unsigned TryFromOtherThread(void* arg)
{
    auto* section = static_cast<CRITICAL_SECTION*>(arg);
    if (!TryEnterCriticalSection(section))
        return 0;
    LeaveCriticalSection(section);
    return 1;
}

} // namespace

TEST(CriticalSection, ExcludesOtherThreadsUnderContention)
{
    Counter counter;
    InitializeCriticalSection(&counter.lock);
    std::vector<HANDLE> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.push_back(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Bump, &counter, 0, nullptr)));
    EXPECT_EQ(WaitForMultipleObjects(kThreads, threads.data(), TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(counter.value, static_cast<long>(kThreads) * kRounds);
    EXPECT_EQ(counter.overlaps, 0);
    DeleteCriticalSection(&counter.lock);
}

TEST(CriticalSection, HeldUntilTheOwnerLeavesEveryEntry)
{
    CRITICAL_SECTION section;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 4000));
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section)); // the owner may always enter again
    EXPECT_EQ(kerneltest::RunThreadToEnd(TryFromOtherThread, &section), 0u);
    LeaveCriticalSection(&section);
    EXPECT_EQ(kerneltest::RunThreadToEnd(TryFromOtherThread, &section), 0u); // one entry still held
    LeaveCriticalSection(&section);
    EXPECT_EQ(kerneltest::RunThreadToEnd(TryFromOtherThread, &section), 1u);
    DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnsTheValuesCallersCompareAgainst)
{
    volatile LONG value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, 10), 5);
    EXPECT_EQ(InterlockedCompareExchange(&value, 20, 9), 10); // no match: unchanged
    EXPECT_EQ(value, 10);
    EXPECT_EQ(InterlockedCompareExchange(&value, 20, 10), 10);
    EXPECT_EQ(value, 20);
}
