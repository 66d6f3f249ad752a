// Mouse capture and leave/hover tracking. The state lives in MouseTracking; with a display the
// capture is also a pointer grab, so that input outside the window still reaches it.
#include "platform/Input.h"
#include "platform/WinError.h"
#include "platform/gtk/DesktopBackend.h"
#include "platform/gtk/MouseTracking.h"

using platform::MouseTracking;

namespace
{
bool PointerIsOver(HWND hwnd)
{
    POINT point{};
    RECT rect{};
    return GetCursorPos(&point) && GetWindowRect(hwnd, &rect) && point.x >= rect.left &&
           point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}
} // namespace

HWND SetCapture(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return nullptr;
    const HWND previous = MouseTracking::Instance().SetCapture(hwnd);
    if (previous != hwnd)
    {
        platform::Desktop().GrabPointer(hwnd);
        if (previous != nullptr)
            SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    return previous;
}

BOOL ReleaseCapture()
{
    const HWND previous = MouseTracking::Instance().SetCapture(nullptr);
    if (previous != nullptr)
    {
        platform::Desktop().UngrabPointer();
        SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture()
{
    return MouseTracking::Instance().Capture();
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track)
{
    if (track == nullptr || track->cbSize != sizeof(TRACKMOUSEEVENT))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& tracking = MouseTracking::Instance();
    if ((track->dwFlags & TME_QUERY) != 0)
    {
        DWORD hoverMs = 0;
        const DWORD flags = tracking.Tracked(track->hwndTrack, &hoverMs);
        track->dwFlags = flags;
        track->dwHoverTime = (flags & TME_HOVER) != 0 ? hoverMs : 0;
        return TRUE;
    }
    if (!IsWindow(track->hwndTrack))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((track->dwFlags & TME_CANCEL) != 0)
    {
        tracking.Cancel(track->hwndTrack, track->dwFlags & (TME_HOVER | TME_LEAVE));
        return TRUE;
    }
    // Only a display knows where the pointer is; there a window it has already left hears so
    // at once, as on Windows.
    if ((track->dwFlags & TME_LEAVE) != 0 && platform::Desktop().HasDisplay() &&
        !PointerIsOver(track->hwndTrack))
    {
        PostMessageW(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    tracking.Track(track->hwndTrack, track->dwFlags, track->dwHoverTime);
    return TRUE;
}
