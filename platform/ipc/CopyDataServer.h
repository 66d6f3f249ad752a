#pragma once
// The receiving side of cross-process WM_COPYDATA: a unix socket (0600, in the 0700 registry
// folder) served by one accepting thread. Each accepted connection of the same user is handled
// by a short-lived worker that reads one request, copies its data into memory of its own and
// sends WM_COPYDATA to the window, so the window's thread runs the procedure as for any
// cross-thread send. The worker keeps the copy until the procedure has answered: a send that
// merely timed out may already be inside the procedure, which still reads lpData. A hung
// window thread therefore holds its workers; their number is capped, and the accepting thread
// itself never waits on a window.

#include "platform/ipc/CopyDataWire.h"

#include <atomic>
#include <string>
#include <vector>

namespace platform::ipc
{
class CopyDataServer
{
public:
    // Whether a handle is a window this process lets others reach.
    using WindowFilter = bool (*)(HWND hwnd);

    // Binds the socket at path and starts the accepting thread; false when the socket cannot
    // be made. The server lives as long as the process.
    bool Start(const std::string& path, WindowFilter isShared);

private:
    static constexpr int kMaxWorkers = 8;

    void AcceptLoop();
    void Serve(int fd);
    // The error to answer with, or ERROR_SUCCESS with *result.
    DWORD Deliver(const RequestHeader& header, std::vector<unsigned char>& data, LRESULT* result) const;
    static bool IsSameUser(int fd);
    static void Reply(int fd, DWORD status, LRESULT result);

    int m_listen = -1;
    WindowFilter m_isShared = nullptr;
    std::atomic<int> m_workers{0};
};
} // namespace platform::ipc
