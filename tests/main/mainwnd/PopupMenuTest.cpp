// The popup menu on the headless backend: the real tray menu of the program's skin and small
// menus of the test's own, driven by keys and clicks queued before the menu's loop runs.
#include "main/menu/MenuElementUI.h"
#include "main/menu/MenuEx.h"
#include "main/menu/MenuUI.h"
#include "main/menu/MenuWnd.h"

#include "platform/Input.h"
#include "platform/Resources.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace DuiLib;

namespace
{
constexpr UINT kProbe = WM_APP + 7;

// A plain window that runs the test's step when kProbe reaches it (inside the menu's loop) and
// keeps the clicks it gets.
class Probe
{
public:
    Probe()
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Probe::Proc;
        wc.lpszClassName = L"PopupMenuProbe";
        ::RegisterClassExW(&wc);
        hwnd = ::CreateWindowExW(0, L"PopupMenuProbe", L"probe", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        s_current = this;
    }
    ~Probe()
    {
        ::DestroyWindow(hwnd);
        s_current = nullptr;
    }
    // Queues the step; it runs when the menu loop dispatches it.
    void Then(std::function<void()> step)
    {
        m_steps.push_back(std::move(step));
        ::PostMessageW(hwnd, kProbe, m_steps.size() - 1, 0);
    }

    HWND hwnd = nullptr;
    std::vector<UINT> clicks;
    POINT clickAt{};

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (s_current != nullptr && msg == kProbe)
        {
            const std::function<void()> step = s_current->m_steps[wParam]; // steps may add steps
            step();
        }
        else if (s_current != nullptr &&
                 (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONUP))
        {
            s_current->clicks.push_back(msg);
            s_current->clickAt =
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    static inline Probe* s_current = nullptr;
    std::vector<std::function<void()>> m_steps;
};

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message != WM_QUIT)
            ::DispatchMessageW(&msg);
    }
}

RECT WindowRect(HWND hwnd)
{
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return rect;
}

void Key(HWND hwnd, int vk)
{
    platform::headless::InjectMessage(hwnd, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
}

class PopupMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto zip = platform::FindResourceData(L"ZIPRES", 103);
        ASSERT_FALSE(zip.empty());
        ASSERT_TRUE(CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned int>(zip.size())));
        platform::headless::SetScreen(RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040});
        Pump();
    }
    void TearDown() override
    {
        platform::headless::SetScreen(RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1080});
        Pump();
    }

    // Makes the menu ready as the tray handler does, after the clicks of the last menu went.
    static void Prepare(CDuiMenu& menu)
    {
        Pump();
        menu.m_bChosen = false;
        menu.m_strCommand = L"null";
    }

    // A click that ends the menu without a choice (it lands on the probe).
    void ClickOutside()
    {
        m_probe.Then([this] { ::PostMessageW(m_probe.hwnd, WM_LBUTTONDOWN, 0, 0); });
    }

    Probe m_probe;
};

// Menus of the test's own, written as markup.
const wchar_t* const kTwoLevels = LR"(<Window><MenuContainer interval="-3" keyevent="true">
  <Menu name="main" width="120" height="70" major="true">
    <MenuItem name="open" command="cmd_open" height="22"/>
    <MenuItem name="more" extendmenu="sub" height="22"/>
    <MenuItem name="off" command="cmd_off" height="22" enabled="false"/>
  </Menu>
  <Menu name="sub" width="90" height="44">
    <MenuItem name="first" command="cmd_first" height="22"/>
    <MenuItem name="second" command="cmd_second" height="22"/>
  </Menu>
</MenuContainer></Window>)";
} // namespace

TEST_F(PopupMenuTest, TrayMenuIsBuiltFromTheSkinAndWalkedWithTheKeyboard)
{
    struct Walk
    {
        std::vector<int> keys;
        const wchar_t* command;
    };
    // Down highlights the first row, then the second, then wraps to the first again.
    const Walk walks[] = {{{VK_DOWN}, L"cmd_shownormal"},
                          {{VK_DOWN, VK_DOWN}, L"cmd_exit"},
                          {{VK_DOWN, VK_DOWN, VK_DOWN}, L"cmd_shownormal"},
                          {{VK_UP}, L"cmd_exit"}};
    for (const Walk& walk : walks)
    {
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        CMenuUI* major = menu.FindMenuByName(L"major");
        ASSERT_NE(major, nullptr);
        ASSERT_EQ(major, menu.m_pMajorMenu);
        ASSERT_EQ(2, major->GetCount());
        const HWND window = major->GetMenuWindow();
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_EQ(static_cast<LONG>(0x08000088), ::GetWindowLongW(window, GWL_EXSTYLE) & 0x08000088);

        std::wstring hotLabel;
        DWORD hotColour = 0;
        m_probe.Then([&] {
            for (int vk : walk.keys)
                Key(m_probe.hwnd, vk); // keyevent: keys go to the open list whatever their window
            m_probe.Then([&] {
                CMenuElementUI* hot = major->m_pHotItem;
                ASSERT_NE(hot, nullptr);
                auto* label = static_cast<CLabelUI*>(hot->FindSubControl(L"menu_label"));
                hotLabel = label->GetText().GetData();
                hotColour = label->GetTextColor();
                EXPECT_EQ(0xFF67BBFFu, hot->GetBkColor());
                Key(m_probe.hwnd, VK_RETURN); // Enter chooses the highlighted row
            });
        });
        const CDuiString command = menu.Popup(m_probe.hwnd, 300, 300);
        EXPECT_EQ(std::wstring(walk.command), command.GetData());
        EXPECT_EQ(std::wstring(walk.command) == L"cmd_exit" ? L"退出" : L"显示主界面", hotLabel);
        EXPECT_EQ(0xFFFFFFFFu, hotColour);
        EXPECT_FALSE(::IsWindow(window)); // the loop's end took the windows with it
        EXPECT_FALSE(menu.m_bCreated);
    }
}

TEST_F(PopupMenuTest, PointerChoosesARowAndAClickOutsideEndsTheMenuAndStillArrives)
{
    {
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        const HWND window = menu.m_pMajorMenu->GetMenuWindow();
        m_probe.Then([&] {
            menu.m_pMajorMenu->m_pWnd->m_pm.UpdateLayout();
            platform::headless::InjectMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 35));
            platform::headless::InjectMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 35));
            platform::headless::InjectMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(50, 35));
        });
        EXPECT_STREQ(L"cmd_exit", menu.Popup(m_probe.hwnd, 300, 300).GetData());
    }
    {
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        ClickOutside();
        EXPECT_STREQ(L"null", menu.Popup(m_probe.hwnd, 300, 300).GetData());
        EXPECT_FALSE(menu.m_bCreated);
        Pump();
        EXPECT_EQ(std::vector<UINT>{WM_LBUTTONDOWN}, m_probe.clicks);
    }
    {
        // Under the pointer grab a press outside comes to the menu's window: the window under
        // the pointer gets it at its own coordinates, with the release queued behind it.
        m_probe.clicks.clear();
        ::SetWindowPos(m_probe.hwnd, nullptr, 20, 30, 200, 200, SWP_NOZORDER);
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        const HWND window = menu.m_pMajorMenu->GetMenuWindow();
        m_probe.Then([&] {
            const RECT at = WindowRect(window);
            const LPARAM point = MAKELPARAM(70 - at.left, 90 - at.top);
            platform::headless::InjectMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
            platform::headless::InjectMessage(window, WM_LBUTTONUP, 0, point);
        });
        EXPECT_STREQ(L"null", menu.Popup(m_probe.hwnd, 300, 300).GetData());
        EXPECT_FALSE(menu.m_bCreated);
        Pump();
        EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}), m_probe.clicks);
        EXPECT_EQ(m_probe.clickAt.x, 50);
        EXPECT_EQ(m_probe.clickAt.y, 60);
        ::SetWindowPos(m_probe.hwnd, nullptr, 0, 0, 200, 200, SWP_NOZORDER);
    }
    {
        // Another window taking the pointer is a broken grab: the menu ends.
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        m_probe.Then([&] {
            EXPECT_TRUE(menu.IsMenuWindow(::GetCapture()));
            ::SetCapture(m_probe.hwnd);
        });
        EXPECT_STREQ(L"null", menu.Popup(m_probe.hwnd, 300, 300).GetData());
        ::ReleaseCapture();
    }
}

TEST_F(PopupMenuTest, MenuIsPlacedInsideTheWorkAreaAndSubmenusOpenBesideTheirRow)
{
    struct Placement
    {
        POINT at;
        POINT expected;
    };
    // Work area 0,0-1920,1040; the tray menu is 100 x 48.
    const Placement placements[] = {
        {{300, 300}, {300, 300}}, // room everywhere
        {{1900, 1060},
         {1820, 1012}},          // tray at the bottom right: up from the cursor, right edge on the area's
        {{10, 1030}, {10, 982}}, // too low: opens upward
    };
    for (const Placement& placement : placements)
    {
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        RECT shown{};
        m_probe.Then([&] { shown = WindowRect(menu.m_pMajorMenu->GetMenuWindow()); });
        ClickOutside();
        menu.Popup(m_probe.hwnd, placement.at.x, placement.at.y);
        EXPECT_EQ(placement.expected.x, shown.left) << placement.at.x;
        EXPECT_EQ(placement.expected.y, shown.top) << placement.at.y;
        EXPECT_EQ(100, shown.right - shown.left);
        EXPECT_EQ(48, shown.bottom - shown.top);
    }
    {
        // Above the top after opening upward: the bottom of the work area holds it.
        platform::headless::SetScreen(RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 40});
        CMenuEx menu(L"trayMenu.xml");
        Prepare(menu);
        ASSERT_TRUE(menu.Create(L"trayMenu.xml"));
        RECT shown{};
        m_probe.Then([&] { shown = WindowRect(menu.m_pMajorMenu->GetMenuWindow()); });
        ClickOutside();
        menu.Popup(m_probe.hwnd, 20, 20);
        EXPECT_EQ(-8, shown.top);
        platform::headless::SetScreen(RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040});
    }
    for (int x : {300, 1750})
    {
        // Right opens the submenu at the row's top, overlapping by three pixels, or to the left
        // of the list where the work area ends; the submenu takes the keys then.
        CDuiMenu menu(kTwoLevels);
        Prepare(menu);
        ASSERT_TRUE(menu.Create(kTwoLevels));
        CMenuUI* sub = menu.FindMenuByName(L"sub");
        ASSERT_NE(sub, nullptr);
        RECT subRect{};
        m_probe.Then([&] {
            menu.m_pMajorMenu->m_pWnd->m_pm.UpdateLayout();
            Key(m_probe.hwnd, VK_DOWN);
            Key(m_probe.hwnd, VK_DOWN);
            Key(m_probe.hwnd, VK_RIGHT);
            m_probe.Then([&] {
                subRect = WindowRect(sub->GetMenuWindow());
                EXPECT_TRUE(::IsWindowVisible(sub->GetMenuWindow()));
                EXPECT_EQ(sub, menu.m_pCurrentMenu);
                Key(m_probe.hwnd, VK_DOWN);
                Key(m_probe.hwnd, VK_RETURN);
            });
        });
        EXPECT_STREQ(L"cmd_second", menu.Popup(m_probe.hwnd, x, 300).GetData());
        const RECT row = {x, 300 + 22, x + 120, 300 + 44};
        EXPECT_EQ(row.top, subRect.top);
        if (x == 300)
            EXPECT_EQ(row.right - 3, subRect.left);
        else
            EXPECT_EQ(row.left + 3 - 90, subRect.left);
    }
}

TEST_F(PopupMenuTest, BadSkinsAreSkippedAndNeverLoopOrCrash)
{
    {
        CMenuEx menu(L"noSuchMenu.xml");
        Prepare(menu);
        EXPECT_FALSE(menu.Create(L"noSuchMenu.xml"));
        EXPECT_STREQ(L"", menu.Popup(m_probe.hwnd, 10, 10).GetData());
        EXPECT_FALSE(menu.Create(L"<Window><Label name=\"x\"/></Window>"));
    }
    {
        // A control that is no list, a row naming no list, two lists naming each other and a
        // MenuEx row without its label: Right and the pointer never loop, the rest still works.
        const wchar_t* skin = LR"(<Window><MenuContainer keyevent="true">
          <Label name="stray" text="not a list"/>
          <MenuEx name="main" width="100" height="66" major="true">
            <MenuItem name="nowhere" extendmenu="missing" height="22"/>
            <MenuItem name="tob" extendmenu="b" height="22"/>
            <MenuItem name="bare" command="cmd_bare" height="22"/>
          </MenuEx>
          <Menu name="b" width="80" height="22"><MenuItem name="toc" extendmenu="c" height="22"/></Menu>
          <Menu name="c" width="80" height="22"><MenuItem name="tob2" extendmenu="b" height="22"/></Menu>
        </MenuContainer></Window>)";
        CMenuEx menu(skin);
        Prepare(menu);
        ASSERT_TRUE(menu.Create(skin));
        EXPECT_EQ(nullptr, menu.FindMenuByName(L"stray"));
        CMenuUI* b = menu.FindMenuByName(L"b");
        CMenuUI* c = menu.FindMenuByName(L"c");
        ASSERT_NE(b, nullptr);
        ASSERT_NE(c, nullptr);
        m_probe.Then([&] {
            menu.m_pMajorMenu->m_pWnd->m_pm.UpdateLayout();
            for (int vk : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT})
                Key(m_probe.hwnd, vk);
            m_probe.Then([&] {
                EXPECT_EQ(menu.m_pMajorMenu, menu.m_pCurrentMenu);
                const HWND window = menu.m_pMajorMenu->GetMenuWindow();
                platform::headless::InjectMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 56));
                platform::headless::InjectMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 56));
                platform::headless::InjectMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(50, 56));
            });
        });
        EXPECT_STREQ(L"cmd_bare", menu.Popup(m_probe.hwnd, 300, 300).GetData());
    }
    {
        // No enabled row: the keys find nothing after one pass and Enter chooses nothing.
        const wchar_t* skin = LR"(<Window><MenuContainer keyevent="true">
          <Menu name="main" width="100" height="44" major="true">
            <MenuItem name="a" command="cmd_a" height="22" enabled="false"/>
            <StaticMenuItem name="caption" height="22"/>
          </Menu></MenuContainer></Window>)";
        CDuiMenu menu(skin);
        Prepare(menu);
        ASSERT_TRUE(menu.Create(skin));
        m_probe.Then([&] {
            for (int vk : {VK_DOWN, VK_UP, VK_RETURN})
                Key(m_probe.hwnd, vk);
            m_probe.Then([&] { EXPECT_EQ(nullptr, menu.m_pMajorMenu->m_pHotItem); });
        });
        ClickOutside();
        EXPECT_STREQ(L"null", menu.Popup(m_probe.hwnd, 300, 300).GetData());
    }
}
