// The main window's tray icon on the headless backend: the icon it adds, and what clicks on it
// and the tray menu's rows do.
#include "main/TrayIcon.h"
#include "common/install/RegSettings.h"
#include "tests/support/MainWindowKit.h"

#include "platform/NotifyIcon.h"

using namespace DuiLib;
using namespace mainwndtest;

namespace
{
std::vector<platform::NotifyIconState> IconsOf(HWND hwnd)
{
    std::vector<platform::NotifyIconState> icons;
    for (const auto& icon : platform::headless::NotifyIcons())
    {
        if (icon.hwnd == hwnd)
            icons.push_back(icon);
    }
    return icons;
}

void QueueKeys(HWND hwnd, std::initializer_list<int> keys)
{
    for (int vk : keys)
        platform::headless::InjectMessage(hwnd, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
}

LRESULT TrayClick(HWND hwnd, UINT mouse)
{
    return ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 102, static_cast<LPARAM>(mouse));
}
} // namespace

TEST_F(MainWindowTest, TrayIconShowsTheWindowAndItsMenuShowsOrEndsTheProgram)
{
    const auto icons = IconsOf(m_hwnd);
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ(102u, icons[0].id);
    EXPECT_EQ(WM_TRAY_NOTIFY, icons[0].callbackMessage);
    EXPECT_EQ(GetAppName(), icons[0].tip);
    EXPECT_FALSE(platform::IconImage(icons[0].icon).empty());

    for (UINT click : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK})
    {
        ::ShowWindow(m_hwnd, SW_HIDE);
        EXPECT_EQ(0, TrayClick(m_hwnd, click));
        EXPECT_TRUE(::IsWindowVisible(m_hwnd));
    }

    // Right click: the menu opens and Down, Enter choose "显示主界面".
    ::ShowWindow(m_hwnd, SW_HIDE);
    QueueKeys(m_hwnd, {VK_DOWN, VK_RETURN});
    TrayClick(m_hwnd, WM_RBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd));
    EXPECT_FALSE(g_bAppExit);

    // Other mouse messages, and a menu closed by a click elsewhere, change nothing.
    TrayClick(m_hwnd, WM_MOUSEMOVE);
    TrayClick(m_hwnd, WM_RBUTTONUP);
    ::ShowWindow(m_hwnd, SW_HIDE);
    ::PostMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    TrayClick(m_hwnd, WM_RBUTTONDOWN);
    Pump();
    EXPECT_FALSE(::IsWindowVisible(m_hwnd));
    EXPECT_FALSE(g_bAppExit);
    EXPECT_EQ(1u, IconsOf(m_hwnd).size());

    // "退出" ends the program: stop flag, icon gone, quit posted.
    QueueKeys(m_hwnd, {VK_DOWN, VK_DOWN, VK_RETURN});
    TrayClick(m_hwnd, WM_RBUTTONDOWN);
    EXPECT_TRUE(g_bAppExit);
    EXPECT_TRUE(IconsOf(m_hwnd).empty());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainWindowTest, TrayMenuRowsOfIndicatorDesktopsDoWhatTheMenuDoes)
{
    ::ShowWindow(m_hwnd, SW_HIDE);
    ::SendMessageW(m_hwnd, WM_TRAY_NOTIFY, CTrayIcon::kShowCommand, WM_COMMAND);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd));
    EXPECT_FALSE(g_bAppExit);
    ::SendMessageW(m_hwnd, WM_TRAY_NOTIFY, CTrayIcon::kExitCommand, WM_COMMAND);
    EXPECT_TRUE(g_bAppExit);
    EXPECT_TRUE(IconsOf(m_hwnd).empty());
    EXPECT_TRUE(TakeQuitMessage());
}
