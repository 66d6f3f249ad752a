// The message box of the main program's skin as a real window on the test display: found by its
// title where the program placed it, closed by real clicks on its buttons, deaf to Escape. A
// screenshot of it is kept.
#include "platform/Input.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/InputRepeater.h"
#include "tests/e2e/Screenshot.h"
#include "tests/e2e/Watchdog.h"
#include "tests/e2e/XServer.h"
#include "tests/support/DialogKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

using namespace e2e;

namespace
{
// Screen points of the open box, read on the UI thread.
struct BoxSpots
{
    POINT button{};
    POINT text{};
    RECT window{};
};

POINT ScreenCentre(HWND hwnd, const RECT& rc)
{
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(hwnd, &pt);
    return pt;
}

std::string At(POINT pt)
{
    return std::to_string(pt.x) + " " + std::to_string(pt.y);
}

// A person at the display: waits for the box to stand where the program put it, may press
// Escape over it, takes a screenshot once it is painted, and clicks the button until the box
// answers. Runs beside the box's modal loop; if the box never shows it closes the box with
// kFailed, so the loop always ends.
class ScreenUser
{
public:
    static constexpr UINT kFailed = 999;

    ScreenUser(const std::string& title, LPCWSTR button, bool pressEscape, std::string shot)
        : m_boxUser([this, button](CMsgBoxDlg* box) { Locate(box, button); }),
          m_thread([this, title, pressEscape, shot] { Act(title, pressEscape, shot); })
    {
    }
    ~ScreenUser() { Answered(); }
    // The box has returned: the clicking ends.
    void Answered()
    {
        m_answered = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    bool found = false;
    bool shotTaken = false;
    std::string placed;

private:
    void Locate(CMsgBoxDlg* box, LPCWSTR button)
    {
        DuiLib::CPaintManagerUI& pm = box->GetPaintManager();
        DuiLib::CControlUI* control = pm.FindControl(button);
        DuiLib::CControlUI* text = pm.FindControl(L"msgLabel");
        m_box = box->GetHWND();
        if (control == nullptr || text == nullptr || !control->IsVisible())
        {
            m_spots.set_value(std::nullopt);
            return;
        }
        RECT window{};
        ::GetWindowRect(m_box, &window);
        m_spots.set_value(
            BoxSpots{ScreenCentre(m_box, control->GetPos()), ScreenCentre(m_box, text->GetPos()), window});
    }

    // The box is mapped where the program placed it (the box sizes itself to its text).
    bool InPlace(const std::string& title, const RECT& rect)
    {
        const std::string expected =
            "X=" + std::to_string(rect.left) + "\nY=" + std::to_string(rect.top) + "\n";
        const std::string shell = XServer::Output("xdotool search --onlyvisible --name '^" + title +
                                                  "$' getwindowgeometry --shell");
        placed = "expected " + expected + " saw " + shell;
        return shell.find(expected) != std::string::npos;
    }

    void Act(const std::string& title, bool pressEscape, const std::string& shot)
    {
        std::future<std::optional<BoxSpots>> ready = m_spots.get_future();
        if (ready.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            return; // no box at all: ShowMsgBox has returned already
        const std::optional<BoxSpots> spots = ready.get();
        found = spots && DisplayTest::WaitUntil([&] { return InPlace(title, spots->window); }, 10000);
        if (!found)
        {
            ::PostMessageW(m_box, WM_CLOSE, kFailed, 0);
            return;
        }
        if (pressEscape)
            XServer::Run("xdotool mousemove " + At(spots->text) + " key Escape");
        Screenshot painted;
        shotTaken = DisplayTest::WaitUntil(
            [&] {
                return painted.Take(shot) && painted.Pixel(spots->text.x, spots->text.y) != 0 &&
                       painted.Pixel(spots->button.x, spots->button.y) != 0;
            },
            10000);
        // Input sent before the box could take it is sent again. The Escape above went first,
        // so a box it closed answers with its close code, not with the button's.
        InputRepeater user({"xdotool mousemove " + At(spots->button) + " click 1"});
        DisplayTest::WaitUntil([&] { return m_answered.load(); }, 15000);
        if (!m_answered)
            ::PostMessageW(m_box, WM_CLOSE, kFailed, 0);
    }

    std::promise<std::optional<BoxSpots>> m_spots;
    std::atomic<bool> m_answered{false};
    HWND m_box = nullptr;
    dialogtest::BoxUser m_boxUser;
    std::thread m_thread;
};

class MsgBoxE2eTest : public DisplayTest
{
protected:
    MsgBoxE2eTest() : DisplayTest({"xdotool", "import"}) {}
};
} // namespace

TEST_F(MsgBoxE2eTest, OkClosesWithItsCodeWhileEscapeDoesNothing)
{
    const std::string shot = ShotPath("message-box");
    int code = 0;
    bool found = false;
    bool shotTaken = false;
    std::string placed;
    {
        Watchdog watchdog(40, "the message box's answer");
        ScreenUser user("Pictavo 提示", L"btnSingleOk", true, shot);
        code = CMsgBoxDlg::ShowMsgBox(nullptr, L"Pictavo 提示",
                                      L"图片已经全部转换完成，可以打开输出目录查看。", MSGBOX_OK);
        user.Answered();
        found = user.found;
        placed = user.placed;
        shotTaken = user.shotTaken;
    }
    EXPECT_TRUE(found) << "xdotool did not find the box by its title where the program put it: " << placed;
    EXPECT_EQ(code, MSGBOX_IDOK) << "Escape closed the box, or the button never answered";
    EXPECT_TRUE(shotTaken);
    EXPECT_TRUE(testsupport::Exists(shot));
}

TEST_F(MsgBoxE2eTest, YesClosesWithItsCode)
{
    int code = 0;
    {
        Watchdog watchdog(40, "the message box's answer");
        ScreenUser user("Pictavo 确认", L"btnYes", false, ShotPath("message-box-yes-no"));
        code =
            CMsgBoxDlg::ShowMsgBox(nullptr, L"Pictavo 确认", L"确定要删除列表中的全部图片吗？", MSGBOX_YESNO);
    }
    EXPECT_EQ(code, MSGBOX_IDYES);
}
