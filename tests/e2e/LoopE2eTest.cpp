// The message loop runs GTK: timers and posts from other threads wake it, and a message box
// keeps them running while it waits for its answer.
#include "DisplayTest.h"
#include "RecordingWindow.h"
#include "XServer.h"
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace e2e;
using Clock = std::chrono::steady_clock;

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

void CALLBACK PressReturnOnce(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    XServer::Run("xdotool key Return");
}

TEST_F(LoopE2eTest, TimersFireWhileGetMessageIsIdle)
{
    RecordingWindow window(L"Pictavo e2e timer", 10, 10, 50, 50, 0);
    ASSERT_NE(SetTimer(window.hwnd(), 7, 30, nullptr), 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_TIMER) >= 4; }, 3000));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(window.Find(WM_TIMER)->wParam, 7u);
}

TEST_F(LoopE2eTest, PostFromAnotherThreadWakesGetMessagePromptly)
{
    RecordingWindow window(L"Pictavo e2e wake", 10, 10, 50, 50, 0);
    Clock::time_point posted;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        posted = Clock::now();
        PostMessageW(window.hwnd(), WM_APP + 1, 42, 0);
    });
    MSG msg{};
    // No timer runs: only the post can end this wait.
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    const auto woke = Clock::now();
    poster.join();
    EXPECT_EQ(msg.message, WM_APP + 1);
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_LT(woke - posted, std::chrono::milliseconds(50));
}

TEST_F(LoopE2eTest, MessageBoxAnswersOkToReturnAndKeepsTimersRunning)
{
    if (!XServer::HasTool("xdotool"))
        GTEST_SKIP() << "xdotool is missing";
    g_ticks = 0;
    const UINT_PTR counter = SetTimer(nullptr, 0, 20, &CountTick);
    SetTimer(nullptr, 0, 400, &PressReturnOnce);
    const auto start = Clock::now();
    const int answer = MessageBoxW(nullptr, L"转换完成", L"Pictavo e2e box", MB_OK | MB_ICONINFORMATION);
    KillTimer(nullptr, counter);
    EXPECT_EQ(answer, IDOK);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_GE(g_ticks.load(), 5) << "timers stopped while the box was up";
}

TEST_F(LoopE2eTest, QuitDuringAMessageBoxEndsItAndIsPostedAgain)
{
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
