// Skinned windows on the headless backend: notifications from injected input, options and
// tabs, control timers, default keys, modal loops and caption hit testing.
#include "tests/ui/SkinKit.h"

#include "ui/UIlib.h"

#include "platform/Gdi.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using uitest::Click;
using uitest::Pump;
using uitest::PumpUntil;

namespace
{
const char* const kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="300,200" caption="0,0,0,40">
  <Font id="0" name="Microsoft YaHei" size="14" default="true"/>
  <VerticalLayout name="root" bkcolor="#FFFFFFFF">
    <HorizontalLayout height="40">
      <Control/>
      <Button name="closeBtn" width="20" height="20" normalimage="red.png"/>
    </HorizontalLayout>
    <HorizontalLayout height="40">
      <Button name="btnOk" width="100" text="确定" normalimage="red.png"/>
      <Option name="op1" width="50" group="g" selected="true"/>
      <Option name="op2" width="50" group="g"/>
      <Ticker name="ticker" width="10"/>
    </HorizontalLayout>
    <TabLayout name="tabs">
      <Label name="page0"/>
      <Label name="page1"/>
    </TabLayout>
  </VerticalLayout>
</Window>)";

// Counts its timer events.
class CTickerUI : public CControlUI
{
public:
    void DoEvent(TEventUI& event) override
    {
        if (event.Type == UIEVENT_TIMER)
            ids.push_back(static_cast<UINT>(event.wParam));
        else
            CControlUI::DoEvent(event);
    }
    std::vector<UINT> ids;
};

class TestWindow : public WindowImplBase
{
public:
    LPCTSTR GetWindowClassName() const override { return L"UiTestWindow"; }
    CDuiString GetSkinFile() override { return L"test.xml"; }
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        return CDuiString(pstrClass) == L"Ticker" ? new CTickerUI : nullptr;
    }
    void Notify(TNotifyUI& msg) override
    {
        notes.push_back(msg.sType + L":" + (msg.pSender ? msg.pSender->GetName() : CDuiString()));
        WindowImplBase::Notify(msg);
    }
    void OnClick(TNotifyUI& msg) override
    {
        clicks.push_back(msg.pSender->GetName());
        if (msg.pSender->GetName() == L"btnOk")
            Close(8);
    }
    bool Noted(LPCTSTR note) const { return std::find(notes.begin(), notes.end(), note) != notes.end(); }
    CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }

    std::vector<CDuiString> notes;
    std::vector<CDuiString> clicks;
};

// Keeps Enter and Escape from the default key handling, as the system's dialogs do.
// Pumps until a thread timer of periodMs has fired twice: time enough for a timer of that period
// that should be gone to show up.
::testing::AssertionResult PumpTwoPeriods(UINT periodMs)
{
    static int ticks;
    ticks = 0;
    const UINT_PTR witness = ::SetTimer(nullptr, 0, periodMs, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    const auto fired = PumpUntil([] { return ticks >= 2; });
    ::KillTimer(nullptr, witness);
    return fired;
}

class KeepOpenWindow : public TestWindow
{
public:
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
            return 0;
        return WindowImplBase::MessageHandler(uMsg, wParam, lParam, bHandled);
    }
};

class SkinnedWindow : public ::testing::Test
{
protected:
    uitest::ScopedSkinZip m_skin{{"test.xml", kSkin}, {"red.png", uitest::SolidPng(4, 4, 0xFFFF0000)}};

    template <typename W> W* Open(W* window, HWND owner = nullptr)
    {
        EXPECT_TRUE(m_skin.ok());
        window->Create(owner, L"测试", WS_POPUP | WS_VISIBLE, 0);
        EXPECT_NE(window->GetHWND(), nullptr);
        UpdateWindow(window->GetHWND());
        Pump();
        return window;
    }
};
} // namespace

TEST_F(SkinnedWindow, TakesItsSizeFromTheSkinAndCentres)
{
    TestWindow window;
    Open(&window);
    window.CenterWindow();
    RECT rc{};
    GetWindowRect(window.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 300);
    EXPECT_EQ(rc.bottom - rc.top, 200);
    const RECT work = GetWorkAreaRect();
    EXPECT_EQ(rc.left, (work.right - 300) / 2);
    EXPECT_EQ(rc.top, (work.bottom - 200) / 2);
    EXPECT_TRUE(window.Noted(L"windowinit:root"));
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, ClickIsReleaseInsideThePressedButton)
{
    TestWindow window;
    Open(&window);
    const RECT ok = window.Find(L"btnOk")->GetPos();
    const POINT inside{ok.left + 5, ok.top + 5};
    Click(window.GetHWND(), inside, POINT{ok.right + 30, ok.bottom + 50});
    Pump();
    EXPECT_TRUE(window.clicks.empty()) << "released outside: no click";

    Click(window.GetHWND(), POINT{280, 10}, POINT{281, 11});
    Pump();
    ASSERT_EQ(window.clicks.size(), 1u);
    EXPECT_EQ(window.clicks[0], L"closeBtn");
    EXPECT_TRUE(window.Noted(L"click:closeBtn"));
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, OptionsOfAGroupSelectOneAtATime)
{
    TestWindow window;
    Open(&window);
    auto* op1 = static_cast<COptionUI*>(window.Find(L"op1"));
    auto* op2 = static_cast<COptionUI*>(window.Find(L"op2"));
    EXPECT_TRUE(op1->IsSelected());
    const RECT r2 = op2->GetPos();
    Click(window.GetHWND(), POINT{r2.left + 2, r2.top + 2}, POINT{r2.left + 3, r2.top + 3});
    Pump();
    EXPECT_TRUE(op2->IsSelected());
    EXPECT_FALSE(op1->IsSelected());
    EXPECT_TRUE(window.Noted(L"selectchanged:op2"));
    EXPECT_FALSE(window.Noted(L"selectchanged:op1"));
    // Clicking the selected option of a group keeps it selected.
    Click(window.GetHWND(), POINT{r2.left + 2, r2.top + 2}, POINT{r2.left + 3, r2.top + 3});
    Pump();
    EXPECT_TRUE(op2->IsSelected());
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, TabLayoutShowsOnlyTheSelectedPage)
{
    TestWindow window;
    Open(&window);
    auto* tabs = static_cast<CTabLayoutUI*>(window.Find(L"tabs"));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(window.Find(L"page0")->IsVisible());
    EXPECT_FALSE(window.Find(L"page1")->IsVisible());
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(window.Find(L"page0")->IsVisible());
    EXPECT_TRUE(window.Find(L"page1")->IsVisible());
    EXPECT_TRUE(window.Noted(L"tabselect:tabs"));
    EXPECT_FALSE(tabs->SelectItem(2));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, ControlTimersReachTheControlWithTheirOwnId)
{
    TestWindow window;
    Open(&window);
    auto* ticker = static_cast<CTickerUI*>(window.Find(L"ticker"));
    CPaintManagerUI& pm = window.GetPaintManager();
    ASSERT_TRUE(pm.SetTimer(ticker, 7, 10));
    ASSERT_TRUE(PumpUntil([&] { return ticker->ids.size() >= 2; }));
    EXPECT_EQ(ticker->ids[0], 7u);
    EXPECT_TRUE(pm.KillTimer(ticker, 7));
    const std::size_t seen = ticker->ids.size();
    EXPECT_TRUE(PumpTwoPeriods(10));
    EXPECT_EQ(ticker->ids.size(), seen);
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, RemovingATimedControlStopsItsTimer)
{
    TestWindow window;
    Open(&window);
    auto* ticker = window.Find(L"ticker");
    ASSERT_TRUE(window.GetPaintManager().SetTimer(ticker, 1, 10));
    auto* row = static_cast<CContainerUI*>(ticker->GetParent());
    ASSERT_TRUE(row->Remove(ticker));
    EXPECT_TRUE(PumpTwoPeriods(10)); // nothing may reach the removed control
    EXPECT_EQ(window.Find(L"ticker"), nullptr);
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, EscapeClosesByDefaultButNotWhenAFilterKeepsIt)
{
    TestWindow closes;
    Open(&closes);
    const HWND first = closes.GetHWND();
    platform::headless::InjectMessage(first, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(first); }));

    KeepOpenWindow stays;
    Open(&stays);
    platform::headless::InjectMessage(stays.GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    platform::headless::InjectMessage(stays.GetHWND(), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_TRUE(IsWindow(stays.GetHWND()));
    DestroyWindow(stays.GetHWND());
}

TEST_F(SkinnedWindow, ShowModalReturnsTheCodeGivenToCloseAndFreesTheOwner)
{
    TestWindow owner;
    Open(&owner);
    TestWindow box;
    box.Create(owner.GetHWND(), L"提示", WS_POPUP, 0);
    ASSERT_NE(box.GetHWND(), nullptr);
    UpdateWindow(box.GetHWND());
    const RECT ok = box.Find(L"btnOk")->GetPos();
    // Queued before the loop starts: the nested loop delivers them.
    Click(box.GetHWND(), POINT{ok.left + 3, ok.top + 3}, POINT{ok.left + 4, ok.top + 4});
    EXPECT_EQ(box.ShowModal(), 8u);
    EXPECT_FALSE(IsWindow(box.GetHWND()));
    EXPECT_TRUE(IsWindowEnabled(owner.GetHWND()));
    DestroyWindow(owner.GetHWND());
}

TEST_F(SkinnedWindow, CaptionDragsExceptOverButtons)
{
    TestWindow window;
    Open(&window);
    RECT rc{};
    GetWindowRect(window.GetHWND(), &rc);
    auto hit = [&](int x, int y) {
        return SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
    };
    EXPECT_EQ(hit(50, 10), HTCAPTION);
    EXPECT_EQ(hit(285, 10), HTCLIENT) << "the close button takes its clicks";
    EXPECT_EQ(hit(50, 100), HTCLIENT);
    DestroyWindow(window.GetHWND());
}

TEST_F(SkinnedWindow, PaintsTheTreeIntoTheWindow)
{
    TestWindow window;
    Open(&window);
    InvalidateRect(window.GetHWND(), nullptr, FALSE);
    UpdateWindow(window.GetHWND());
    cairo_surface_t* surface = platform::headless::WindowSurface(window.GetHWND());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(uitest::PixelAt(surface, 150, 150), 0xFFFFFFFFu) << "background colour";
    EXPECT_EQ(uitest::PixelAt(surface, 290, 10), 0xFFFF0000u) << "close button image";
    DestroyWindow(window.GetHWND());
}
