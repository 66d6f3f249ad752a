#include "tests/platform/messages/TestWindow.h"

#include "platform/WinError.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace
{
constexpr UINT WM_ASK = WM_APP + 10;
constexpr UINT WM_ASK_BACK = WM_APP + 11;
constexpr UINT WM_STOP = WM_APP + 12;

// A window on its own thread, running a message loop until WM_STOP is posted to it.
class WindowThread
{
public:
    explicit WindowThread(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler)
    {
        std::promise<HWND> created;
        auto ready = created.get_future();
        m_thread = std::thread([this, handler, &created] {
            m_window.handler = [handler](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
                if (msg == WM_STOP)
                {
                    PostQuitMessage(0);
                    return 0;
                }
                return handler ? handler(h, msg, wParam, lParam) : DefWindowProcW(h, msg, wParam, lParam);
            };
            created.set_value(m_window.Create());
            RunLoop();
            DestroyWindow(m_window.hwnd);
        });
        m_hwnd = ready.get();
    }
    ~WindowThread()
    {
        PostMessageW(m_hwnd, WM_STOP, 0, 0);
        m_thread.join();
    }
    HWND hwnd() const { return m_hwnd; }

private:
    TestWindow m_window;
    std::thread m_thread;
    HWND m_hwnd = nullptr;
};
} // namespace

TEST(Sending, AcrossThreadsReturnsTheProcedureResultComputedOnTheOwnerThread)
{
    std::atomic<DWORD> servedOn{0};
    WindowThread owner([&](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg != WM_ASK)
            return DefWindowProcW(h, msg, wParam, lParam);
        servedOn = ThisThreadId();
        return static_cast<LRESULT>(wParam * 2 + static_cast<WPARAM>(lParam));
    });
    EXPECT_EQ(SendMessageW(owner.hwnd(), WM_ASK, 20, 2), 42);
    EXPECT_EQ(servedOn, GetWindowThreadProcessId(owner.hwnd(), nullptr));
    EXPECT_NE(servedOn, ThisThreadId());

    // WM_COPYDATA carries a pointer into the sender's memory, valid while it waits.
    const char text[] = "hello";
    COPYDATASTRUCT data{2024, sizeof(text), const_cast<char*>(text)};
    WindowThread copier([](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg != WM_COPYDATA)
            return DefWindowProcW(h, msg, wParam, lParam);
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return cds->dwData == 2024 && std::string(static_cast<const char*>(cds->lpData)) == "hello" ? 1 : -1;
    });
    EXPECT_EQ(SendMessageW(copier.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
}

namespace
{
// Asked WM_ASK, asks its peer WM_ASK_BACK and returns that answer; answers WM_ASK_BACK with 7.
LRESULT AskPeer(std::atomic<HWND>& peer, HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ASK)
        return SendMessageW(peer, WM_ASK_BACK, 0, 0);
    return msg == WM_ASK_BACK ? 7 : DefWindowProcW(h, msg, wParam, lParam);
}
} // namespace

TEST(Sending, TwoThreadsSendingToEachOtherDoNotDeadlock)
{
    std::atomic<HWND> aHwnd{nullptr};
    std::atomic<HWND> bHwnd{nullptr};
    WindowThread a([&](HWND h, UINT m, WPARAM w, LPARAM l) { return AskPeer(bHwnd, h, m, w, l); });
    WindowThread b([&](HWND h, UINT m, WPARAM w, LPARAM l) { return AskPeer(aHwnd, h, m, w, l); });
    aHwnd = a.hwnd();
    bHwnd = b.hwnd();
    // Each round A's thread waits on B while B's thread waits on A; both must serve the other.
    for (int i = 0; i < 200; ++i)
    {
        auto viaB = std::async(std::launch::async, [&] { return SendMessageW(bHwnd, WM_ASK, 0, 0); });
        EXPECT_EQ(SendMessageW(aHwnd, WM_ASK, 0, 0), 7);
        ASSERT_EQ(viaB.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(viaB.get(), 7);
    }
}

TEST(Sending, AWindowDestroyedBeforeAnsweringGivesZeroAndUnblocksTheSender)
{
    std::promise<void> entered;
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<bool> release{false};
    std::thread owner([&] {
        TestWindow window;
        window.handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            return msg == WM_ASK ? 5 : DefWindowProcW(h, msg, wParam, lParam);
        };
        hwnd = window.Create();
        entered.set_value();
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        DestroyWindow(window.hwnd); // the send waiting in its queue is answered 0
    });
    entered.get_future().wait();
    std::atomic<pid_t> sender{0};
    auto result = std::async(std::launch::async, [&] {
        sender = testsupport::ThreadId();
        return SendMessageW(hwnd, WM_ASK, 0, 0);
    });
    // Released once the send waits in the owner's queue.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return sender != 0; }));
    EXPECT_TRUE(testsupport::AwaitBlocked({sender}));
    release = true;
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    owner.join();
    EXPECT_EQ(SendMessageW(hwnd, WM_ASK, 0, 0), 0);
}

TEST(Sending, TimeoutAndHungOwnerAreReportedAsFailures)
{
    std::promise<HWND> created;
    std::atomic<bool> release{false};
    std::thread owner([&] {
        TestWindow window;
        created.set_value(window.Create());
        // Busy without looking at the queue: hung after 5 s, but a short time-out hits first.
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PumpPending();
        DestroyWindow(window.hwnd);
    });
    const HWND hwnd = created.get_future().get();
    DWORD_PTR result = 77;
    const auto start = std::chrono::steady_clock::now();
    SetLastError(0);
    EXPECT_FALSE(SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result));
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(45));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    release = true;
    owner.join();

    WindowThread healthy([](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return msg == WM_ASK ? 9 : DefWindowProcW(h, msg, wParam, lParam);
    });
    EXPECT_TRUE(SendMessageTimeoutW(healthy.hwnd(), WM_ASK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result));
    EXPECT_EQ(result, 9u);
}
