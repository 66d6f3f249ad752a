#include "platform/ipc/CopyDataClient.h"

#include "platform/Messages.h"
#include "platform/WinError.h"
#include "platform/ipc/ProcessStart.h"
#include "platform/ipc/WindowRegistry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform::ipc
{
namespace
{
bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

UniqueFd FailFd(DWORD error)
{
    SetLastError(error);
    return {};
}
} // namespace

bool CopyDataClient::BuildRequest(const ForeignWindow& target, UINT msg, WPARAM wParam, LPARAM lParam,
                                  RequestHeader* header, const void** data)
{
    if (msg != WM_COPYDATA)
        return Fail(ERROR_ACCESS_DENIED);
    header->hwnd = target.hwnd;
    header->message = msg;
    header->wParam = wParam;
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    *data = nullptr;
    if (copy == nullptr)
        return true;
    if (copy->cbData > kMaxCopyData || (copy->cbData != 0 && copy->lpData == nullptr))
        return Fail(ERROR_INVALID_PARAMETER);
    header->flags = kHasCopyData;
    header->dwData = copy->dwData;
    header->cbData = copy->cbData;
    *data = copy->lpData;
    return true;
}

bool CopyDataClient::IsPeer(int fd, pid_t pid)
{
    ucred cred{};
    socklen_t length = sizeof(cred);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::geteuid() &&
           cred.pid == pid;
}

UniqueFd CopyDataClient::Connect(const std::string& path, pid_t pid, WireClock::time_point deadline)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return FailFd(ERROR_INVALID_WINDOW_HANDLE);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd)
        return FailFd(ERROR_TOO_MANY_OPEN_FILES);
    for (;;)
    {
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
            break;
        // A full backlog: the receiver is busy accepting; try again until the deadline.
        if (errno == EAGAIN && WireClock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        return FailFd(errno == EAGAIN ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    }
    if (!IsPeer(fd.get(), pid))
        return FailFd(ERROR_ACCESS_DENIED);
    return fd;
}

bool CopyDataClient::AwaitReply(int fd, WireClock::time_point deadline, ReplyHeader* reply)
{
    while (WireClock::now() < deadline)
    {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 10) > 0)
            return CopyDataWire::ReadExact(fd, reply, sizeof(*reply), deadline) && reply->mark == kReplyMark;
        // Someone may be sending to this thread while it waits (the receiver itself, say).
        MSG ignored;
        PeekMessageW(&ignored, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE);
    }
    return Fail(ERROR_TIMEOUT);
}

bool CopyDataClient::Send(const std::string& folder, const ForeignWindow& target, UINT msg, WPARAM wParam,
                          LPARAM lParam, DWORD timeoutMs, LRESULT* result)
{
    RequestHeader header;
    const void* data = nullptr;
    if (!BuildRequest(target, msg, wParam, lParam, &header, &data))
        return false;
    if (!IsSameProcess(target.pid, target.startTime))
        return Fail(ERROR_INVALID_WINDOW_HANDLE);
    const auto deadline = WireClock::now() + std::chrono::milliseconds(std::min(timeoutMs, kSendTimeoutMs));
    const UniqueFd fd = Connect(WindowRegistry::SocketPath(folder, target.pid), target.pid, deadline);
    if (!fd)
        return false;
    ReplyHeader reply;
    if (!CopyDataWire::WriteExact(fd.get(), &header, sizeof(header), deadline) ||
        !CopyDataWire::WriteExact(fd.get(), data, header.cbData, deadline))
        return Fail(WireClock::now() >= deadline ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    if (!AwaitReply(fd.get(), deadline, &reply))
        return Fail(WireClock::now() >= deadline ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    if (reply.status != ERROR_SUCCESS)
        return Fail(reply.status);
    *result = static_cast<LRESULT>(reply.result);
    return true;
}
} // namespace platform::ipc
