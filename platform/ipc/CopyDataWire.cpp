#include "platform/ipc/CopyDataWire.h"

#include "platform/Messages.h"
#include "platform/WinError.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::ipc
{
bool CopyDataWire::WaitReady(int fd, short events, WireClock::time_point deadline)
{
    for (;;)
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - WireClock::now()).count();
        if (left <= 0)
            return false;
        pollfd pfd{fd, events, 0};
        const int n = ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left, 60000)));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

bool CopyDataWire::ReadExact(int fd, void* buffer, size_t size, WireClock::time_point deadline)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size)
    {
        if (!WaitReady(fd, POLLIN, deadline))
            return false;
        const ssize_t n = ::recv(fd, bytes + done, size - done, MSG_DONTWAIT);
        if (n == 0)
            return false;
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

bool CopyDataWire::WriteExact(int fd, const void* buffer, size_t size, WireClock::time_point deadline)
{
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    size_t done = 0;
    while (done < size)
    {
        if (!WaitReady(fd, POLLOUT, deadline))
            return false;
        const ssize_t n = ::send(fd, bytes + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

DWORD CopyDataWire::Check(const RequestHeader& header)
{
    if (header.mark != kRequestMark || header.version != kWireVersion || header.reserved != 0 ||
        (header.flags & ~kHasCopyData) != 0)
        return ERROR_INVALID_DATA;
    if (header.cbData > kMaxCopyData || ((header.flags & kHasCopyData) == 0 && header.cbData != 0))
        return ERROR_INVALID_DATA;
    // Only WM_COPYDATA says what its lParam points to, so only it can be carried across.
    if (header.message != WM_COPYDATA)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}
} // namespace platform::ipc
