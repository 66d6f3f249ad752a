#include "platform/gtk/MouseTracking.h"

namespace platform
{
MouseTracking& MouseTracking::Instance()
{
    static auto* const instance = new MouseTracking;
    return *instance;
}

HWND MouseTracking::SetCapture(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    const HWND previous = m_capture;
    m_capture = hwnd;
    return IsWindow(previous) ? previous : nullptr;
}

HWND MouseTracking::Capture()
{
    std::lock_guard lock(m_lock);
    // A destroyed holder no longer holds anything.
    if (m_capture != nullptr && !IsWindow(m_capture))
        m_capture = nullptr;
    return m_capture;
}

void MouseTracking::Track(HWND hwnd, DWORD flags, DWORD hoverMs)
{
    std::lock_guard lock(m_lock);
    Entry& entry = m_tracked[hwnd];
    entry.flags |= flags & (TME_HOVER | TME_LEAVE);
    if ((flags & TME_HOVER) != 0)
        entry.hoverMs = hoverMs == HOVER_DEFAULT ? 400 : hoverMs;
}

void MouseTracking::Cancel(HWND hwnd, DWORD flags)
{
    std::lock_guard lock(m_lock);
    auto it = m_tracked.find(hwnd);
    if (it == m_tracked.end())
        return;
    it->second.flags &= ~flags;
    if (it->second.flags == 0)
        m_tracked.erase(it);
}

DWORD MouseTracking::Tracked(HWND hwnd, DWORD* hoverMs)
{
    std::lock_guard lock(m_lock);
    auto it = m_tracked.find(hwnd);
    if (it == m_tracked.end())
        return 0;
    if (hoverMs != nullptr)
        *hoverMs = it->second.hoverMs;
    return it->second.flags;
}

void MouseTracking::Forget(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    m_tracked.erase(hwnd);
    if (m_capture == hwnd)
        m_capture = nullptr;
}
} // namespace platform
