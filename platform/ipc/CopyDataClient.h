#pragma once
// The sending side of a cross-process WM_COPYDATA: one connection to the receiving process's
// socket per message. The peer must be the very process the window belongs to (SO_PEERCRED:
// same user, same pid) before anything is written.

#include "platform/ipc/CopyDataWire.h"
#include "platform/ipc/ForeignWindows.h"

#include "platform/UniqueFd.h"

#include <string>

namespace platform::ipc
{
class CopyDataClient
{
public:
    // True with *result when the window answered; false with the last error set:
    // ERROR_TIMEOUT, ERROR_INVALID_WINDOW_HANDLE (the process or window is gone),
    // ERROR_ACCESS_DENIED (not WM_COPYDATA), ERROR_INVALID_PARAMETER (bad COPYDATASTRUCT).
    static bool Send(const std::string& folder, const ForeignWindow& target, UINT msg, WPARAM wParam,
                     LPARAM lParam, DWORD timeoutMs, LRESULT* result);

private:
    static bool BuildRequest(const ForeignWindow& target, UINT msg, WPARAM wParam, LPARAM lParam,
                             RequestHeader* header, const void** data);
    // A connected socket to the process, or none with the last error set.
    static UniqueFd Connect(const std::string& path, pid_t pid, WireClock::time_point deadline);
    static bool IsPeer(int fd, pid_t pid);
    // Waits for the reply, serving messages sent to the calling thread meanwhile.
    static bool AwaitReply(int fd, WireClock::time_point deadline, ReplyHeader* reply);
};
} // namespace platform::ipc
