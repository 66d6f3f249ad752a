#pragma once
// One thread's message queue: posted messages in posting order, messages sent from other
// threads, the quit request and the timers. Producers on any thread; retrieval and waiting only
// on the owner thread. Sleeping is on a condition variable (or the backend's native wait), and
// a sleeper is woken by every change that could give it something to retrieve.

#include "platform/messages/MessageFilter.h"
#include "platform/messages/SentMessage.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace platform
{
using Clock = std::chrono::steady_clock;

// The time stamp of messages: milliseconds of the monotonic clock, as GetTickCount.
DWORD TickNow();

class MessageQueue
{
public:
    explicit MessageQueue(DWORD threadId) : m_threadId(threadId) {}
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    DWORD ThreadId() const { return m_threadId; }

    // ---- any thread ----
    // False once the owner thread has ended.
    bool Post(const MSG& msg);
    void PostQuit(int exitCode);
    bool Send(const std::shared_ptr<SentMessage>& message);
    // Takes back a sent message that timed out before the owner thread picked it up.
    void Withdraw(const std::shared_ptr<SentMessage>& message);
    // Called on the sender's queue: stores the answer and wakes the waiting sender.
    void Answer(SentMessage& message, LRESULT result);
    // Starts or replaces the timer (hwnd, id); the interval is already clamped.
    bool SetTimer(HWND hwnd, UINT_PTR id, UINT intervalMs, TIMERPROC proc);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    bool HasThreadTimer(UINT_PTR id);
    bool HasTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc);
    // Wakes a waiting retrieval to look again (a window of the thread became invalid).
    void Nudge();
    // Not waiting and not retrieving for 5 seconds (SMTO_ABORTIFHUNG).
    bool IsHung();

    // ---- owner thread ----
    // Answers every message sent to this thread so far.
    void ServeSent();
    // The first message the filter accepts (posted, then WM_QUIT, then a due timer); when
    // there is none, *nextTimer gets the due time of the nearest accepted timer (max if none).
    bool Retrieve(MSG* msg, const MessageFilter& filter, bool remove, Clock::time_point* nextTimer);
    // True when a timer the filter accepts is due now.
    bool TimerDue(const MessageFilter& filter);
    // Sleeps until something arrived since the last Retrieve, a message was sent, or deadline.
    void Sleep(Clock::time_point deadline);
    // The deadline of WaitMessage: the nearest timer that was not yet due at the last Retrieve.
    Clock::time_point NextNewTimer();
    // Waits for the answer to a message this thread sent, serving messages sent to it
    // meanwhile. False when the deadline passed first.
    bool WaitForReply(SentMessage& message, Clock::time_point deadline);
    DWORD LastMessageTime() const { return m_lastMessageTime; }

    // ---- cleanup ----
    // Removes what belongs to a destroyed window: its posted messages (returned), its timers,
    // and the messages sent to it (answered 0).
    std::vector<MSG> Purge(HWND hwnd);
    // The owner thread ended: refuses new work and empties the queue as Purge does.
    std::vector<MSG> Close();

private:
    struct Timer
    {
        HWND hwnd;
        UINT_PTR id;
        UINT interval;
        TIMERPROC proc;
        Clock::time_point due;
    };

    // Applies a change under the lock unless the queue is closed, and wakes the sleepers.
    template <class Change> bool Modify(Change&& change);
    // Called with m_lock held after a change a sleeper may want; true when one must be woken.
    bool ChangedLocked();
    void Wake();
    Timer* FindTimerLocked(HWND hwnd, UINT_PTR id);
    bool RetrieveTimerLocked(MSG* msg, const MessageFilter& filter, bool remove,
                             Clock::time_point* nextTimer);
    std::vector<std::shared_ptr<SentMessage>> TakeSentLocked(HWND hwnd);
    std::shared_ptr<SentMessage> TakeOneSent();
    void AnswerAll(const std::vector<std::shared_ptr<SentMessage>>& sent);
    void SleepLocked(std::unique_lock<std::mutex>& lock, Clock::time_point deadline);

    const DWORD m_threadId;
    std::mutex m_lock;
    std::condition_variable m_cv;
    std::deque<MSG> m_posted;
    std::deque<std::shared_ptr<SentMessage>> m_sent;
    std::vector<Timer> m_timers;
    bool m_quit = false;
    int m_quitCode = 0;
    bool m_closed = false;
    // Every change bumps m_serial; Retrieve remembers what it saw in m_checkedSerial.
    unsigned long long m_serial = 0;
    unsigned long long m_checkedSerial = 0;
    Clock::time_point m_checkedTime = Clock::now();
    int m_sleepers = 0;
    DWORD m_lastMessageTime = 0;
};
} // namespace platform
