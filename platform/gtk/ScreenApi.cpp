// Coordinates, activation and the screen's size and work area.
#include "platform/Input.h"
#include "platform/WinError.h"
#include "platform/gtk/DesktopBackend.h"

#include <mutex>

using platform::ScreenArea;

namespace
{
std::mutex g_lock;
ScreenArea g_screen; // the headless screen, and the last one the UI thread saw

// The primary monitor, read on the UI thread; other threads get what was read last.
ScreenArea CurrentScreen()
{
    std::lock_guard lock(g_lock);
    ScreenArea now;
    if (platform::Desktop().ReadScreen(now))
        g_screen = now;
    return g_screen;
}

BOOL Offset(HWND hwnd, LPPOINT point, int sign)
{
    RECT rect{};
    if (point == nullptr || !GetWindowRect(hwnd, &rect))
        return FALSE;
    point->x += sign * rect.left;
    point->y += sign * rect.top;
    return TRUE;
}
} // namespace

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    return Offset(hwnd, point, -1);
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    return Offset(hwnd, point, 1);
}

BOOL SetForegroundWindow(HWND hwnd)
{
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root == nullptr || !SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE))
        return FALSE;
    platform::Desktop().Present(root);
    return TRUE;
}

int GetSystemMetrics(int index)
{
    const ScreenArea screen = CurrentScreen();
    switch (index)
    {
    case SM_CXSCREEN:
        return screen.monitor.right - screen.monitor.left;
    case SM_CYSCREEN:
        return screen.monitor.bottom - screen.monitor.top;
    case SM_CXFULLSCREEN:
        return screen.workArea.right - screen.workArea.left;
    case SM_CYFULLSCREEN:
        return screen.workArea.bottom - screen.workArea.top;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CMONITORS:
        return screen.monitors;
    default:
        return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, PVOID param, UINT)
{
    if (action != SPI_GETWORKAREA || param == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT*>(param) = CurrentScreen().workArea;
    return TRUE;
}

namespace
{
HMONITOR const kPrimaryMonitor = reinterpret_cast<HMONITOR>(static_cast<std::intptr_t>(1));
} // namespace

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    if (!IsWindow(hwnd) && flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return kPrimaryMonitor;
}

HMONITOR MonitorFromPoint(POINT, DWORD)
{
    return kPrimaryMonitor;
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    if (monitor != kPrimaryMonitor || info == nullptr || info->cbSize < sizeof(MONITORINFO))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ScreenArea screen = CurrentScreen();
    info->rcMonitor = screen.monitor;
    info->rcWork = screen.workArea;
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

void platform::headless::SetScreen(const RECT& monitor, const RECT& workArea)
{
    std::lock_guard lock(g_lock);
    g_screen.monitor = monitor;
    g_screen.workArea = workArea;
}
