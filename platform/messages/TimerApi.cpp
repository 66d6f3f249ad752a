// Window and thread timers. The timers themselves live in the owner thread's queue, which
// synthesises WM_TIMER when nothing else is waiting.
#include "platform/WinError.h"
#include "platform/messages/Internal.h"
#include "platform/messages/ThreadQueues.h"
#include "platform/messages/WindowTable.h"

#include <algorithm>
#include <atomic>

using namespace platform;

namespace
{
// Ids chosen for thread timers, far from the small ids programs pick for window timers.
std::atomic<UINT_PTR> g_nextThreadTimerId{0x7FFF0000};

UINT ClampInterval(UINT elapseMs)
{
    return std::clamp(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
}

UINT_PTR SetThreadTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    const auto queue = ThreadQueues::Instance().Current();
    if (id == 0 || !queue->HasThreadTimer(id))
        id = g_nextThreadTimerId.fetch_add(1);
    return queue->SetTimer(nullptr, id, elapseMs, proc) ? id : 0;
}
} // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    const UINT interval = ClampInterval(elapseMs);
    if (hwnd == nullptr)
        return SetThreadTimer(id, interval, proc);
    const bool set = WindowTable::Instance().UseLive(
        hwnd, [&](WindowRecord& r) { return r.queue->SetTimer(hwnd, id, interval, proc); });
    if (!set)
        return 0;
    // The id itself is the answer, but 0 would read as failure.
    return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    std::shared_ptr<MessageQueue> queue;
    if (hwnd == nullptr)
        queue = ThreadQueues::Instance().Current();
    else
        WindowTable::Instance().Read(hwnd, [&](const WindowRecord& r) { queue = r.queue; });
    if (!queue)
        return FALSE;
    if (!queue->KillTimer(hwnd, id))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
