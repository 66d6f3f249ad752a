// Real input injected with xdotool reaches the window procedure as Windows messages.
#include "platform/Input.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/RecordingWindow.h"
#include "tests/e2e/XServer.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace
{
class InputE2eTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        m_window = std::make_unique<RecordingWindow>(L"Pictavo e2e input", 200, 150, 320, 240, 0xFFFFFF);
        ASSERT_NE(m_window->hwnd(), nullptr);
        ShowWindow(m_window->hwnd(), SW_SHOW);
        SetForegroundWindow(m_window->hwnd());
        ASSERT_TRUE(PumpUntil([&] { return m_window->Count(WM_SETFOCUS) > 0; }))
            << "the window never got focus";
    }

    void TearDown() override { m_window.reset(); }

    HWND hwnd() const { return m_window->hwnd(); }

    std::unique_ptr<RecordingWindow> m_window;
};

TEST_F(InputE2eTest, ClickArrivesAsButtonDownAndUpAtClientCoordinates)
{
    const size_t from = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool mousemove 250 190 click 1"));
    ASSERT_TRUE(PumpUntil([&] { return m_window->Find(WM_LBUTTONUP, from) != nullptr; }));

    const Received* down = m_window->Find(WM_LBUTTONDOWN, from);
    const Received* up = m_window->Find(WM_LBUTTONUP, from);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(GET_X_LPARAM(down->lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(down->lParam), 40);
    EXPECT_EQ(down->wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(GET_X_LPARAM(up->lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(up->lParam), 40);
    EXPECT_EQ(up->wParam & MK_LBUTTON, 0u);
    EXPECT_NE(m_window->Find(WM_MOUSEMOVE, from), nullptr);
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 250);
    EXPECT_EQ(cursor.y, 190);
}

TEST_F(InputE2eTest, SecondQuickClickIsADoubleClickAndTheWheelCountsNotches)
{
    const size_t from = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool mousemove 300 250 click --repeat 2 --delay 50 1 click 4"));
    ASSERT_TRUE(PumpUntil([&] { return m_window->Find(WM_MOUSEWHEEL, from) != nullptr; }));
    EXPECT_EQ(m_window->Count(WM_LBUTTONDOWN) - 0, 1u);
    EXPECT_NE(m_window->Find(WM_LBUTTONDBLCLK, from), nullptr);
    const Received* wheel = m_window->Find(WM_MOUSEWHEEL, from);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), WHEEL_DELTA);
    // The wheel, alone among mouse messages, carries screen coordinates.
    EXPECT_EQ(GET_X_LPARAM(wheel->lParam), 300);
    EXPECT_EQ(GET_Y_LPARAM(wheel->lParam), 250);
}

TEST_F(InputE2eTest, TypedTextArrivesAsCharactersAndNamedKeysAsVirtualKeys)
{
    const size_t from = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool type --delay 20 'Hi7'"));
    ASSERT_TRUE(XServer::Run("xdotool key Escape Return"));
    ASSERT_TRUE(PumpUntil([&] { return m_window->Typed().find(L'\r') != std::wstring::npos; }));

    EXPECT_EQ(m_window->Typed(), L"Hi7\x1b\r");
    std::vector<WPARAM> keys;
    for (size_t i = from; i < m_window->received().size(); ++i)
    {
        if (m_window->received()[i].msg == WM_KEYDOWN)
            keys.push_back(m_window->received()[i].wParam);
    }
    EXPECT_EQ(keys, (std::vector<WPARAM>{VK_SHIFT, 'H', 'I', '7', VK_ESCAPE, VK_RETURN}));
}

TEST_F(InputE2eTest, AltF4AsksTheProcedureToClose)
{
    ASSERT_TRUE(XServer::Run("xdotool key alt+F4"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd()); }));
    const Received* sys = m_window->Find(WM_SYSKEYDOWN);
    ASSERT_NE(sys, nullptr);
    EXPECT_NE(m_window->Find(WM_CLOSE), nullptr);
}

TEST_F(InputE2eTest, DraggingTheCaptionMovesTheBorderlessWindow)
{
    m_window->m_captionHeight = 30;
    ASSERT_TRUE(XServer::Run("xdotool mousemove 260 160 mousedown 1 sleep 0.1 mousemove 300 200 sleep 0.1 "
                             "mousemove 360 260 sleep 0.1 mouseup 1"));
    RECT rect{};
    ASSERT_TRUE(PumpUntil([&] {
        GetWindowRect(hwnd(), &rect);
        return rect.left == 300 && rect.top == 250;
    })) << "window at "
        << rect.left << "," << rect.top;
    EXPECT_EQ(m_window->Find(WM_LBUTTONDOWN), nullptr) << "a caption press is not a client click";
    EXPECT_NE(m_window->Find(WM_MOVE), nullptr);
}

TEST_F(InputE2eTest, CaptureKeepsTheMouseOutsideAndLeaveIsReportedOnce)
{
    SetCapture(hwnd());
    const size_t from = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool mousemove 700 600"));
    ASSERT_TRUE(PumpUntil([&] { return m_window->Find(WM_MOUSEMOVE, from) != nullptr; }));
    const Received* outside = m_window->Find(WM_MOUSEMOVE, from);
    EXPECT_EQ(GET_X_LPARAM(outside->lParam), 500);
    EXPECT_EQ(GET_Y_LPARAM(outside->lParam), 450);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_NE(m_window->Find(WM_CAPTURECHANGED, from), nullptr);

    // Every step waits for a move that proves the display's events before it were handled.
    const auto movedTo = [&](int x, int y, size_t start) {
        for (size_t i = start; i < m_window->received().size(); ++i)
        {
            const Received& r = m_window->received()[i];
            if (r.msg == WM_MOUSEMOVE && GET_X_LPARAM(r.lParam) == x - 200 &&
                GET_Y_LPARAM(r.lParam) == y - 150)
                return true;
        }
        return false;
    };
    size_t mark = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool mousemove 300 300"));
    ASSERT_TRUE(PumpUntil([&] { return movedTo(300, 300, mark); }));
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    ASSERT_TRUE(TrackMouseEvent(&track));
    ASSERT_TRUE(XServer::Run("xdotool mousemove 900 700"));
    ASSERT_TRUE(PumpUntil([&] { return m_window->Count(WM_MOUSELEAVE) > 0; }));
    mark = m_window->received().size();
    ASSERT_TRUE(XServer::Run("xdotool mousemove 300 300 mousemove 900 700 mousemove 310 310"));
    ASSERT_TRUE(PumpUntil([&] { return movedTo(310, 310, mark); }));
    EXPECT_EQ(m_window->Count(WM_MOUSELEAVE), 1u);
}
} // namespace
