#include "platform/messages/WindowHooks.h"

#include <algorithm>
#include <atomic>

namespace platform
{
namespace
{
std::atomic<decltype(WindowHooks::changed)> g_changed{nullptr};
std::atomic<decltype(WindowHooks::sendForeign)> g_sendForeign{nullptr};

DWORD RemainingMs(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max())
        return INFINITE;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<DWORD>(std::clamp<long long>(left, 0, INFINITE - 1));
}
} // namespace

void SetWindowHooks(const WindowHooks& hooks)
{
    g_changed = hooks.changed;
    g_sendForeign = hooks.sendForeign;
}

void NotifyWindowChanged(WindowEvent event, HWND hwnd, LPCWSTR className)
{
    if (const auto changed = g_changed.load())
        changed(event, hwnd, className);
}

bool SendForeign(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Clock::time_point deadline,
                 LRESULT* result)
{
    const auto send = g_sendForeign.load();
    return send != nullptr && send(hwnd, msg, wParam, lParam, RemainingMs(deadline), result);
}
} // namespace platform
