// Real windows on a private X server: they appear, paint, change state and stack as asked.
#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Layered.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/RecordingWindow.h"
#include "tests/e2e/Screenshot.h"
#include "tests/e2e/XServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace
{
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;

class WindowE2eTest : public DisplayTest
{
protected:
    WindowE2eTest() : DisplayTest({"xdotool", "import"}) {}

    static constexpr int kShowMs = 15000;

    // Shows the window and waits until it has painted and the display shows it.
    static ::testing::AssertionResult ShowAndPaint(RecordingWindow& window)
    {
        const size_t before = window.Count(WM_PAINT);
        ShowWindow(window.hwnd(), SW_SHOW);
        WCHAR title[128] = {};
        GetWindowTextW(window.hwnd(), title, 128);
        const std::string name = testsupport::Narrow(title);
        // A window manager that has just started may take seconds to map it on a loaded machine.
        ::testing::AssertionResult shown =
            PumpUntil([&] { return window.Count(WM_PAINT) > before && !Visible(name).empty(); }, kShowMs);
        if (!shown)
            shown << "; paints " << window.Count(WM_PAINT) - before << ", visible to xdotool: '"
                  << Visible(name) << "', IsWindowVisible " << IsWindowVisible(window.hwnd()) << "\n"
                  << XServer::Output("xwininfo -root -tree | grep -i '" + name + "'") << "\n"
                  << XServer::Output("xprop -root _NET_CLIENT_LIST _NET_SUPPORTING_WM_CHECK") << "\n"
                  << XServer::Output("pgrep -a openbox");
        return shown;
    }

    static std::string Visible(const std::string& title)
    {
        return XServer::Output("xdotool search --onlyvisible --name '" + title + "'");
    }

    // Pumps until a screenshot shows the colour at the screen point; the last one is kept.
    static bool ScreenShows(Screenshot& shot, const char* name, int x, int y, COLORREF color)
    {
        return PumpUntil([&] { return shot.Take(ShotPath(name)) && shot.Pixel(x, y) == color; });
    }
};

TEST_F(WindowE2eTest, ShownWindowIsFoundByTitleAndShowsWhatItPainted)
{
    RecordingWindow window(L"Pictavo e2e paint", 100, 120, 300, 200, kRed);
    ASSERT_NE(window.hwnd(), nullptr);
    ASSERT_TRUE(ShowAndPaint(window));

    EXPECT_FALSE(Visible("Pictavo e2e paint").empty());
    Screenshot shot;
    ASSERT_TRUE(PumpUntil([&] {
        return shot.Take(ShotPath("paint")) && shot.Pixel(110, 130) == kRed && shot.Pixel(390, 310) == kRed;
    })) << "what the window painted never reached the screen";
    EXPECT_NE(shot.Pixel(95, 115), kRed) << "the window painted outside its rectangle";
    EXPECT_NE(shot.Pixel(405, 325), kRed) << "the window painted outside its rectangle";
}

TEST_F(WindowE2eTest, MinimiseAndRestoreFollowTheCoreState)
{
    RecordingWindow window(L"Pictavo e2e minimise", 50, 50, 200, 150, kGreen);
    ASSERT_TRUE(ShowAndPaint(window));

    ShowWindow(window.hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(window.hwnd()) && window.Find(WM_SIZE) != nullptr; }));
    EXPECT_EQ(window.Find(WM_SIZE)->wParam, SIZE_MINIMIZED);

    ShowWindow(window.hwnd(), SW_RESTORE);
    EXPECT_TRUE(
        PumpUntil([&] { return !IsIconic(window.hwnd()) && !Visible("Pictavo e2e minimise").empty(); }));

    ShowWindow(window.hwnd(), SW_HIDE);
    EXPECT_TRUE(PumpUntil([&] { return Visible("Pictavo e2e minimise").empty(); }));
}

TEST_F(WindowE2eTest, TopmostAndNotTopmostRaiseTheWindow)
{
    RecordingWindow green(L"Pictavo e2e green", 500, 100, 200, 200, kGreen);
    RecordingWindow blue(L"Pictavo e2e blue", 600, 150, 200, 200, kBlue);
    ASSERT_TRUE(ShowAndPaint(green));
    ASSERT_TRUE(ShowAndPaint(blue));
    Screenshot shot;
    ASSERT_TRUE(ScreenShows(shot, "stack-before", 650, 200, kBlue)) << "the later window starts on top";

    SetWindowPos(green.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(ScreenShows(shot, "stack-topmost", 650, 200, kGreen));
    EXPECT_NE(GetWindowLongW(green.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    SetWindowPos(green.hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(blue.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(ScreenShows(shot, "stack-after", 650, 200, kBlue));
    EXPECT_EQ(GetWindowLongW(green.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(WindowE2eTest, MovingAndResizingReachTheDisplay)
{
    RecordingWindow window(L"Pictavo e2e move", 40, 40, 120, 80, kRed);
    ASSERT_TRUE(ShowAndPaint(window));
    MoveWindow(window.hwnd(), 300, 400, 160, 90, TRUE);
    Screenshot shot;
    EXPECT_TRUE(PumpUntil([&] {
        return shot.Take(ShotPath("move")) && shot.Pixel(305, 405) == kRed && shot.Pixel(455, 485) == kRed &&
               shot.Pixel(45, 45) != kRed;
    })) << "the window is not at its new place, or the old place was left behind";
}

TEST_F(WindowE2eTest, OpacityWithoutACompositorIsKeptForTheFramework)
{
    RecordingWindow window(L"Pictavo e2e layered", 200, 500, 150, 100, kRed, WS_EX_LAYERED);
    ASSERT_TRUE(ShowAndPaint(window));
    EXPECT_FALSE(platform::IsCompositing()) << "Xvfb runs no compositor";

    ASSERT_TRUE(SetLayeredWindowAttributes(window.hwnd(), 0, 128, LWA_ALPHA));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.hwnd(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags, LWA_ALPHA);
    const size_t paints = window.Count(WM_PAINT);
    InvalidateRect(window.hwnd(), nullptr, FALSE);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_PAINT) > paints; }));
    Screenshot shot;
    EXPECT_TRUE(ScreenShows(shot, "layered", 260, 550, kRed))
        << "without a compositor the window itself stays opaque";
}

// A window manager on the test display for as long as the object lives.
class WindowManager
{
public:
    WindowManager()
    {
        m_pid = XServer::Output("openbox --sm-disable >/dev/null 2>&1 & echo $!");
        while (!m_pid.empty() && m_pid.back() == '\n')
            m_pid.pop_back();
        m_running = DisplayTest::WaitUntil(
            [] {
                return XServer::Output("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                       std::string::npos;
            },
            10000);
    }
    ~WindowManager()
    {
        if (!m_pid.empty())
            XServer::Run("kill " + m_pid);
    }
    bool Running() const { return m_running; }

private:
    std::string m_pid;
    bool m_running = false;
};

// The main window is made resizable and then fixed by taking the style bits away after its
// creation, as the framework does with its skin's size: the window manager must then neither
// resize nor maximise it.
TEST_F(WindowE2eTest, StyleBitsTakenAwayAfterCreationKeepTheWindowManagerFromResizing)
{
    if (!XServer::HasTool("openbox") || !XServer::HasTool("wmctrl") || !XServer::HasTool("xprop"))
        GTEST_SKIP() << "openbox, wmctrl or xprop is missing";
    WindowManager manager;
    ASSERT_TRUE(manager.Running()) << "openbox did not start";
    constexpr DWORD kResizable = WS_POPUP | WS_THICKFRAME | WS_MAXIMIZEBOX;
    RecordingWindow window(L"Pictavo e2e fixed", 200, 150, 300, 200, kGreen, 0, kResizable);
    ASSERT_TRUE(ShowAndPaint(window));
    SetWindowLongW(window.hwnd(), GWL_STYLE, WS_POPUP);
    const std::string id =
        XServer::Output("xdotool search --onlyvisible --name '^Pictavo e2e fixed$' | head -1");
    ASSERT_FALSE(id.empty());
    const std::string xid = id.substr(0, id.find('\n'));
    EXPECT_TRUE(PumpUntil([&] {
        const std::string hints = XServer::Output("xprop -id " + xid + " WM_NORMAL_HINTS");
        return hints.find("minimum size: 300 by 200") != std::string::npos &&
               hints.find("maximum size: 300 by 200") != std::string::npos;
    })) << XServer::Output("xprop -id " + xid + " WM_NORMAL_HINTS");

    // The manager handles requests in order: once "above" shows, the maximise before it was
    // handled too.
    XServer::Run("wmctrl -i -r " + xid + " -b add,maximized_vert,maximized_horz");
    XServer::Run("wmctrl -i -r " + xid + " -b add,above");
    ASSERT_TRUE(PumpUntil([&] {
        return XServer::Output("xprop -id " + xid + " _NET_WM_STATE").find("ABOVE") != std::string::npos;
    }));
    RECT rect{};
    GetWindowRect(window.hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    EXPECT_FALSE(IsZoomed(window.hwnd()));
    const std::string geometry = XServer::Output("xdotool getwindowgeometry " + xid);
    EXPECT_NE(geometry.find("Geometry: 300x200"), std::string::npos) << geometry;
}

TEST_F(WindowE2eTest, ScreenMetricsComeFromTheMonitor)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right - work.left, 1280);
    EXPECT_EQ(work.bottom - work.top, 800);
}
} // namespace
