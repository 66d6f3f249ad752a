#pragma once
// Local stand-ins for windows of other processes. A foreign window is named by its process
// (pid and start time, so that a reused pid never reaches a newer process) and its handle
// there; FindWindowW hands out a proxy handle for it. Proxy handles are 2 modulo 4 while the
// window table's own handles are multiples of 4, so the two never collide; they are not in the
// window table, so IsWindow reports FALSE for them, and only the send hook understands them.
// A proxy is never reused for another window.

#include "platform/WinTypes.h"

#include <map>
#include <mutex>
#include <sys/types.h>
#include <tuple>
#include <unordered_map>

namespace platform::ipc
{
struct ForeignWindow
{
    pid_t pid = 0;
    unsigned long long startTime = 0;
    ULONG_PTR hwnd = 0;

    auto Key() const { return std::tie(pid, startTime, hwnd); }
    bool operator<(const ForeignWindow& other) const { return Key() < other.Key(); }
};

class ForeignWindows
{
public:
    static ForeignWindows& Instance();

    // The proxy for the window, made on first request.
    HWND ProxyFor(const ForeignWindow& window);
    // False when the handle is not a proxy of ours.
    bool Lookup(HWND proxy, ForeignWindow* window);
    static bool IsProxyShaped(HWND hwnd);

private:
    ForeignWindows() = default;

    std::mutex m_lock;
    std::map<ForeignWindow, HWND> m_byWindow;
    std::unordered_map<HWND, ForeignWindow> m_byProxy;
    ULONG_PTR m_next = 0x7F000002;
};
} // namespace platform::ipc
