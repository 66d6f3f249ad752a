// The backend in use (headless unless a display backend was installed) and the test hooks of
// the headless backend.
#include "platform/Window.h"
#include "platform/messages/Internal.h"
#include "platform/messages/MessageQueue.h"
#include "platform/messages/WindowTable.h"

#include <atomic>

namespace platform
{
namespace
{
// Keeps no state of its own: the core holds everything a test may look at.
class HeadlessBackend final : public WindowBackend
{
};

// Never destroyed: threads that outlive main (a request thread, the log writer) may still post
// while static objects are torn down, and a post wakes the backend.
WindowBackend& Headless()
{
    static WindowBackend* const backend = new HeadlessBackend;
    return *backend;
}

std::atomic<WindowBackend*> g_backend{nullptr};
std::atomic<long long> g_cursor{0};

bool IsMouseMessage(UINT msg)
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
}

// Mouse messages carry client coordinates; MSG::pt is in screen coordinates.
POINT ScreenPoint(HWND hwnd, LPARAM lParam)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return POINT{rect.left + GET_X_LPARAM(lParam), rect.top + GET_Y_LPARAM(lParam)};
}
} // namespace

WindowBackend* SetWindowBackend(WindowBackend* backend)
{
    return g_backend.exchange(backend == &Headless() ? nullptr : backend);
}

WindowBackend& GetWindowBackend()
{
    WindowBackend* backend = g_backend.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : Headless();
}

POINT LastCursorPos()
{
    const long long packed = g_cursor.load(std::memory_order_relaxed);
    return POINT{static_cast<LONG>(packed >> 32), static_cast<LONG>(packed & 0xFFFFFFFF)};
}

namespace headless
{
bool Snapshot(HWND hwnd, WindowSnapshot* snapshot)
{
    if (snapshot == nullptr || !IsWindow(hwnd))
        return false;
    snapshot->visible = IsWindowVisible(hwnd) != FALSE;
    GetWindowRect(hwnd, &snapshot->rect);
    return WindowTable::Instance().Read(hwnd, [&](const WindowRecord& r) {
        snapshot->minimized = (r.style & WS_MINIMIZE) != 0;
        snapshot->maximized = (r.style & WS_MAXIMIZE) != 0;
        snapshot->topmost = (r.exStyle & WS_EX_TOPMOST) != 0;
        snapshot->title = r.title;
        snapshot->zStamp = r.zStamp;
    });
}

BOOL InjectMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    POINT pt = LastCursorPos();
    if (IsMouseMessage(msg) && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL)
    {
        pt = ScreenPoint(hwnd, lParam);
        g_cursor.store((static_cast<long long>(pt.x) << 32) | static_cast<unsigned int>(pt.y));
    }
    return PostPrepared(MSG{hwnd, msg, wParam, lParam, TickNow(), pt});
}
} // namespace headless
} // namespace platform
