#pragma once
// Who holds the mouse capture and which windows asked for leave or hover notices. Kept as data
// here so that the headless backend answers GetCapture and TME_QUERY too; the GTK backend
// grabs the pointer and produces the notices.

#include "platform/Input.h"

#include <mutex>
#include <unordered_map>

namespace platform
{
class MouseTracking
{
public:
    static MouseTracking& Instance();

    // Returns the previous holder (NULL if it was destroyed meanwhile).
    HWND SetCapture(HWND hwnd);
    HWND Capture();

    void Track(HWND hwnd, DWORD flags, DWORD hoverMs);
    void Cancel(HWND hwnd, DWORD flags);
    // The TME_ flags tracked for hwnd and the hover time.
    DWORD Tracked(HWND hwnd, DWORD* hoverMs = nullptr);
    // The window was destroyed: it neither holds the capture nor is tracked any more.
    void Forget(HWND hwnd);

private:
    struct Entry
    {
        DWORD flags = 0;
        DWORD hoverMs = 400;
    };

    std::mutex m_lock;
    HWND m_capture = nullptr;
    std::unordered_map<HWND, Entry> m_tracked;
};
} // namespace platform
