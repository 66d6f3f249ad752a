#include "tests/platform/messages/TestWindow.h"

#include "platform/WinError.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

namespace
{
constexpr UINT WM_RECORD = WM_USER + 1002;

struct Record
{
    int sender;
    int sequence;
};

std::atomic<int> g_droppedRecords{0};

void FreeDroppedRecord(const MSG& msg)
{
    if (msg.message == WM_RECORD)
    {
        delete reinterpret_cast<Record*>(msg.wParam);
        ++g_droppedRecords;
    }
}
} // namespace

TEST(Posting, ManyWorkersDeliverEveryRecordOnceInPerSenderOrder)
{
    constexpr int kSenders = 6;
    constexpr int kPerSender = 3000;
    TestWindow window;
    std::map<int, int> nextExpected;
    int received = 0;
    bool inOrder = true;
    window.handler = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg != WM_RECORD)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        std::unique_ptr<Record> record(reinterpret_cast<Record*>(wParam));
        inOrder = inOrder && record->sequence == nextExpected[record->sender];
        nextExpected[record->sender] = record->sequence + 1;
        if (++received == kSenders * kPerSender)
            PostQuitMessage(7);
        return 0;
    };
    ASSERT_NE(window.Create(), nullptr);
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s)
    {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kPerSender; ++i)
            {
                auto* record = new Record{s, i};
                if (!PostMessageW(window.hwnd, WM_RECORD, reinterpret_cast<WPARAM>(record), 0))
                    delete record;
            }
        });
    }
    EXPECT_EQ(RunLoop(), 7);
    for (auto& t : senders)
        t.join();
    EXPECT_EQ(received, kSenders * kPerSender);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(PumpPending(), 0);
    DestroyWindow(window.hwnd);
}

TEST(Posting, ToADestroyedWindowFailsSoTheSenderKeepsItsRecord)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    const HWND hwnd = window.hwnd;
    ASSERT_TRUE(DestroyWindow(hwnd));
    std::thread worker([hwnd] {
        auto* record = new Record{0, 0};
        SetLastError(0);
        EXPECT_FALSE(PostMessageW(hwnd, WM_RECORD, reinterpret_cast<WPARAM>(record), 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        delete record; // the receiver will never see it; LeakSanitizer checks it is not lost
    });
    worker.join();
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_NULL, 0, 0));
}

TEST(Posting, RecordsStillQueuedWhenTheWindowGoesReachTheDropHandler)
{
    g_droppedRecords = 0;
    const auto previous = platform::SetDroppedMessageHandler(FreeDroppedRecord);
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(PostMessageW(window.hwnd, WM_RECORD, reinterpret_cast<WPARAM>(new Record{0, i}), 0));
    ASSERT_TRUE(PostMessageW(nullptr, WM_APP, 0, 0)); // a thread message is not the window's
    ASSERT_TRUE(DestroyWindow(window.hwnd));
    EXPECT_EQ(g_droppedRecords, 3);
    EXPECT_EQ(window.Count(WM_RECORD), 0u);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_APP);

    // The same when the window's thread ends with records queued for its window.
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<bool> posted{false};
    std::thread owner([&] {
        TestWindow w;
        hwnd = w.Create();
        while (!posted)
            std::this_thread::yield();
    });
    while (hwnd == nullptr)
        std::this_thread::yield();
    ASSERT_TRUE(PostMessageW(hwnd, WM_RECORD, reinterpret_cast<WPARAM>(new Record{1, 0}), 0));
    posted = true;
    owner.join();
    EXPECT_EQ(g_droppedRecords, 4);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageW(hwnd, WM_RECORD, 0, 0));
    platform::SetDroppedMessageHandler(previous);
}

TEST(Posting, ThreadMessagesNeedALiveQueue)
{
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> ready{false};
    UINT got = 0;
    std::thread receiver([&] {
        MSG msg{};
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // makes the queue
        threadId = ThisThreadId();
        ready = true;
        GetMessageW(&msg, nullptr, 0, 0);
        got = msg.message;
    });
    while (!ready)
        std::this_thread::yield();
    EXPECT_TRUE(PostThreadMessageW(threadId, WM_APP + 3, 0, 0));
    receiver.join();
    EXPECT_EQ(got, WM_APP + 3);
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageW(threadId, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(Retrieval, QuitComesAfterEveryPendingMessage)
{
    PostQuitMessage(3);
    PostMessageW(nullptr, WM_APP + 1, 0, 0);
    PostMessageW(nullptr, WM_APP + 2, 0, 0);
    MSG msg{};
    EXPECT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_APP + 1);
    EXPECT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_APP + 2);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)); // taken once only
}

TEST(Retrieval, PeekFiltersByWindowAndRangeAndCanLeaveTheMessage)
{
    TestWindow a;
    TestWindow b;
    ASSERT_NE(a.Create(), nullptr);
    ASSERT_NE(b.Create(), nullptr);
    PostMessageW(a.hwnd, WM_APP + 1, 11, 0);
    PostMessageW(b.hwnd, WM_APP + 2, 22, 0);
    PostMessageW(nullptr, WM_APP + 3, 33, 0);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, a.hwnd, WM_APP + 2, WM_APP + 3, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, b.hwnd, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 22u);
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 33u); // thread messages only
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b.hwnd); // still there after PM_NOREMOVE
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a.hwnd);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

    const HWND gone = b.hwnd;
    DestroyWindow(b.hwnd);
    EXPECT_EQ(GetMessageW(&msg, gone, 0, 0), -1);
    DestroyWindow(a.hwnd);
}

TEST(Retrieval, ASleepingGetMessageWakesWithinMillisecondsOfAPost)
{
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<long long> wokeAt{0};
    std::atomic<pid_t> ownerId{0};
    std::thread owner([&] {
        ownerId = testsupport::ThreadId();
        TestWindow window;
        window.handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_APP)
            {
                wokeAt = std::chrono::steady_clock::now().time_since_epoch().count();
                PostQuitMessage(0);
            }
            return DefWindowProcW(h, msg, wParam, lParam);
        };
        hwnd = window.Create();
        RunLoop();
        DestroyWindow(window.hwnd);
    });
    while (hwnd == nullptr)
        std::this_thread::yield();
    EXPECT_TRUE(testsupport::AwaitBlocked({ownerId})) << "the owner never fell asleep in its loop";
    const auto postedAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(PostMessageW(hwnd, WM_APP, 0, 0));
    owner.join();
    const auto latency =
        std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(wokeAt)) - postedAt;
    // Woken by the post itself: a loop that polls would take its whole period. The bound is wide
    // because a loaded machine may not schedule the owner thread at once.
    EXPECT_LT(latency, std::chrono::milliseconds(250));
}

TEST(Retrieval, WaitMessageReturnsOnlyForSomethingNew)
{
    PostMessageW(nullptr, WM_APP, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)); // seen, so no longer new
    // The poster posts once this thread sleeps in its wait: a wait that returned for the seen
    // message comes back before anything was posted.
    std::atomic<bool> posted{false};
    std::thread poster([&, self = ThisThreadId(), waiter = testsupport::ThreadId()] {
        testsupport::AwaitBlocked({waiter});
        posted = true;
        PostThreadMessageW(self, WM_APP + 1, 0, 0);
    });
    EXPECT_TRUE(WaitMessage());
    EXPECT_TRUE(posted) << "WaitMessage returned for a message already seen";
    poster.join();
    EXPECT_EQ(PumpPending(), 2);
}
