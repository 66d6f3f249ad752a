// The hover tip of controls on the headless backend: a non-activating topmost popup owned by the
// window, shown after the pointer rests on a control with tooltip text, drawn by the framework
// and hidden again by whatever ends the rest.
#include "tests/ui/SkinKit.h"

#include "ui/UIlib.h"

#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/WindowFinder.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using uitest::Pump;

namespace
{
const char* const kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,200">
  <Font id="0" name="Microsoft YaHei" size="14" default="true"/>
  <VerticalLayout name="root" bkcolor="#FF203040">
    <HorizontalLayout name="row" height="40">
      <Button name="tipped" width="80" text="打开" tooltip="打开目录"/>
      <Button name="other" width="80" text="设置" tooltip="设置"/>
      <Button name="bare" width="80" text="删除"/>
      <Button name="long" width="80" text="长" tooltip="这是一段很长的提示文字，它说明了这个按钮会做什么，以及为什么它要把事情做成这样而不是别的样子，因此需要折行显示。"/>
    </HorizontalLayout>
    <Edit name="edit" height="30"/>
  </VerticalLayout>
</Window>)";

constexpr std::uint32_t kTipBorder = 0xFFC8CCD6;
constexpr std::uint32_t kTipBackground = 0xFFFFFFE0;

class TipWindow : public WindowImplBase
{
public:
    LPCTSTR GetWindowClassName() const override { return L"UiTipWindow"; }
    CDuiString GetSkinFile() override { return L"tips.xml"; }
    CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }
    POINT Inside(LPCTSTR name)
    {
        const RECT rc = Find(name)->GetPos();
        return POINT{rc.left + 5, rc.top + 5};
    }
};

void Inject(HWND hwnd, UINT msg, WPARAM wParam, POINT pt)
{
    platform::headless::InjectMessage(hwnd, msg, wParam, MAKELPARAM(pt.x, pt.y));
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class ToolTip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_skin.ok());
        m_window.Create(nullptr, L"提示", WS_POPUP | WS_VISIBLE, 0);
        ASSERT_NE(m_window.GetHWND(), nullptr);
        SetWindowPos(Hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(Hwnd());
        Pump();
    }
    void TearDown() override
    {
        if (IsWindow(Hwnd()))
            DestroyWindow(Hwnd());
    }
    HWND Hwnd() const { return m_window.GetHWND(); }

    // What a display does when the pointer comes to rest at a client point.
    void RestAt(POINT pt)
    {
        Inject(Hwnd(), WM_MOUSEMOVE, 0, pt);
        Inject(Hwnd(), WM_MOUSEHOVER, 0, pt);
        Pump();
    }
    // The window's tip popup, null when it has none.
    HWND Tip() const
    {
        const HWND tip = FindWindowW(L"DuiToolTipWnd", nullptr);
        return tip && IsWindow(tip) && GetWindow(tip, GW_OWNER) == Hwnd() ? tip : nullptr;
    }
    bool TipShown() const
    {
        const HWND tip = Tip();
        return tip && IsWindowVisible(tip);
    }
    RECT TipRect() const
    {
        platform::headless::WindowSnapshot snap;
        EXPECT_TRUE(platform::headless::Snapshot(Tip(), &snap));
        return snap.rect;
    }
    POINT OnScreen(POINT client) const
    {
        ClientToScreen(Hwnd(), &client);
        return client;
    }

    uitest::ScopedSkinZip m_skin{{"tips.xml", kSkin}};
    TipWindow m_window;
};
} // namespace

TEST_F(ToolTip, RestingOnATippedControlShowsTheTextBelowRightOfThePointer)
{
    const POINT pt = m_window.Inside(L"tipped");
    Inject(Hwnd(), WM_MOUSEMOVE, 0, pt);
    Pump();
    EXPECT_FALSE(TipShown()) << "not before the pointer rests";
    RestAt(pt);
    const HWND tip = Tip();
    ASSERT_NE(tip, nullptr);
    platform::headless::WindowSnapshot snap;
    ASSERT_TRUE(platform::headless::Snapshot(tip, &snap));
    EXPECT_TRUE(snap.visible);
    EXPECT_TRUE(snap.topmost);
    const auto style = static_cast<DWORD>(GetWindowLongW(tip, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(tip, GWL_EXSTYLE));
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE), WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);

    const POINT screen = OnScreen(pt);
    EXPECT_GT(snap.rect.left, screen.x);
    EXPECT_GT(snap.rect.top, screen.y);
    const int width = snap.rect.right - snap.rect.left;
    const int height = snap.rect.bottom - snap.rect.top;
    EXPECT_GT(width, 12 + 20) << "four characters and the padding";
    EXPECT_LT(width, 150);
    EXPECT_GT(height, 8 + 8);
    EXPECT_LT(height, 50) << "one line";

    UpdateWindow(tip);
    cairo_surface_t* surface = platform::headless::WindowSurface(tip);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(uitest::PixelAt(surface, 0, 0), kTipBorder);
    EXPECT_EQ(uitest::PixelAt(surface, width - 1, height - 1), kTipBorder);
    EXPECT_EQ(uitest::PixelAt(surface, 3, 2), kTipBackground);
    int dark = 0;
    for (int y = 4; y < height - 4; ++y)
    {
        for (int x = 6; x < width - 6; ++x)
            dark += (uitest::PixelAt(surface, x, y) & 0xFF) < 0x80 ? 1 : 0;
    }
    EXPECT_GT(dark, 10) << "the text is drawn";
}

TEST_F(ToolTip, ALongTextWrapsWithinAnEasyWidth)
{
    RestAt(m_window.Inside(L"long"));
    ASSERT_TRUE(TipShown());
    const RECT rc = TipRect();
    EXPECT_LE(rc.right - rc.left, 300);
    EXPECT_GT(rc.bottom - rc.top, 50) << "several lines";
}

TEST_F(ToolTip, AControlWithoutTextShowsNoTip)
{
    RestAt(m_window.Inside(L"bare"));
    EXPECT_FALSE(TipShown());
    RestAt(m_window.Inside(L"tipped"));
    ASSERT_TRUE(TipShown());
    RestAt(m_window.Inside(L"bare"));
    EXPECT_FALSE(TipShown()) << "a rest on a control without text leaves no old tip up";
}

TEST_F(ToolTip, TheTipFollowsTheHoveredControl)
{
    const POINT tipped = m_window.Inside(L"tipped");
    RestAt(tipped);
    ASSERT_TRUE(TipShown());
    const RECT first = TipRect();
    Inject(Hwnd(), WM_MOUSEMOVE, 0, POINT{tipped.x + 3, tipped.y + 2});
    Pump();
    EXPECT_TRUE(TipShown()) << "moving within the control keeps the tip";

    Inject(Hwnd(), WM_MOUSEMOVE, 0, m_window.Inside(L"other"));
    Pump();
    EXPECT_FALSE(TipShown()) << "another control";
    RestAt(m_window.Inside(L"other"));
    ASSERT_TRUE(TipShown());
    EXPECT_NE(TipRect().left, first.left) << "the new tip is at the new rest";
    EXPECT_LT(TipRect().right - TipRect().left, first.right - first.left) << "and sized to its own text";

    PostMessageW(Hwnd(), WM_MOUSELEAVE, 0, 0);
    Pump();
    EXPECT_FALSE(TipShown()) << "the pointer left the window";
}

TEST_F(ToolTip, PressingTypingScrollingDeactivatingOrAModalWindowHidesTheTip)
{
    const POINT pt = m_window.Inside(L"tipped");
    RestAt(pt);
    ASSERT_TRUE(TipShown());
    Inject(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, pt);
    Inject(Hwnd(), WM_LBUTTONUP, 0, pt);
    Pump();
    EXPECT_FALSE(TipShown()) << "left button";

    RestAt(pt);
    ASSERT_TRUE(TipShown());
    Inject(Hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, pt);
    Pump();
    EXPECT_FALSE(TipShown()) << "right button";

    RestAt(pt);
    ASSERT_TRUE(TipShown());
    platform::headless::InjectMessage(Hwnd(), WM_KEYDOWN, 'A', 0);
    Pump();
    EXPECT_FALSE(TipShown()) << "key";

    RestAt(pt);
    ASSERT_TRUE(TipShown());
    Inject(Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), OnScreen(pt));
    Pump();
    EXPECT_FALSE(TipShown()) << "wheel";

    RestAt(pt);
    ASSERT_TRUE(TipShown());
    SendMessageW(Hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(TipShown()) << "another window took the activation";

    // A modal window disables its owner as it opens.
    RestAt(pt);
    ASSERT_TRUE(TipShown());
    EnableWindow(Hwnd(), FALSE);
    EXPECT_FALSE(TipShown()) << "a modal window opened over the window";
    EnableWindow(Hwnd(), TRUE);
}

TEST_F(ToolTip, RemovingTheControlUnderTheTipHidesIt)
{
    const POINT pt = m_window.Inside(L"tipped");
    RestAt(pt);
    ASSERT_TRUE(TipShown());
    auto* row = static_cast<CContainerUI*>(m_window.Find(L"row"));
    ASSERT_TRUE(row->Remove(m_window.Find(L"tipped")));
    EXPECT_FALSE(TipShown());
    Pump();
    // The rest that follows finds what took the control's place.
    RestAt(pt);
    UpdateWindow(Hwnd());
    EXPECT_TRUE(TipShown()) << "the next button moved under the pointer";

    // The whole tree goes, tip up.
    m_window.GetPaintManager().AttachDialog(new CVerticalLayoutUI);
    EXPECT_FALSE(TipShown());
    Pump();
    RestAt(pt);
    EXPECT_FALSE(TipShown());
}

TEST_F(ToolTip, AtTheEdgeOfTheWorkAreaTheTipStaysOnScreenAndOffThePointer)
{
    const RECT work = GetWorkAreaRect();
    SetWindowPos(Hwnd(), nullptr, work.right - 400, work.bottom - 200, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The long tip of the rightmost button, rested on near the window's bottom right corner.
    const RECT button = m_window.Find(L"long")->GetPos();
    const POINT pt{button.right - 2, button.bottom - 2};
    RestAt(pt);
    ASSERT_TRUE(TipShown());
    RECT rc = TipRect();
    EXPECT_TRUE(Contains(work, rc));
    EXPECT_GT(rc.left, 0);

    // The pointer at the very bottom: the tip goes above it rather than over it.
    const POINT low{5, 199};
    m_window.Find(L"root")->SetToolTip(L"拖入图片");
    RestAt(low);
    ASSERT_TRUE(TipShown());
    rc = TipRect();
    EXPECT_TRUE(Contains(work, rc));
    const POINT screen = OnScreen(low);
    EXPECT_LT(rc.bottom, screen.y) << "above the pointer";
}

TEST_F(ToolTip, TheTipGoesWithItsWindow)
{
    RestAt(m_window.Inside(L"tipped"));
    const HWND tip = Tip();
    ASSERT_NE(tip, nullptr);
    DestroyWindow(Hwnd());
    EXPECT_FALSE(IsWindow(tip));
}
