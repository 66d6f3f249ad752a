#pragma once
// Makes this process's top-level windows findable and reachable by the user's other processes,
// and finds theirs. It follows window creation, retitling and destruction through the message
// core's window hooks, keeps the list of top-level windows (class, title) in creation order,
// republishes it in the window registry after every change, and starts the socket server when
// the first top-level window appears. Sends to proxy handles (ForeignWindows.h) go through the
// send hook to CopyDataClient.

#include "platform/ipc/CopyDataServer.h"
#include "platform/ipc/WindowRegistry.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform::ipc
{
class WindowSharing
{
public:
    static WindowSharing& Instance();
    // Installs the window hooks; safe to call more than once.
    static void Install();

    // The first top-level window with that class (case-insensitive; any when null) and that
    // whole title (any when null): this process's windows first, then other processes'.
    HWND Find(LPCWSTR className, LPCWSTR windowName);
    // A top-level window of this process that others may reach.
    bool Contains(HWND hwnd);
    // The registry folder, or empty when there is none.
    std::string FolderOnce();

    // From the window hooks, on the window's thread.
    void Add(HWND hwnd, LPCWSTR className);
    void Retitle(HWND hwnd);
    void Remove(HWND hwnd);

private:
    WindowSharing() = default;

    // Under m_lock: starts serving on first use and rewrites the registry file.
    void PublishLocked();
    bool ServeLocked();
    std::string FolderLocked();

    std::mutex m_lock;
    std::vector<SharedWindow> m_windows;
    std::string m_folder;
    bool m_folderTried = false;
    bool m_serving = false;
    CopyDataServer m_server;
};
} // namespace platform::ipc
