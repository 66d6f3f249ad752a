#include "platform/ipc/ForeignWindows.h"

namespace platform::ipc
{
ForeignWindows& ForeignWindows::Instance()
{
    // Never destroyed: a send may still look a proxy up while the process exits.
    static ForeignWindows* const instance = new ForeignWindows;
    return *instance;
}

bool ForeignWindows::IsProxyShaped(HWND hwnd)
{
    return (reinterpret_cast<ULONG_PTR>(hwnd) & 3) == 2;
}

HWND ForeignWindows::ProxyFor(const ForeignWindow& window)
{
    std::lock_guard lock(m_lock);
    auto it = m_byWindow.find(window);
    if (it != m_byWindow.end())
        return it->second;
    const HWND proxy = reinterpret_cast<HWND>(m_next);
    m_next += 4;
    m_byWindow.emplace(window, proxy);
    m_byProxy.emplace(proxy, window);
    return proxy;
}

bool ForeignWindows::Lookup(HWND proxy, ForeignWindow* window)
{
    if (!IsProxyShaped(proxy))
        return false;
    std::lock_guard lock(m_lock);
    auto it = m_byProxy.find(proxy);
    if (it == m_byProxy.end())
        return false;
    *window = it->second;
    return true;
}
} // namespace platform::ipc
