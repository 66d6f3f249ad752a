// Whatever arrives on a window socket, the receiving process survives it and keeps answering.
#include "platform/WinError.h"
#include "platform/WindowFinder.h"
#include "platform/ipc/CopyDataWire.h"
#include "tests/platform/ipc/HostProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace platform::ipc;

namespace
{
// Sends the bytes on a fresh connection, half-closes, and returns what came back.
std::string Exchange(const std::string& path, const std::string& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    std::string reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
    {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        timeval limit{3, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
        char buffer[64];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0)
            reply.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return reply;
}

std::string Frame(const RequestHeader& header, const std::string& data = {})
{
    return std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + data;
}

DWORD StatusOf(const std::string& reply)
{
    ReplyHeader header;
    if (reply.size() != sizeof(header))
        return 0xFFFFFFFF;
    std::memcpy(&header, reply.data(), sizeof(header));
    return header.mark == kReplyMark ? header.status : 0xFFFFFFFF;
}

class MalformedRequestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Start("Pictavo", m_dir / "report.txt", 3));
        m_socket = ipctest::RegistryFolder() + "/" + std::to_string(m_host.Pid()) + ".sock";
        m_hwnd = FindWindowW(nullptr, L"Pictavo");
        ASSERT_NE(m_hwnd, nullptr);
    }

    // The host still runs and still answers a proper request.
    void ExpectHostAnswers()
    {
        EXPECT_TRUE(m_host.IsRunning());
        COPYDATASTRUCT copy{};
        EXPECT_EQ(SendMessageW(m_hwnd, WM_COPYDATA, 2024, reinterpret_cast<LPARAM>(&copy)), 3);
    }

    // The host's own handle of its window, read from its registry entry.
    std::uint64_t RemoteHandle()
    {
        const std::string entry =
            testsupport::ReadFile(ipctest::RegistryFolder() + "/" + std::to_string(m_host.Pid()) + ".win");
        const size_t line = entry.find('\n');
        return std::stoull(entry.substr(line + 1), nullptr, 16);
    }

    testsupport::TempDir m_dir{"fuzz"};
    ipctest::HostProcess m_host;
    std::string m_socket;
    HWND m_hwnd = nullptr;
};
} // namespace

TEST_F(MalformedRequestTest, BadHeadersAreAnsweredWithAnError)
{
    RequestHeader good;
    good.hwnd = RemoteHandle();
    good.message = WM_COPYDATA;
    good.flags = kHasCopyData;

    RequestHeader header = good;
    header.mark = 0x12345678;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_INVALID_DATA);
    header = good;
    header.version = 2;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_INVALID_DATA);
    header = good;
    header.cbData = 0xFFFFFFFF;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_INVALID_DATA);
    header.cbData = kMaxCopyData + 1;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_INVALID_DATA);
    header = good;
    header.flags = 0;
    header.cbData = 4;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header, "data"))), ERROR_INVALID_DATA);
    header = good;
    header.message = WM_CLOSE;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_ACCESS_DENIED);
    // Windows that are not the host's published top-level windows.
    header = good;
    header.hwnd = 0x10;
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(header))), ERROR_INVALID_WINDOW_HANDLE);
    // Data shorter than announced: no answer, no harm.
    header = good;
    header.cbData = 100;
    EXPECT_EQ(Exchange(m_socket, Frame(header, "short")), "");
    EXPECT_EQ(Exchange(m_socket, Frame(good).substr(0, 20)), "");
    // The well-formed frame itself is served.
    EXPECT_EQ(StatusOf(Exchange(m_socket, Frame(good))), ERROR_SUCCESS);
    ExpectHostAnswers();
}

TEST_F(MalformedRequestTest, RandomBytesDoNotHurtTheHost)
{
    std::mt19937 random(20240601);
    RequestHeader good;
    good.hwnd = RemoteHandle();
    good.message = WM_COPYDATA;
    good.flags = kHasCopyData;
    const std::string valid = Frame(good);
    for (int round = 0; round < 150; ++round)
    {
        // Half the rounds start from a valid header, so that the checks past the mark are hit.
        std::string bytes = round % 2 == 0 ? valid : std::string();
        const size_t length = random() % 120;
        for (size_t i = 0; i < length; ++i)
            bytes += static_cast<char>(random());
        for (size_t flips = random() % 4; flips > 0 && !bytes.empty(); --flips)
            bytes[random() % bytes.size()] ^= static_cast<char>(1 << (random() % 8));
        const std::string reply = Exchange(m_socket, bytes);
        EXPECT_TRUE(reply.empty() || reply.size() == sizeof(ReplyHeader)) << "round " << round;
    }
    ExpectHostAnswers();
}
