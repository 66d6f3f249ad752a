// FindWindowW and WM_COPYDATA between real processes.
#include "platform/WinError.h"
#include "platform/WindowFinder.h"
#include "platform/ipc/CopyDataWire.h"
#include "tests/platform/ipc/HostProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using ipctest::HostProcess;
using ipctest::RegistryFolder;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace
{
constexpr WPARAM kActivate = 2024;

LRESULT SendCopy(HWND hwnd, WPARAM wParam, COPYDATASTRUCT copy)
{
    return SendMessageW(hwnd, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&copy));
}

long ElapsedMs(std::chrono::steady_clock::time_point since)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since)
            .count());
}

mode_t ModeOf(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

constexpr uid_t kNobody = 65534;
enum Outcome
{
    kAnswered = 10,
    kRefused = 11,
    kUnreachable = 12,
};

// A request for WM_COPYDATA with lParam NULL to the host's window, read from its registry entry.
std::string CopyRequest(pid_t host, WPARAM wParam)
{
    const std::string entry = ReadFile(RegistryFolder() + "/" + std::to_string(host) + ".win");
    platform::ipc::RequestHeader header;
    header.hwnd = std::stoull(entry.substr(entry.find('\n') + 1), nullptr, 16);
    header.message = WM_COPYDATA;
    header.wParam = wParam;
    return std::string(reinterpret_cast<const char*>(&header), sizeof(header));
}

// In a child running as uid (from the registry folder, so that only the socket is looked up),
// sends request on the socket `name` and says whether an answer came.
Outcome ExchangeAs(uid_t uid, const std::string& name, const std::string& request)
{
    // The child of a threaded process only makes system calls: everything it needs is ready.
    const std::string folder = RegistryFolder();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.c_str(), sizeof(address.sun_path) - 1);
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (::chdir(folder.c_str()) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
            ::_exit(kUnreachable);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            ::_exit(kUnreachable);
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
        platform::ipc::ReplyHeader reply;
        const bool answered = ::recv(fd, &reply, sizeof(reply), MSG_WAITALL) == sizeof(reply);
        ::_exit(answered ? kAnswered : kRefused);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return kUnreachable;
    return static_cast<Outcome>(WEXITSTATUS(status));
}

class CrossProcessTest : public ::testing::Test
{
protected:
    TempDir m_dir{"ipc"};
    std::string m_report = m_dir / "report.txt";
};
} // namespace

TEST_F(CrossProcessTest, FindsAnotherProcessWindowByItsWholeTitleOnly)
{
    HostProcess first, second;
    ASSERT_TRUE(first.Start("Pictavo 升级程序", m_report, 11));
    ASSERT_TRUE(second.Start("Pictavo", m_dir / "second.txt", 22));

    const HWND upgrade = FindWindowW(nullptr, L"Pictavo 升级程序");
    const HWND plain = FindWindowW(nullptr, L"Pictavo");
    ASSERT_NE(upgrade, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_NE(upgrade, plain);
    // A handle of another process is not a window here, and the same window keeps its handle.
    EXPECT_FALSE(IsWindow(upgrade));
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo 升级程序"), upgrade);
    EXPECT_EQ(FindWindowW(L"pictavohostwindow", L"Pictavo"), plain);

    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo 升级"), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo 升级程序 "), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, L"pictavo"), nullptr);
    EXPECT_EQ(FindWindowW(L"OtherClass", L"Pictavo"), nullptr);
    // Each answers for itself.
    EXPECT_EQ(SendCopy(upgrade, kActivate, {}), 11);
    EXPECT_EQ(SendCopy(plain, kActivate, {}), 22);
}

TEST_F(CrossProcessTest, CopyDataReachesTheWindowThreadAndReturnsItsAnswer)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 4711));
    const HWND hwnd = FindWindowW(nullptr, L"Pictavo");
    ASSERT_NE(hwnd, nullptr);

    // The activation request of a second copy: all three fields zero.
    SetLastError(0);
    EXPECT_EQ(SendCopy(hwnd, kActivate, COPYDATASTRUCT{0, 0, nullptr}), 4711);
    EXPECT_EQ(GetLastError(), 0u);
    // Data travels as a copy; lParam NULL stays NULL.
    char text[] = "hello\0world";
    EXPECT_EQ(SendCopy(hwnd, 7, COPYDATASTRUCT{99, sizeof(text) - 1, text}), 4711);
    EXPECT_EQ(SendMessageW(hwnd, WM_COPYDATA, 8, 0), 4711);
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(hwnd, WM_COPYDATA, 9, 0, SMTO_NORMAL, 2000, &result));
    EXPECT_EQ(result, 4711u);

    const std::string expected = "wParam=2024 lParam=set dwData=0 cbData=0 lpData=null data=\n"
                                 "wParam=7 lParam=set dwData=99 cbData=11 lpData=set data=" +
                                 std::string(text, sizeof(text) - 1) +
                                 "\n"
                                 "wParam=8 lParam=null\n"
                                 "wParam=9 lParam=null\n";
    EXPECT_EQ(ReadFile(m_report), expected);
}

TEST_F(CrossProcessTest, RefusesWhatCannotTravel)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 5));
    const HWND hwnd = FindWindowW(nullptr, L"Pictavo");
    ASSERT_NE(hwnd, nullptr);

    // Only WM_COPYDATA says what its lParam points to.
    SetLastError(0);
    EXPECT_EQ(SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(PostMessageW(hwnd, WM_COPYDATA, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    // Data that is not there, or far too much of it.
    EXPECT_EQ(SendCopy(hwnd, 1, COPYDATASTRUCT{0, 10, nullptr}), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    std::string huge(1024 * 1024 + 1, 'x');
    EXPECT_EQ(SendCopy(hwnd, 1, COPYDATASTRUCT{0, static_cast<DWORD>(huge.size()), huge.data()}), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    // A whole mebibyte still goes.
    huge.pop_back();
    EXPECT_EQ(SendCopy(hwnd, 1, COPYDATASTRUCT{0, static_cast<DWORD>(huge.size()), huge.data()}), 5);
    // A made-up handle of the proxy kind is no window at all.
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFFFFF2)), WM_COPYDATA, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(host.IsRunning());
    EXPECT_EQ(ReadFile(m_report).size(),
              std::string("wParam=1 lParam=set dwData=0 cbData=1048576 lpData=set data=\n").size() +
                  huge.size());
}

TEST_F(CrossProcessTest, HostThatDoesNotPumpTimesOut)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 1, false, 20));
    const HWND hwnd = FindWindowW(nullptr, L"Pictavo");
    ASSERT_NE(hwnd, nullptr);

    auto start = std::chrono::steady_clock::now();
    SetLastError(0);
    EXPECT_EQ(SendCopy(hwnd, kActivate, {}), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_GE(ElapsedMs(start), 4500);
    EXPECT_LE(ElapsedMs(start), 7000);

    // A shorter limit of the caller's own is kept.
    start = std::chrono::steady_clock::now();
    DWORD_PTR result = 99;
    EXPECT_FALSE(SendMessageTimeoutW(hwnd, WM_COPYDATA, kActivate, 0, SMTO_NORMAL, 300, &result));
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_LE(ElapsedMs(start), 1500);
    EXPECT_TRUE(host.IsRunning());
}

TEST_F(CrossProcessTest, KilledHostIsForgotten)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 1));
    const HWND hwnd = FindWindowW(nullptr, L"Pictavo");
    ASSERT_NE(hwnd, nullptr);
    const std::string entry = RegistryFolder() + "/" + std::to_string(host.Pid());
    ASSERT_TRUE(testsupport::Exists(entry + ".win"));

    host.Kill();
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo"), nullptr);
    EXPECT_FALSE(testsupport::Exists(entry + ".win"));
    EXPECT_FALSE(testsupport::Exists(entry + ".sock"));
    SetLastError(0);
    EXPECT_EQ(SendCopy(hwnd, kActivate, {}), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(CrossProcessTest, EntryOfAReusedPidIsIgnored)
{
    // A live process (our parent) under an entry written by an earlier process with its pid.
    const std::string entry = RegistryFolder() + "/" + std::to_string(::getppid()) + ".win";
    HostProcess host;
    ASSERT_TRUE(host.Start("Other", m_report, 1));
    testsupport::WriteFile(entry, "pictavo-windows 1 1\n10010 - 5069637461766f\n");
    ::chmod(entry.c_str(), 0600);

    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo"), nullptr);
    EXPECT_FALSE(testsupport::Exists(entry));
    EXPECT_NE(FindWindowW(nullptr, L"Other"), nullptr);
}

TEST_F(CrossProcessTest, WindowClosedByItsProcessDisappears)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 1, true, 1));
    const std::string socket = RegistryFolder() + "/" + std::to_string(host.Pid()) + ".sock";
    EXPECT_NE(FindWindowW(nullptr, L"Pictavo"), nullptr);
    // The host destroys its window after a second and exits normally, taking its files along.
    EXPECT_EQ(host.WaitExit(10000), 0);
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo"), nullptr);
    EXPECT_FALSE(testsupport::Exists(socket));
}

TEST_F(CrossProcessTest, RegistryAndSocketArePrivate)
{
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 1));
    const std::string entry = RegistryFolder() + "/" + std::to_string(host.Pid());
    EXPECT_EQ(ModeOf(RegistryFolder()), 0700u);
    EXPECT_EQ(ModeOf(entry + ".win"), 0600u);
    EXPECT_EQ(ModeOf(entry + ".sock"), 0600u);
}

TEST_F(CrossProcessTest, PeerOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    HostProcess host;
    ASSERT_TRUE(host.Start("Pictavo", m_report, 7));
    const std::string name = std::to_string(host.Pid()) + ".sock";
    // The modes of the folder and the socket keep other users out; open them, so that what
    // refuses the other user is the receiver's own check of its peer.
    ASSERT_EQ(::chmod(RegistryFolder().c_str(), 0711), 0);
    ASSERT_EQ(::chmod((RegistryFolder() + "/" + name).c_str(), 0666), 0);
    const std::string request = CopyRequest(host.Pid(), 1);

    EXPECT_EQ(ExchangeAs(kNobody, name, request), kRefused) << "a request of user " << kNobody;
    // The same request from the host's own user on the same road is served.
    EXPECT_EQ(ExchangeAs(::geteuid(), name, CopyRequest(host.Pid(), 2)), kAnswered);
    EXPECT_EQ(ReadFile(m_report), "wParam=2 lParam=null\n");
}
