// FindWindowW among this process's own windows, and what it publishes for others.
#include "platform/WindowFinder.h"
#include "platform/ipc/WindowRegistry.h"
#include "tests/platform/ipc/HostProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using platform::ipc::SharedWindow;
using platform::ipc::WindowRegistry;

namespace
{
LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == WM_COPYDATA ? 31 : DefWindowProcW(hwnd, msg, wParam, lParam);
}

class LocalWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = L"LocalFinderClass";
        RegisterClassExW(&wc);
    }

    static HWND Make(LPCWSTR title, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr)
    {
        return CreateWindowExW(0, L"LocalFinderClass", title, style, 0, 0, 10, 10, parent, nullptr, nullptr,
                               nullptr);
    }

    // What this process has published, as another process reads it.
    static std::vector<SharedWindow> Published()
    {
        std::vector<SharedWindow> windows;
        unsigned long long startTime = 0;
        const std::string text =
            testsupport::ReadFile(WindowRegistry::Folder() + "/" + std::to_string(::getpid()) + ".win");
        WindowRegistry::Parse(text, ::getpid(), &startTime, &windows);
        return windows;
    }
};
} // namespace

TEST_F(LocalWindowTest, FollowsCreationRetitlingAndDestruction)
{
    const HWND main = Make(L"Pictavo");
    const HWND child = Make(L"Pictavo child", WS_CHILD, main);
    ASSERT_NE(child, nullptr);
    // Own windows come back with their real handles.
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo"), main);
    EXPECT_EQ(FindWindowW(L"LOCALFINDERCLASS", L"Pictavo"), main);
    EXPECT_EQ(FindWindowW(L"LocalFinderClass", nullptr), main);
    EXPECT_EQ(SendMessageW(FindWindowW(nullptr, L"Pictavo"), WM_COPYDATA, 0, 0), 31);
    // Child windows are not top-level windows.
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo child"), nullptr);
    ASSERT_EQ(Published().size(), 1u);
    EXPECT_EQ(Published()[0].title, L"Pictavo");
    EXPECT_EQ(Published()[0].className, L"LocalFinderClass");

    SetWindowTextW(main, L"Pictavo 卸载程序");
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo"), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo 卸载程序"), main);
    EXPECT_EQ(Published()[0].title, L"Pictavo 卸载程序");

    DestroyWindow(main);
    EXPECT_EQ(FindWindowW(nullptr, L"Pictavo 卸载程序"), nullptr);
    // Nothing left to publish: the entry goes.
    EXPECT_FALSE(testsupport::Exists(WindowRegistry::Folder() + "/" + std::to_string(::getpid()) + ".win"));
}

TEST_F(LocalWindowTest, FirstMatchInCreationOrderAndOwnBeforeOthers)
{
    testsupport::TempDir dir("local");
    ipctest::HostProcess host;
    ASSERT_TRUE(host.Start("Same", dir / "report.txt", 1));
    const HWND foreign = FindWindowW(nullptr, L"Same");
    ASSERT_NE(foreign, nullptr);

    const HWND first = Make(L"Same");
    const HWND second = Make(L"Same");
    EXPECT_EQ(FindWindowW(nullptr, L"Same"), first);
    DestroyWindow(first);
    EXPECT_EQ(FindWindowW(nullptr, L"Same"), second);
    DestroyWindow(second);
    EXPECT_EQ(FindWindowW(nullptr, L"Same"), foreign);
}

TEST_F(LocalWindowTest, WindowsOfAnEndedThreadAreWithdrawn)
{
    std::thread([] { Make(L"Worker window"); }).join();
    EXPECT_EQ(FindWindowW(nullptr, L"Worker window"), nullptr);
    EXPECT_TRUE(Published().empty());
}
