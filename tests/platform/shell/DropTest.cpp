// Dropped files without a display: WM_DROPFILES for windows that accept files, the HDROP
// queries with the Windows buffer rules, and drops that are freed however they end.
#include "platform/Drop.h"
#include "platform/shell/UriList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
LRESULT CALLBACK DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class DropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &DefaultProc;
        wc.lpszClassName = L"ShellDropTest";
        RegisterClassExW(&wc);
        m_hwnd = NewWindow();
    }

    void TearDown() override
    {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
    }

    static HWND NewWindow()
    {
        return CreateWindowExW(0, L"ShellDropTest", L"drop", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                               nullptr, nullptr);
    }

    // The HDROP of the WM_DROPFILES waiting for hwnd, or nullptr.
    static HDROP TakeDrop(HWND hwnd)
    {
        MSG msg{};
        if (!PeekMessageW(&msg, hwnd, WM_DROPFILES, WM_DROPFILES, PM_REMOVE))
            return nullptr;
        return reinterpret_cast<HDROP>(msg.wParam);
    }

    HWND m_hwnd = nullptr;
};

TEST_F(DropTest, OnlyAWindowThatAcceptsFilesGetsDrops)
{
    EXPECT_FALSE(platform::headless::InjectDrop(m_hwnd, {L"/a.png"}, {1, 1}));
    EXPECT_EQ(TakeDrop(m_hwnd), nullptr);
    DragAcceptFiles(m_hwnd, TRUE);
    EXPECT_NE(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    EXPECT_TRUE(platform::headless::InjectDrop(m_hwnd, {L"/a.png"}, {1, 1}));
    HDROP drop = TakeDrop(m_hwnd);
    ASSERT_NE(drop, nullptr);
    DragFinish(drop);
    DragAcceptFiles(m_hwnd, FALSE);
    EXPECT_FALSE(platform::headless::InjectDrop(m_hwnd, {L"/a.png"}, {1, 1}));
}

TEST_F(DropTest, QueriesFollowTheWindowsBufferRules)
{
    DragAcceptFiles(m_hwnd, TRUE);
    const std::wstring longName = L"/data/" + std::wstring(300, L'n') + L".png";
    ASSERT_TRUE(platform::headless::InjectDrop(m_hwnd, {L"/照片/Photo 1.JPG", longName}, {120, 80}));
    HDROP drop = TakeDrop(m_hwnd);
    ASSERT_NE(drop, nullptr);

    EXPECT_EQ(DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 15u);
    EXPECT_EQ(DragQueryFileW(drop, 1, nullptr, 0), longName.size());
    WCHAR name[MAX_PATH];
    EXPECT_EQ(DragQueryFileW(drop, 0, name, MAX_PATH), 15u);
    EXPECT_EQ(std::wstring(name), L"/照片/Photo 1.JPG");
    // Too long for the buffer: cut to cch - 1 characters and terminated.
    std::vector<WCHAR> small(MAX_PATH + 1, L'#');
    EXPECT_EQ(DragQueryFileW(drop, 1, small.data(), MAX_PATH), MAX_PATH - 1);
    EXPECT_EQ(std::wstring(small.data()), longName.substr(0, MAX_PATH - 1));
    EXPECT_EQ(small[MAX_PATH], L'#');
    EXPECT_EQ(DragQueryFileW(drop, 2, name, MAX_PATH), 0u);
    EXPECT_EQ(DragQueryFileW(drop, 0, name, 0), 0u);

    POINT point{};
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 120);
    EXPECT_EQ(point.y, 80);
    DragFinish(drop);
    // A finished drop is no longer read, and finishing it again is harmless.
    EXPECT_EQ(DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0), 0u);
    EXPECT_FALSE(DragQueryPoint(drop, &point));
    DragFinish(drop);
}

TEST_F(DropTest, PointOutsideTheClientAreaIsReportedSo)
{
    DragAcceptFiles(m_hwnd, TRUE);
    ASSERT_TRUE(platform::headless::InjectDrop(m_hwnd, {L"/a.png"}, {500, 10}));
    HDROP drop = TakeDrop(m_hwnd);
    POINT point{};
    EXPECT_FALSE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 500);
    DragFinish(drop);
}

TEST_F(DropTest, DropsOfDestroyedWindowsAreFreed)
{
    DragAcceptFiles(m_hwnd, TRUE);
    // One read and never finished, one still queued when the window goes.
    ASSERT_TRUE(platform::headless::InjectDrop(m_hwnd, {L"/read.png"}, {1, 1}));
    HDROP read = TakeDrop(m_hwnd);
    ASSERT_TRUE(platform::headless::InjectDrop(m_hwnd, {L"/queued.png"}, {1, 1}));
    MSG queued{};
    ASSERT_TRUE(PeekMessageW(&queued, m_hwnd, WM_DROPFILES, WM_DROPFILES, PM_NOREMOVE));
    DestroyWindow(m_hwnd);
    EXPECT_FALSE(platform::headless::InjectDrop(m_hwnd, {L"/late.png"}, {1, 1}));

    HWND other = NewWindow();
    DragAcceptFiles(other, TRUE);
    EXPECT_EQ(DragQueryFileW(read, DRAG_QUERY_COUNT, nullptr, 0), 0u);
    EXPECT_EQ(DragQueryFileW(reinterpret_cast<HDROP>(queued.wParam), DRAG_QUERY_COUNT, nullptr, 0), 0u);
    DestroyWindow(other);
}

TEST(UriListTest, LocalFileUrisArePercentDecodedAndTheRestSkipped)
{
    using platform::UriList;
    const std::string text = "# a comment\r\n"
                             "file:///home/u/a%20b%22%24(x)%3B.png\r\n"
                             "file://localhost/home/u/%E5%9B%BE%E7%89%87.jpg\r\n"
                             "https://example.org/x.png\r\n"
                             "file://otherhost.invalid/share/x.png\r\n"
                             "file:///bad/%00zero\r\n"
                             "file:///bad/%zz\r\n"
                             "file:///old/%FF%FEname.jpg\r\n"
                             "file:///home/u/last.png";
    EXPECT_EQ(UriList::LocalPaths(text),
              (std::vector<std::wstring>{L"/home/u/a b\"$(x);.png", L"/home/u/图片.jpg",
                                         L"/old/\xdcff\xdcfe"
                                         L"name.jpg", // bytes that are not UTF-8 kept
                                         L"/home/u/last.png"}));
    EXPECT_EQ(UriList::PathOf("FILE:///x/y%3Fz?query#frag"), "/x/y?z");
    EXPECT_EQ(UriList::PathOf("file:"), "");
    EXPECT_EQ(UriList::LocalPaths(""), std::vector<std::wstring>{});
}
} // namespace
