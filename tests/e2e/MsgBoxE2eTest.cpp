// The message box of the main program's skin as a real window on the test display: found by its
// title, closed by real clicks on its buttons, deaf to Escape. A screenshot of it is kept.
#include "DialogKit.h"
#include "DisplayTest.h"
#include "XServer.h"
#include "platform/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

// A person at the display: waits for the box, may press Escape over it, takes a screenshot
// and clicks the button. Runs beside the box's modal loop; if anything fails it closes the box
// with kFailed, so the loop always ends.
class ScreenUser
{
public:
    static constexpr UINT kFailed = 999;

    ScreenUser(const std::string& title, LPCWSTR button, bool pressEscape, std::string shot)
        : m_boxUser([this, button](CMsgBoxDlg* box) { Locate(box, button); }),
          m_thread([this, title, pressEscape, shot] { Act(title, pressEscape, shot); })
    {
    }
    ~ScreenUser() { Join(); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    bool found = false;
    bool openAfterEscape = false;
    bool shotTaken = false;

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
        m_spots.set_value(
            BoxSpots{ScreenCentre(m_box, control->GetPos()), ScreenCentre(m_box, text->GetPos())});
    }

    static bool Visible(const std::string& title)
    {
        return !XServer::Output("xdotool search --onlyvisible --name '^" + title + "$'").empty();
    }

    void Act(const std::string& title, bool pressEscape, const std::string& shot)
    {
        std::future<std::optional<BoxSpots>> ready = m_spots.get_future();
        if (ready.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            return; // no box at all: ShowMsgBox has returned already
        const std::optional<BoxSpots> spots = ready.get();
        found = spots && XServer::Run("xdotool search --sync --onlyvisible --name '^" + title + "$'");
        if (!found)
        {
            ::PostMessageW(m_box, WM_CLOSE, kFailed, 0);
            return;
        }
        // Let it paint before it is looked at.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        if (pressEscape)
        {
            // The X server's focus follows the pointer when no window manager runs.
            XServer::Run("xdotool mousemove " + At(spots->text) + " key Escape");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            openAfterEscape = Visible(title);
        }
        shotTaken = XServer::Run("import -window root '" + shot + "'");
        if (!XServer::Run("xdotool mousemove " + At(spots->button) + " click 1"))
            ::PostMessageW(m_box, WM_CLOSE, kFailed, 0);
    }

    std::promise<std::optional<BoxSpots>> m_spots;
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
    bool openAfterEscape = false;
    bool shotTaken = false;
    {
        ScreenUser user("Pictavo 提示", L"btnSingleOk", true, shot);
        code = CMsgBoxDlg::ShowMsgBox(nullptr, L"Pictavo 提示",
                                      L"图片已经全部转换完成，可以打开输出目录查看。", MSGBOX_OK);
        user.Join();
        found = user.found;
        openAfterEscape = user.openAfterEscape;
        shotTaken = user.shotTaken;
    }
    EXPECT_TRUE(found) << "xdotool did not find the box by its title";
    EXPECT_TRUE(openAfterEscape) << "Escape closed the box";
    EXPECT_EQ(code, MSGBOX_IDOK);
    EXPECT_TRUE(shotTaken);
    EXPECT_TRUE(testsupport::Exists(shot));
}

TEST_F(MsgBoxE2eTest, YesClosesWithItsCode)
{
    int code = 0;
    {
        ScreenUser user("Pictavo 确认", L"btnYes", false, ShotPath("message-box-yes-no"));
        code =
            CMsgBoxDlg::ShowMsgBox(nullptr, L"Pictavo 确认", L"确定要删除列表中的全部图片吗？", MSGBOX_YESNO);
    }
    EXPECT_EQ(code, MSGBOX_IDYES);
}
