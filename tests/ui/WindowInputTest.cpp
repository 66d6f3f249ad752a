// What a skinned window asks of the platform on the headless backend: the mouse capture of a
// press, leave tracking, the cursor over each kind of control, Shift+Tab, layered opacity and
// the work area windows are centred in.
#include "tests/ui/SkinKit.h"

#include "ui/EditUI.h"
#include "ui/UIlib.h"

#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Layered.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using uitest::Pump;

namespace
{
const char* const kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,200" caption="0,0,0,30">
  <Font id="0" name="Microsoft YaHei" size="14" default="true"/>
  <VerticalLayout name="root" bkcolor="#FF203040">
    <HorizontalLayout height="30"/>
    <HorizontalLayout height="40">
      <Button name="plain" width="80" text="确定"/>
      <Button name="link" width="80" text="官网" cursor="hand"/>
      <Option name="opt" width="60" cursor="hand" enabled="false"/>
      <Label name="label" width="60" text="标签"/>
    </HorizontalLayout>
    <HorizontalLayout height="40">
      <Edit name="e1" width="100"/>
      <Edit name="e2" width="100"/>
      <Edit name="off" width="100" enabled="false"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

const char* const kFadingSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="100,32" layered="true" opacity="155">
  <VerticalLayout name="root" bkcolor="#FF336699"/>
</Window>)";

class InputWindow : public WindowImplBase
{
public:
    explicit InputWindow(LPCTSTR skin = L"input.xml") : m_file(skin) {}
    LPCTSTR GetWindowClassName() const override { return L"UiInputWindow"; }
    CDuiString GetSkinFile() override { return m_file; }
    void OnClick(TNotifyUI& msg) override { clicks.push_back(msg.pSender->GetName()); }
    CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }
    UINT ButtonState(LPCTSTR name) { return static_cast<CButtonUI*>(Find(name))->GetButtonState(); }
    POINT Inside(LPCTSTR name)
    {
        const RECT rc = Find(name)->GetPos();
        return POINT{rc.left + 5, rc.top + 5};
    }

    std::vector<CDuiString> clicks;

private:
    CDuiString m_file;
};

void Inject(HWND hwnd, UINT msg, WPARAM wParam, POINT pt)
{
    platform::headless::InjectMessage(hwnd, msg, wParam, MAKELPARAM(pt.x, pt.y));
}

class WindowInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_skin.ok());
        m_window.Create(nullptr, L"输入", WS_POPUP | WS_VISIBLE, 0);
        ASSERT_NE(m_window.GetHWND(), nullptr);
        UpdateWindow(m_window.GetHWND());
        Pump();
    }
    void TearDown() override
    {
        if (IsWindow(m_window.GetHWND()))
            DestroyWindow(m_window.GetHWND());
    }
    HWND Hwnd() const { return m_window.GetHWND(); }

    // Puts the pointer over a client point and asks the window for its cursor as a display
    // does on every motion; returns whether the window chose one.
    LRESULT CursorOver(POINT client)
    {
        POINT screen = client;
        ClientToScreen(Hwnd(), &screen);
        SetCursorPos(screen.x, screen.y);
        SetCursor(nullptr);
        return SendMessageW(Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd()),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    static HCURSOR System(LPCWSTR id) { return LoadCursorW(nullptr, id); }

    uitest::ScopedSkinZip m_skin{{"input.xml", kSkin}, {"fade.xml", kFadingSkin}};
    InputWindow m_window;
};
} // namespace

TEST_F(WindowInput, APressHoldsTheCaptureSoADragOutsideEndsInTheControl)
{
    CPaintManagerUI& pm = m_window.GetPaintManager();
    const POINT button = m_window.Inside(L"plain");
    Inject(Hwnd(), WM_MOUSEMOVE, 0, button);
    Inject(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, button);
    Pump();
    EXPECT_EQ(GetCapture(), Hwnd());
    EXPECT_TRUE(pm.IsCaptured());

    // Dragged off the window: the button lets go of its pushed look but keeps the press.
    Inject(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{-40, 300});
    Pump();
    EXPECT_EQ(m_window.ButtonState(L"plain") & UISTATE_PUSHED, 0u);
    Inject(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, button);
    Pump();
    EXPECT_NE(m_window.ButtonState(L"plain") & UISTATE_PUSHED, 0u);
    Inject(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{-40, 300});
    Inject(Hwnd(), WM_LBUTTONUP, 0, POINT{-40, 300});
    Pump();
    EXPECT_TRUE(m_window.clicks.empty()) << "released outside the window";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(pm.IsCaptured());
    EXPECT_EQ(m_window.ButtonState(L"plain") & (UISTATE_PUSHED | UISTATE_CAPTURED), 0u);

    // Out and back in before the release: a click.
    uitest::Click(Hwnd(), button, POINT{-40, 300});
    Inject(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, button);
    Inject(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, POINT{500, 500});
    Inject(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, button);
    Inject(Hwnd(), WM_LBUTTONUP, 0, button);
    Pump();
    ASSERT_EQ(m_window.clicks.size(), 1u);
    EXPECT_EQ(m_window.clicks[0], L"plain");
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowInput, APressWhoseCaptureIsTakenEndsWithoutAClick)
{
    const POINT button = m_window.Inside(L"plain");
    Inject(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, button);
    Pump();
    ASSERT_EQ(GetCapture(), Hwnd());
    InputWindow other;
    other.Create(nullptr, L"其他", WS_POPUP | WS_VISIBLE, 0);
    ASSERT_NE(other.GetHWND(), nullptr);
    SetCapture(other.GetHWND());
    EXPECT_FALSE(m_window.GetPaintManager().IsCaptured());
    EXPECT_EQ(m_window.ButtonState(L"plain") & (UISTATE_PUSHED | UISTATE_CAPTURED), 0u);
    Inject(Hwnd(), WM_LBUTTONUP, 0, button);
    Pump();
    EXPECT_TRUE(m_window.clicks.empty());
    EXPECT_EQ(GetCapture(), other.GetHWND()) << "our release must not free another window's capture";
    ReleaseCapture();
    DestroyWindow(other.GetHWND());
}

TEST_F(WindowInput, LeavingTheWindowClearsTheHotControlAndTrackingResumes)
{
    auto tracked = [&] {
        TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, Hwnd(), 0};
        TrackMouseEvent(&query);
        return query.dwFlags;
    };
    EXPECT_EQ(tracked(), 0u);
    Inject(Hwnd(), WM_MOUSEMOVE, 0, m_window.Inside(L"plain"));
    Pump();
    EXPECT_NE(m_window.ButtonState(L"plain") & UISTATE_HOT, 0u);
    EXPECT_EQ(tracked() & (TME_LEAVE | TME_HOVER), TME_LEAVE | TME_HOVER);

    // What the display sends (and stops tracking) when the pointer leaves.
    TRACKMOUSEEVENT cancel{sizeof(TRACKMOUSEEVENT), TME_CANCEL | TME_LEAVE | TME_HOVER, Hwnd(), 0};
    TrackMouseEvent(&cancel);
    PostMessageW(Hwnd(), WM_MOUSELEAVE, 0, 0);
    Pump();
    EXPECT_EQ(m_window.ButtonState(L"plain") & UISTATE_HOT, 0u);

    Inject(Hwnd(), WM_MOUSEMOVE, 0, m_window.Inside(L"link"));
    Pump();
    EXPECT_NE(m_window.ButtonState(L"link") & UISTATE_HOT, 0u);
    EXPECT_NE(tracked() & TME_LEAVE, 0u) << "the next entry is tracked again";
}

TEST_F(WindowInput, TheCursorFollowsTheSkinAndTheKindOfControl)
{
    EXPECT_TRUE(CursorOver(m_window.Inside(L"link")));
    EXPECT_EQ(GetCursor(), System(IDC_HAND)) << "cursor=\"hand\" from the skin";
    EXPECT_TRUE(CursorOver(m_window.Inside(L"e1")));
    EXPECT_EQ(GetCursor(), System(IDC_IBEAM));
    EXPECT_TRUE(CursorOver(m_window.Inside(L"plain")));
    EXPECT_EQ(GetCursor(), System(IDC_ARROW)) << "a button shows the hand only when asked";

    // Not chosen by the window: the display shows the arrow.
    EXPECT_FALSE(CursorOver(m_window.Inside(L"label")));
    EXPECT_FALSE(CursorOver(m_window.Inside(L"off"))) << "a disabled edit takes no text";
    EXPECT_FALSE(CursorOver(m_window.Inside(L"opt"))) << "a disabled control offers no hand";
    EXPECT_FALSE(SendMessageW(Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd()),
                              MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)));
}

TEST_F(WindowInput, ShiftTabMovesTheFocusBackwards)
{
    CPaintManagerUI& pm = m_window.GetPaintManager();
    CControlUI* e1 = m_window.Find(L"e1");
    CControlUI* e2 = m_window.Find(L"e2");
    pm.SetFocus(e2);
    auto key = [&](UINT msg, int vk) {
        platform::headless::InjectMessage(Hwnd(), msg, static_cast<WPARAM>(vk), 0);
        Pump();
    };
    key(WM_KEYDOWN, VK_SHIFT);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(pm.GetFocus(), e1);
    key(WM_KEYUP, VK_TAB);
    key(WM_KEYUP, VK_SHIFT);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(pm.GetFocus(), e2);

    // Shift released while another window had the keyboard: the window forgets it.
    key(WM_KEYDOWN, VK_SHIFT);
    SendMessageW(Hwnd(), WM_KILLFOCUS, 0, 0);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_NE(pm.GetFocus(), e1) << "Tab after focus loss goes forward";
}

TEST_F(WindowInput, LayeredOpacityReachesTheWindowWhileTheFrameStaysOpaque)
{
    DWORD flags = 0;
    EXPECT_FALSE(GetLayeredWindowAttributes(Hwnd(), nullptr, nullptr, &flags))
        << "a skin without opacity leaves the window unlayered";

    InputWindow toast(L"fade.xml");
    toast.Create(nullptr, L"提示", WS_POPUP | WS_VISIBLE, 0);
    ASSERT_NE(toast.GetHWND(), nullptr);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(toast.GetHWND(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 155);
    EXPECT_EQ(flags, LWA_ALPHA);

    toast.GetPaintManager().SetOpacity(45);
    ASSERT_TRUE(GetLayeredWindowAttributes(toast.GetHWND(), nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 45);
    EXPECT_EQ(toast.GetPaintManager().GetOpacity(), 45);

    // No compositor here: the window cannot be see-through, so it is drawn opaque.
    ASSERT_FALSE(platform::IsCompositing());
    UpdateWindow(toast.GetHWND());
    cairo_surface_t* surface = platform::headless::WindowSurface(toast.GetHWND());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(uitest::PixelAt(surface, 50, 16), 0xFF336699u);
    DestroyWindow(toast.GetHWND());
}

TEST_F(WindowInput, WindowsAreCentredInTheWorkArea)
{
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT used = GetWorkAreaRect();
    EXPECT_EQ(used.right - used.left, work.right - work.left);
    EXPECT_EQ(used.bottom - used.top, work.bottom - work.top);
    m_window.CenterWindow();
    RECT rc{};
    GetWindowRect(Hwnd(), &rc);
    EXPECT_EQ(rc.left, work.left + (work.right - work.left - 400) / 2);
    EXPECT_EQ(rc.top, work.top + (work.bottom - work.top - 200) / 2);
}
