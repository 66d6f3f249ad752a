#include "tests/platform/messages/TestWindow.h"

#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace
{
// Messages of creation and destruction that several windows write into one log.
struct LifeLog
{
    std::vector<std::pair<HWND, UINT>> events;

    void Watch(TestWindow& window)
    {
        window.handler = [this](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_DESTROY || msg == WM_NCDESTROY)
                events.emplace_back(h, msg);
            return DefWindowProcW(h, msg, wParam, lParam);
        };
    }
    size_t IndexOf(HWND h, UINT msg) const
    {
        auto it = std::find(events.begin(), events.end(), std::make_pair(h, msg));
        return static_cast<size_t>(it - events.begin());
    }
};
} // namespace

TEST(Creation, NcCreateAndCreateCarryTheCreateStructAndCanRefuse)
{
    TestWindow window;
    LPVOID param = nullptr;
    window.handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_CREATE)
            param = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        return DefWindowProcW(h, msg, wParam, lParam);
    };
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_EQ(param, &window);
    ASSERT_GE(window.seen.size(), 3u);
    EXPECT_EQ(window.seen[0], WM_NCCREATE);
    EXPECT_EQ(window.seen.back(), WM_CREATE);
    DestroyWindow(window.hwnd);

    TestWindow refusesNc;
    refusesNc.handler = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return msg == WM_NCCREATE ? FALSE : DefWindowProcW(h, msg, wParam, lParam);
    };
    EXPECT_EQ(refusesNc.Create(), nullptr);
    EXPECT_EQ(refusesNc.Count(WM_CREATE), 0u);
    EXPECT_EQ(refusesNc.Count(WM_NCDESTROY), 1u); // the framework's last chance to clean up

    TestWindow refuses;
    HWND attempted = nullptr;
    refuses.handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        attempted = h;
        return msg == WM_CREATE ? -1 : DefWindowProcW(h, msg, wParam, lParam);
    };
    EXPECT_EQ(refuses.Create(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE), nullptr);
    EXPECT_EQ(refuses.Count(WM_DESTROY), 1u);
    EXPECT_EQ(refuses.Count(WM_NCDESTROY), 1u);
    EXPECT_EQ(refuses.Count(WM_SHOWWINDOW), 0u);
    EXPECT_FALSE(IsWindow(attempted));

    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST(Destruction, OwnedFirstThenDestroyThenChildrenThenNcDestroy)
{
    LifeLog log;
    TestWindow top, child, grandchild, owned;
    for (TestWindow* w : {&top, &child, &grandchild, &owned})
        log.Watch(*w);
    ASSERT_NE(top.Create(), nullptr);
    ASSERT_NE(child.Create(top.hwnd, WS_CHILD | WS_VISIBLE), nullptr);
    ASSERT_NE(grandchild.Create(child.hwnd, WS_CHILD), nullptr);
    ASSERT_NE(owned.Create(child.hwnd, WS_POPUP), nullptr);
    EXPECT_EQ(GetWindow(owned.hwnd, GW_OWNER), top.hwnd); // the owner is always top-level
    EXPECT_EQ(GetParent(owned.hwnd), top.hwnd);
    EXPECT_EQ(GetParent(grandchild.hwnd), child.hwnd);
    EXPECT_EQ(GetAncestor(grandchild.hwnd, GA_ROOT), top.hwnd);
    EXPECT_TRUE(IsChild(top.hwnd, grandchild.hwnd));
    EXPECT_EQ(GetWindow(top.hwnd, GW_CHILD), child.hwnd);

    PostMessageW(child.hwnd, WM_APP, 0, 0);
    ASSERT_TRUE(DestroyWindow(top.hwnd));
    ASSERT_EQ(log.events.size(), 8u);
    EXPECT_EQ(log.events[0], std::make_pair(owned.hwnd, WM_DESTROY));
    EXPECT_EQ(log.events[1], std::make_pair(owned.hwnd, WM_NCDESTROY));
    EXPECT_EQ(log.events[2], std::make_pair(top.hwnd, WM_DESTROY));
    EXPECT_LT(log.IndexOf(child.hwnd, WM_DESTROY), log.IndexOf(grandchild.hwnd, WM_DESTROY));
    EXPECT_LT(log.IndexOf(grandchild.hwnd, WM_NCDESTROY), log.IndexOf(child.hwnd, WM_NCDESTROY));
    EXPECT_EQ(log.events[7], std::make_pair(top.hwnd, WM_NCDESTROY));
    for (HWND h : {top.hwnd, child.hwnd, grandchild.hwnd, owned.hwnd})
        EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(PumpPending(), 0); // the child's queued message went with it
    EXPECT_EQ(child.Count(WM_APP), 0u);
    EXPECT_FALSE(DestroyWindow(top.hwnd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(Destruction, OnlyTheOwnerThreadMayDestroyAndCloseDestroysByDefault)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    std::thread([hwnd = window.hwnd] {
        SetLastError(0);
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }).join();
    EXPECT_TRUE(IsWindow(window.hwnd));
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(window.hwnd, &pid), ThisThreadId());
    EXPECT_EQ(pid, static_cast<DWORD>(getpid()));

    SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window.Count(WM_CLOSE), 1u);
    EXPECT_FALSE(IsWindow(window.hwnd));
}

TEST(WindowData, LongsTextAndClassRegistration)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_EQ(GetWindowLongW(window.hwnd, GWL_STYLE), static_cast<LONG>(WS_OVERLAPPEDWINDOW));
    SetWindowLongW(window.hwnd, GWL_STYLE, GetWindowLongW(window.hwnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window.hwnd, GWL_STYLE)) & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ(GetWindowLongPtrW(window.hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(window.hwnd, 64), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    // Subclassing: the new procedure sees messages first and chains to the old one.
    static WNDPROC s_old = nullptr;
    static int s_seen = 0;
    s_seen = 0;
    s_old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window.hwnd, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                              ++s_seen;
                              return CallWindowProcW(s_old, h, m, w, l);
                          })));
    SendMessageW(window.hwnd, WM_APP, 0, 0);
    EXPECT_EQ(s_seen, 1);
    EXPECT_EQ(window.Count(WM_APP), 1u);

    EXPECT_TRUE(SetWindowTextW(window.hwnd, L"Pictavo \u8f6c\u6362"));
    EXPECT_EQ(GetWindowTextLengthW(window.hwnd), 10);
    wchar_t small[5];
    EXPECT_EQ(GetWindowTextW(window.hwnd, small, 5), 4);
    EXPECT_STREQ(small, L"Pict");

    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    EXPECT_NE(GetClassInfoExW(nullptr, L"pictavotestwindow", &info), 0); // names ignore case
    WNDCLASSEXW again = info;
    EXPECT_EQ(RegisterClassExW(&again), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_FALSE(UnregisterClassW(L"PictavoTestWindow", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    DestroyWindow(window.hwnd);
}

TEST(Placement, ShowMoveAndRaiseAreKeptAsStateWithTheirMessages)
{
    TestWindow window;
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window.hwnd));
    EXPECT_FALSE(ShowWindow(window.hwnd, SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(window.hwnd));
    EXPECT_EQ(window.Count(WM_SHOWWINDOW), 1u);

    SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(window.hwnd));
    SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window.hwnd));

    window.seen.clear();
    ASSERT_TRUE(MoveWindow(window.hwnd, 50, 60, 640, 400, TRUE));
    RECT rect{};
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.bottom, 460);
    GetClientRect(window.hwnd, &rect);
    EXPECT_EQ(rect.right, 640);
    EXPECT_EQ(window.Count(WM_WINDOWPOSCHANGED), 1u);
    EXPECT_EQ(window.Count(WM_SIZE), 1u);
    EXPECT_EQ(window.Count(WM_MOVE), 1u);

    // Raising with TOPMOST then NOTOPMOST: above the others, but not a topmost window.
    TestWindow other;
    ASSERT_NE(other.Create(nullptr, WS_POPUP | WS_VISIBLE), nullptr);
    SetWindowPos(other.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window.hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    platform::headless::WindowSnapshot mine, theirs;
    ASSERT_TRUE(platform::headless::Snapshot(window.hwnd, &mine));
    ASSERT_TRUE(platform::headless::Snapshot(other.hwnd, &theirs));
    EXPECT_GT(mine.zStamp, theirs.zStamp);
    EXPECT_FALSE(mine.topmost);
    EXPECT_EQ(mine.rect.right, 690); // position and size kept
    EXPECT_EQ(mine.title, L"test");

    // A child is placed relative to its parent and hidden with it.
    TestWindow child;
    ASSERT_NE(child.Create(window.hwnd, WS_CHILD | WS_VISIBLE), nullptr);
    GetWindowRect(child.hwnd, &rect);
    EXPECT_EQ(rect.left, 60);
    ShowWindow(window.hwnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child.hwnd));
    DestroyWindow(window.hwnd);
    DestroyWindow(other.hwnd);
}
