// The message loop runs GTK: timers and posts from other threads wake it, the display's input
// and painting go before a timer that is always due, and a message box keeps timers running
// while it waits for its answer.
#include "platform/Gdi.h"
#include "platform/MessageBox.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/InputRepeater.h"
#include "tests/e2e/RecordingWindow.h"
#include "tests/e2e/Watchdog.h"
#include "tests/e2e/XServer.h"
#include "tests/support/Waiting.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace e2e;

namespace
{
class LoopE2eTest : public DisplayTest
{
protected:
    LoopE2eTest() : DisplayTest({}) {}
};

std::atomic<int> g_ticks{0};

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD)
{
    ++g_ticks;
}

// A handler that takes longer than its timer's period.
void CALLBACK SlowTick(HWND, UINT, UINT_PTR, DWORD)
{
    ++g_ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(45));
}

gboolean CountGlibTick(gpointer count)
{
    ++*static_cast<int*>(count);
    return G_SOURCE_CONTINUE;
}

TEST_F(LoopE2eTest, TimersFireWhileGetMessageIsIdle)
{
    RecordingWindow window(L"Pictavo e2e timer", 10, 10, 50, 50, 0);
    ASSERT_NE(SetTimer(window.hwnd(), 7, 30, nullptr), 0u);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_TIMER) >= 4; }, 5000));
    EXPECT_EQ(window.Find(WM_TIMER)->wParam, 7u);
}

TEST_F(LoopE2eTest, PostFromAnotherThreadWakesGetMessage)
{
    RecordingWindow window(L"Pictavo e2e wake", 10, 10, 50, 50, 0);
    Watchdog watchdog(10, "the post waking GetMessageW");
    // The post comes once this thread sleeps in GetMessageW.
    std::thread poster([&, owner = testsupport::ThreadId()] {
        testsupport::AwaitBlocked({owner});
        PostMessageW(window.hwnd(), WM_APP + 1, 42, 0);
    });
    MSG msg{};
    // No timer runs: only the post can end this wait.
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    poster.join();
    ASSERT_GT(got, 0);
    EXPECT_EQ(msg.message, WM_APP + 1);
    EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(LoopE2eTest, InputPaintingAndGtkSourcesGoBeforeATimerSlowerThanItsPeriod)
{
    RecordingWindow window(L"Pictavo e2e busy", 200, 150, 200, 150, 0xFFFFFF);
    ShowWindow(window.hwnd(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_PAINT) > 0; }));
    int glibTicks = 0;
    const guint source = g_timeout_add(50, &CountGlibTick, &glibTicks);
    g_ticks = 0;
    const UINT_PTR slow = SetTimer(nullptr, 0, 30, &SlowTick);
    const size_t from = window.received().size();
    const size_t paints = window.Count(WM_PAINT);
    InvalidateRect(window.hwnd(), nullptr, FALSE);
    InputRepeater user({"xdotool mousemove 260 200 click 1"});
    const bool served = PumpUntil(
        [&] {
            return glibTicks >= 5 && window.Find(WM_LBUTTONUP, from) != nullptr &&
                   window.Count(WM_PAINT) > paints;
        },
        4000);
    user.Stop();
    KillTimer(nullptr, slow);
    g_source_remove(source);
    EXPECT_TRUE(served) << "GTK source ticks " << glibTicks << ", click "
                        << (window.Find(WM_LBUTTONUP, from) != nullptr) << ", paints "
                        << window.Count(WM_PAINT) - paints;
    EXPECT_GE(g_ticks.load(), 5) << "the slow timer itself must keep running";
}

TEST_F(LoopE2eTest, MessageBoxAnswersOkToReturnAndKeepsTimersRunning)
{
    if (!XServer::HasTool("xdotool"))
        GTEST_SKIP() << "xdotool is missing";
    g_ticks = 0;
    const UINT_PTR counter = SetTimer(nullptr, 0, 20, &CountTick);
    int answer = 0;
    {
        Watchdog watchdog(15, "the message box's answer to Return");
        // Timers only run inside the box's own loop here: the answer waits until they have.
        InputRepeater user(
            {"xdotool search --sync --onlyvisible --name '^Pictavo e2e box$' windowfocus --sync key Return"},
            300, [] { return g_ticks.load() >= 5; });
        answer = MessageBoxW(nullptr, L"转换完成", L"Pictavo e2e box", MB_OK | MB_ICONINFORMATION);
    }
    KillTimer(nullptr, counter);
    EXPECT_EQ(answer, IDOK);
    EXPECT_GE(g_ticks.load(), 5) << "timers stopped while the box was up";
}

TEST_F(LoopE2eTest, QuitDuringAMessageBoxEndsItAndIsPostedAgain)
{
    Watchdog watchdog(15, "the quit ending the message box");
    const UINT_PTR quitter = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        PostQuitMessage(3);
    });
    ASSERT_NE(quitter, 0u);
    EXPECT_EQ(MessageBoxW(nullptr, L"question", L"Pictavo e2e quit", MB_YESNO), IDNO);
    MSG msg{};
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
}
} // namespace
