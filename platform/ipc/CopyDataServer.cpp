#include "platform/ipc/CopyDataServer.h"

#include "platform/CrashReport.h"
#include "platform/Messages.h"
#include "platform/UniqueFd.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform::ipc
{
namespace
{
// How long a peer may take to hand over its request.
constexpr auto kRequestTime = std::chrono::seconds(2);
constexpr auto kReplyTime = std::chrono::seconds(1);

int ListenAt(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return -1;
    // A socket left by an earlier process with our pid.
    ::unlink(path.c_str());
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd.get(), 16) != 0)
        return -1;
    return fd.release();
}
} // namespace

bool CopyDataServer::Start(const std::string& path, WindowFilter isShared)
{
    m_isShared = isShared;
    m_listen = ListenAt(path);
    if (m_listen < 0)
        return false;
    std::thread([this] {
        PrepareThreadForCrashes();
        AcceptLoop();
    }).detach();
    return true;
}

bool CopyDataServer::IsSameUser(int fd)
{
    ucred cred{};
    socklen_t length = sizeof(cred);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::geteuid();
}

void CopyDataServer::AcceptLoop()
{
    for (;;)
    {
        UniqueFd fd(::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd)
        {
            if (errno != EINTR && errno != ECONNABORTED)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (!IsSameUser(fd.get()) || m_workers.load() >= kMaxWorkers)
            continue;
        ++m_workers;
        std::thread([this, connection = std::move(fd)]() mutable {
            PrepareThreadForCrashes();
            Serve(connection.get());
            connection.reset();
            --m_workers;
        }).detach();
    }
}

void CopyDataServer::Reply(int fd, DWORD status, LRESULT result)
{
    ReplyHeader reply;
    reply.status = status;
    reply.result = result;
    CopyDataWire::WriteExact(fd, &reply, sizeof(reply), WireClock::now() + kReplyTime);
}

void CopyDataServer::Serve(int fd)
{
    const auto deadline = WireClock::now() + kRequestTime;
    RequestHeader header;
    if (!CopyDataWire::ReadExact(fd, &header, sizeof(header), deadline))
        return;
    DWORD status = CopyDataWire::Check(header);
    if (status != ERROR_SUCCESS)
        return Reply(fd, status, 0);
    std::vector<unsigned char> data(header.cbData);
    if (!CopyDataWire::ReadExact(fd, data.data(), data.size(), deadline))
        return;
    LRESULT result = 0;
    status = Deliver(header, data, &result);
    Reply(fd, status, result);
}

DWORD CopyDataServer::Deliver(const RequestHeader& header, std::vector<unsigned char>& data,
                              LRESULT* result) const
{
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(header.hwnd));
    if (m_isShared == nullptr || !m_isShared(hwnd))
        return ERROR_INVALID_WINDOW_HANDLE;
    COPYDATASTRUCT copy{static_cast<ULONG_PTR>(header.dwData), header.cbData,
                        data.empty() ? nullptr : data.data()};
    const LPARAM lParam = (header.flags & kHasCopyData) != 0 ? reinterpret_cast<LPARAM>(&copy) : 0;
    // A window destroyed meanwhile answers 0, as it would to a send from this process.
    *result = SendMessageW(hwnd, WM_COPYDATA, static_cast<WPARAM>(header.wParam), lParam);
    return ERROR_SUCCESS;
}
} // namespace platform::ipc
