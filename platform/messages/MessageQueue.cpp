#include "platform/messages/MessageQueue.h"

#include "platform/Window.h"
#include "platform/messages/Internal.h"
#include "platform/messages/PaintHook.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr auto kHungAfter = std::chrono::seconds(5);

DWORD MillisecondsUntil(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max())
        return INFINITE;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
}
} // namespace

DWORD TickNow()
{
    const auto since = Clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

bool MessageQueue::ChangedLocked()
{
    ++m_serial;
    return m_sleepers > 0;
}

void MessageQueue::Wake()
{
    m_cv.notify_all();
    GetWindowBackend().Wake(m_threadId);
}

template <class Change> bool MessageQueue::Modify(Change&& change)
{
    bool wake = false;
    {
        std::lock_guard lock(m_lock);
        if (m_closed)
            return false;
        change();
        wake = ChangedLocked();
    }
    if (wake)
        Wake();
    return true;
}

bool MessageQueue::Post(const MSG& msg)
{
    return Modify([&] { m_posted.push_back(msg); });
}

void MessageQueue::PostQuit(int exitCode)
{
    Modify([&] {
        m_quit = true;
        m_quitCode = exitCode;
    });
}

bool MessageQueue::Send(const std::shared_ptr<SentMessage>& message)
{
    return Modify([&] { m_sent.push_back(message); });
}

void MessageQueue::Withdraw(const std::shared_ptr<SentMessage>& message)
{
    std::lock_guard lock(m_lock);
    std::erase(m_sent, message);
}

void MessageQueue::Answer(SentMessage& message, LRESULT result)
{
    {
        std::lock_guard lock(m_lock);
        message.result = result;
        message.done = true;
    }
    m_cv.notify_all();
}

MessageQueue::Timer* MessageQueue::FindTimerLocked(HWND hwnd, UINT_PTR id)
{
    auto it = std::find_if(m_timers.begin(), m_timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return it == m_timers.end() ? nullptr : &*it;
}

bool MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT intervalMs, TIMERPROC proc)
{
    // Modify wakes a sleeper, whose deadline came from the old timers.
    return Modify([&] {
        const Timer timer{hwnd, id, intervalMs, proc, Clock::now() + std::chrono::milliseconds(intervalMs)};
        if (Timer* existing = FindTimerLocked(hwnd, id))
            *existing = timer;
        else
            m_timers.push_back(timer);
    });
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard lock(m_lock);
    return std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

bool MessageQueue::HasThreadTimer(UINT_PTR id)
{
    std::lock_guard lock(m_lock);
    return FindTimerLocked(nullptr, id) != nullptr;
}

bool MessageQueue::HasTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc)
{
    std::lock_guard lock(m_lock);
    const Timer* timer = FindTimerLocked(hwnd, id);
    return timer != nullptr && timer->proc == proc;
}

void MessageQueue::Nudge()
{
    Modify([] {});
}

bool MessageQueue::IsHung()
{
    std::lock_guard lock(m_lock);
    return m_sleepers == 0 && Clock::now() - m_checkedTime > kHungAfter;
}

std::shared_ptr<SentMessage> MessageQueue::TakeOneSent()
{
    std::lock_guard lock(m_lock);
    if (m_sent.empty())
        return nullptr;
    auto message = m_sent.front();
    m_sent.pop_front();
    return message;
}

void MessageQueue::ServeSent()
{
    while (auto message = TakeOneSent())
    {
        const LRESULT result =
            CallOwnWindow(message->hwnd, message->message, message->wParam, message->lParam);
        message->sender->Answer(*message, result);
    }
}

bool MessageQueue::Retrieve(MSG* msg, const MessageFilter& filter, bool remove, Clock::time_point* nextTimer)
{
    std::lock_guard lock(m_lock);
    m_checkedSerial = m_serial;
    m_checkedTime = Clock::now();
    bool found = false;
    auto it = std::find_if(m_posted.begin(), m_posted.end(), [&](const MSG& m) { return filter.Matches(m); });
    if (it != m_posted.end())
    {
        *msg = *it;
        if (remove)
            m_posted.erase(it);
        found = true;
    }
    else if (m_quit)
    {
        // WM_QUIT ignores the filter, so that a filtered loop still ends.
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, TickNow(), POINT{}};
        if (remove)
            m_quit = false;
        found = true;
    }
    else if (FindPaint(m_threadId, filter, msg))
        found = true; // WM_PAINT stays until the window is validated, whatever remove says
    else
        found = RetrieveTimerLocked(msg, filter, remove, nextTimer);
    if (found && remove)
        m_lastMessageTime = msg->time;
    return found;
}

bool MessageQueue::RetrieveTimerLocked(MSG* msg, const MessageFilter& filter, bool remove,
                                       Clock::time_point* nextTimer)
{
    *nextTimer = Clock::time_point::max();
    if (!filter.MatchesNumber(WM_TIMER))
        return false;
    Timer* earliest = nullptr;
    for (Timer& timer : m_timers)
    {
        if (filter.MatchesWindow(timer.hwnd) && (earliest == nullptr || timer.due < earliest->due))
            earliest = &timer;
    }
    if (earliest == nullptr)
        return false;
    const auto now = Clock::now();
    if (earliest->due > now)
    {
        *nextTimer = earliest->due;
        return false;
    }
    *msg = MSG{earliest->hwnd, WM_TIMER, earliest->id, reinterpret_cast<LPARAM>(earliest->proc),
               TickNow(),      POINT{}};
    // Restarting from now rather than from the missed due time is what keeps a late timer
    // from producing a burst of WM_TIMER.
    if (remove)
        earliest->due = now + std::chrono::milliseconds(earliest->interval);
    return true;
}

bool MessageQueue::TimerDue(const MessageFilter& filter)
{
    if (!filter.MatchesNumber(WM_TIMER))
        return false;
    std::lock_guard lock(m_lock);
    const auto now = Clock::now();
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&](const Timer& t) { return t.due <= now && filter.MatchesWindow(t.hwnd); });
}

void MessageQueue::SleepLocked(std::unique_lock<std::mutex>& lock, Clock::time_point deadline)
{
    const auto serial = m_serial;
    ++m_sleepers;
    lock.unlock();
    const bool native = GetWindowBackend().Wait(MillisecondsUntil(deadline));
    lock.lock();
    // Anything that arrived while the lock was open has already notified.
    if (!native && m_serial == serial)
    {
        if (deadline == Clock::time_point::max())
            m_cv.wait(lock);
        else
            m_cv.wait_until(lock, deadline);
    }
    --m_sleepers;
}

void MessageQueue::Sleep(Clock::time_point deadline)
{
    std::unique_lock lock(m_lock);
    while (m_serial == m_checkedSerial && m_sent.empty() && Clock::now() < deadline)
        SleepLocked(lock, deadline);
}

Clock::time_point MessageQueue::NextNewTimer()
{
    std::lock_guard lock(m_lock);
    auto next = Clock::time_point::max();
    for (const Timer& timer : m_timers)
    {
        if (timer.due > m_checkedTime)
            next = std::min(next, timer.due);
    }
    return next;
}

bool MessageQueue::WaitForReply(SentMessage& message, Clock::time_point deadline)
{
    std::unique_lock lock(m_lock);
    while (!message.done)
    {
        if (!m_sent.empty())
        {
            // Serving what others sent us is what keeps two threads that send to each other
            // from waiting for ever.
            lock.unlock();
            ServeSent();
            lock.lock();
            continue;
        }
        if (Clock::now() >= deadline)
            return false;
        ++m_sleepers;
        if (deadline == Clock::time_point::max())
            m_cv.wait(lock);
        else
            m_cv.wait_until(lock, deadline);
        --m_sleepers;
    }
    return true;
}

std::vector<std::shared_ptr<SentMessage>> MessageQueue::TakeSentLocked(HWND hwnd)
{
    std::vector<std::shared_ptr<SentMessage>> taken;
    for (auto it = m_sent.begin(); it != m_sent.end();)
    {
        if (hwnd == nullptr || (*it)->hwnd == hwnd)
        {
            taken.push_back(*it);
            it = m_sent.erase(it);
        }
        else
            ++it;
    }
    return taken;
}

void MessageQueue::AnswerAll(const std::vector<std::shared_ptr<SentMessage>>& sent)
{
    for (const auto& message : sent)
        message->sender->Answer(*message, 0);
}

std::vector<MSG> MessageQueue::Purge(HWND hwnd)
{
    std::vector<MSG> dropped;
    std::vector<std::shared_ptr<SentMessage>> unanswered;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_posted.begin(); it != m_posted.end();)
        {
            if (it->hwnd == hwnd)
            {
                dropped.push_back(*it);
                it = m_posted.erase(it);
            }
            else
                ++it;
        }
        std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
        unanswered = TakeSentLocked(hwnd);
    }
    AnswerAll(unanswered);
    ForgetWindowPaint(hwnd);
    return dropped;
}

std::vector<MSG> MessageQueue::Close()
{
    std::vector<MSG> dropped;
    std::vector<std::shared_ptr<SentMessage>> unanswered;
    {
        std::lock_guard lock(m_lock);
        m_closed = true;
        dropped.assign(m_posted.begin(), m_posted.end());
        m_posted.clear();
        m_timers.clear();
        unanswered = TakeSentLocked(nullptr);
    }
    AnswerAll(unanswered);
    ForgetThreadPaint(m_threadId);
    return dropped;
}
} // namespace platform
