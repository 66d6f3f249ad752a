// Posting, sending, retrieving and dispatching messages.
#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/messages/Internal.h"
#include "platform/messages/ThreadQueues.h"
#include "platform/messages/WindowHooks.h"
#include "platform/messages/WindowTable.h"

#include <atomic>

namespace platform
{
namespace
{
std::atomic<DroppedMessageHandler> g_droppedHandler{nullptr};

std::shared_ptr<MessageQueue> CurrentQueue()
{
    return ThreadQueues::Instance().Current();
}

HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

// A filter window must exist; NULL and (HWND)-1 are not windows but valid filters.
bool FilterIsValid(HWND hwnd)
{
    return hwnd == nullptr || hwnd == kThreadMessagesOnly || IsWindow(hwnd);
}

bool RetrieveOnce(MessageQueue& queue, LPMSG msg, const MessageFilter& filter, bool remove,
                  Clock::time_point* nextTimer)
{
    queue.ServeSent();
    return queue.Retrieve(msg, filter, remove, nextTimer);
}

struct SendOutcome
{
    bool answered = false;
    LRESULT result = 0;
};

SendOutcome SendToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Clock::time_point deadline,
                         bool abortIfHung)
{
    const auto record = WindowTable::Instance().Find(hwnd);
    if (!record)
    {
        // Not ours: perhaps a window of another process (WindowHooks.h).
        SendOutcome foreign;
        foreign.answered = SendForeign(hwnd, msg, wParam, lParam, deadline, &foreign.result);
        return foreign;
    }
    if (record->threadId == CurrentThreadId())
        return {true, CallOwnWindow(hwnd, msg, wParam, lParam)};
    if (abortIfHung && record->queue->IsHung())
    {
        SetLastError(ERROR_TIMEOUT);
        return {};
    }
    auto self = CurrentQueue();
    auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, msg, wParam, lParam, 0, false, self});
    if (!record->queue->Send(sent))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return {};
    }
    if (!self->WaitForReply(*sent, deadline))
    {
        record->queue->Withdraw(sent);
        SetLastError(ERROR_TIMEOUT);
        return {};
    }
    return {true, sent->result};
}

LRESULT CallTimerProc(const MSG& msg)
{
    const auto proc = reinterpret_cast<TIMERPROC>(msg.lParam);
    // Only a procedure registered for this very timer is called: a WM_TIMER posted by anyone
    // with an arbitrary lParam must not become a call through a wild pointer.
    if (CurrentQueue()->HasTimerProc(msg.hwnd, msg.wParam, proc))
        proc(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
    return 0;
}
} // namespace

BOOL PostPrepared(const MSG& msg)
{
    if (msg.hwnd == nullptr)
        return CurrentQueue()->Post(msg) ? TRUE : FALSE;
    return WindowTable::Instance().UseLive(msg.hwnd, [&](WindowRecord& r) { return r.queue->Post(msg); })
               ? TRUE
               : FALSE;
}

LRESULT CallOwnWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = nullptr;
    WindowTable::Instance().Read(hwnd, [&](const WindowRecord& r) { proc = r.proc; });
    return proc == nullptr ? 0 : proc(hwnd, msg, wParam, lParam);
}

void ReportDropped(const std::vector<MSG>& dropped)
{
    const DroppedMessageHandler handler = g_droppedHandler.load();
    if (handler == nullptr)
        return;
    for (const MSG& msg : dropped)
        handler(msg);
}

DroppedMessageHandler SetDroppedMessageHandler(DroppedMessageHandler handler)
{
    return g_droppedHandler.exchange(handler);
}
} // namespace platform

using namespace platform;

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostPrepared(MSG{hwnd, msg, wParam, lParam, TickNow(), LastCursorPos()});
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto queue = ThreadQueues::Instance().Find(threadId);
    if (!queue || !queue->Post(MSG{nullptr, msg, wParam, lParam, TickNow(), LastCursorPos()}))
    {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendToWindow(hwnd, msg, wParam, lParam, Clock::time_point::max(), false).result;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            PDWORD_PTR result)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const SendOutcome outcome =
        SendToWindow(hwnd, msg, wParam, lParam, deadline, (flags & SMTO_ABORTIFHUNG) != 0);
    if (result != nullptr)
        *result = static_cast<DWORD_PTR>(outcome.result);
    return outcome.answered ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode)
{
    CurrentQueue()->PostQuit(exitCode);
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (msg == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    const auto queue = CurrentQueue();
    const MessageFilter filter{hwnd, filterMin, filterMax};
    for (;;)
    {
        // Input and painting go before WM_TIMER, as on Windows: a timer whose handler takes
        // longer than its period is due again at once and would otherwise starve the display.
        if (queue->TimerDue(filter))
            GetWindowBackend().DispatchPending();
        // Checked on every round: a sent message served meanwhile may have destroyed it.
        if (!FilterIsValid(hwnd))
            return -1;
        Clock::time_point nextTimer;
        if (RetrieveOnce(*queue, msg, filter, true, &nextTimer))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        queue->Sleep(nextTimer);
    }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (msg == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!FilterIsValid(hwnd))
        return FALSE;
    Clock::time_point nextTimer;
    const MessageFilter filter{hwnd, filterMin, filterMax};
    return RetrieveOnce(*CurrentQueue(), msg, filter, (removeFlags & PM_REMOVE) != 0, &nextTimer) ? TRUE
                                                                                                  : FALSE;
}

BOOL WaitMessage()
{
    const auto queue = CurrentQueue();
    queue->Sleep(queue->NextNewTimer());
    queue->ServeSent();
    return TRUE;
}

BOOL TranslateMessage(const MSG*)
{
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0)
        return CallTimerProc(*msg);
    if (msg->hwnd == nullptr)
        return 0;
    const auto record = WindowTable::Instance().Find(msg->hwnd);
    if (!record)
        return 0;
    if (record->threadId != CurrentThreadId())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return CallOwnWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LONG GetMessageTime()
{
    return static_cast<LONG>(CurrentQueue()->LastMessageTime());
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc == nullptr ? 0 : proc(hwnd, msg, wParam, lParam);
}
