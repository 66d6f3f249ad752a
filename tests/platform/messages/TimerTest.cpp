#include "tests/platform/messages/TestWindow.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

// Runs the loop for a while, counting WM_TIMER per id.
std::map<UINT_PTR, int> CountTimers(std::chrono::milliseconds span)
{
    std::map<UINT_PTR, int> counts;
    const auto end = Clock::now() + span;
    MSG msg{};
    while (Clock::now() < end)
    {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (msg.message == WM_TIMER)
            ++counts[msg.wParam];
        DispatchMessageW(&msg);
    }
    return counts;
}

int g_procCalls = 0;
HWND g_procHwnd = nullptr;

void CALLBACK CountingProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD)
{
    if (msg == WM_TIMER && id == 5)
        ++g_procCalls;
    g_procHwnd = hwnd;
}
} // namespace

TEST(Timers, IntervalsBelowTenMillisecondsAreRaisedAndKillTimerStopsThem)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    ASSERT_EQ(SetTimer(window.hwnd, 1, 1, nullptr), 1u);
    const auto counts = CountTimers(std::chrono::milliseconds(200));
    // 1 ms would give ~200; 10 ms gives at most ~20.
    EXPECT_GE(counts.at(1), 5);
    EXPECT_LE(counts.at(1), 21);
    EXPECT_EQ(window.Count(WM_TIMER), static_cast<size_t>(counts.at(1)));

    EXPECT_TRUE(KillTimer(window.hwnd, 1));
    EXPECT_FALSE(KillTimer(window.hwnd, 1));
    EXPECT_TRUE(CountTimers(std::chrono::milliseconds(40)).empty());
    DestroyWindow(window.hwnd);
}

TEST(Timers, ALongStallLeavesOneTimerMessageNotABurst)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    SetTimer(window.hwnd, 2, 10, nullptr);
    SetTimer(window.hwnd, 3, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(120)); // twelve intervals missed
    MSG msg{};
    int timers = 0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        timers += msg.message == WM_TIMER ? 1 : 0;
    EXPECT_EQ(timers, 2); // one per timer

    // Timers come after posted messages, and a peek that leaves it keeps the timer due.
    ASSERT_TRUE(
        testsupport::WaitUntil([&] { return PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE); }));
    PostMessageW(window.hwnd, WM_APP, 0, 0);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_APP);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);

    // Setting an existing id replaces it: still one timer, with the new interval.
    SetTimer(window.hwnd, 2, 1000, nullptr);
    KillTimer(window.hwnd, 3);
    EXPECT_TRUE(CountTimers(std::chrono::milliseconds(60)).empty());
    DestroyWindow(window.hwnd);
}

TEST(Timers, GetMessageSleepsUntilTheNearestTimerAndTimersDieWithTheirWindow)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    const auto start = Clock::now(); // before the timer, so a slow machine cannot shorten the wait
    SetTimer(window.hwnd, 4, 30, nullptr);
    MSG msg{};
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    DestroyWindow(window.hwnd);
    EXPECT_FALSE(KillTimer(window.hwnd, 4));
    EXPECT_TRUE(CountTimers(std::chrono::milliseconds(50)).empty());
}

TEST(Timers, DispatchCallsOnlyTheRegisteredTimerProc)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    g_procCalls = 0;
    SetTimer(window.hwnd, 5, 10, CountingProc);
    CountTimers(std::chrono::milliseconds(60));
    EXPECT_GE(g_procCalls, 2);
    EXPECT_EQ(g_procHwnd, window.hwnd);
    EXPECT_EQ(window.Count(WM_TIMER), 0u); // the procedure replaces the window's handling
    KillTimer(window.hwnd, 5);

    // A forged WM_TIMER naming a procedure that is no timer's is not called through.
    const int before = g_procCalls;
    PostMessageW(window.hwnd, WM_TIMER, 5, reinterpret_cast<LPARAM>(&CountingProc));
    PumpPending();
    EXPECT_EQ(g_procCalls, before);

    // Thread timers: hwnd NULL, id chosen by the system.
    const UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(id, 0u);
    MSG msg{};
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, id);
    EXPECT_TRUE(KillTimer(nullptr, id));
    DestroyWindow(window.hwnd);
}
