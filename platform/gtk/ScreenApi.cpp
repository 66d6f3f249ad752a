// Coordinates, activation and the screen's size and work area.
#include "GtkBackend.h"
#include "NativeWindow.h"
#include "platform/Input.h"
#include "platform/WinError.h"

#include <mutex>

using platform::GtkBackend;

namespace
{
struct Screen
{
    RECT monitor{0, 0, 1920, 1080};
    RECT workArea{0, 0, 1920, 1080};
    int monitors = 1;
};

std::mutex g_lock;
Screen g_screen; // the headless screen, and the last one the UI thread saw

// The primary monitor, read on the UI thread; other threads get what was read last.
Screen CurrentScreen()
{
    GtkBackend* backend = GtkBackend::Active();
    std::lock_guard lock(g_lock);
    if (backend == nullptr || !backend->OnUiThread())
        return g_screen;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr)
        return g_screen;
    GdkRectangle geometry{};
    GdkRectangle work{};
    gdk_monitor_get_geometry(monitor, &geometry);
    gdk_monitor_get_workarea(monitor, &work);
    g_screen.monitor =
        RECT{geometry.x, geometry.y, geometry.x + geometry.width, geometry.y + geometry.height};
    g_screen.workArea = RECT{work.x, work.y, work.x + work.width, work.y + work.height};
    g_screen.monitors = gdk_display_get_n_monitors(display);
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
    if (GtkBackend* backend = GtkBackend::Active())
    {
        backend->RunOnUi([backend, root] {
            if (platform::NativeWindow* window = backend->Find(root))
                window->Present();
        });
    }
    return TRUE;
}

int GetSystemMetrics(int index)
{
    const Screen screen = CurrentScreen();
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
    const Screen screen = CurrentScreen();
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
