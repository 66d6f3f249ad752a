// The dialog base: the program's skin constants, Enter and Escape kept from the framework's
// default key response, and the answer to a second copy's activation request.
#include "common/dialog/SingleInstance.h"
#include "tests/support/DialogKit.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
// A dialog on the message box skin that counts the framework's default key responses.
class CountingDlg : public CWinBaseEx
{
public:
    LPCTSTR GetWindowClassName() const override { return L"CountingDlg"; }
    CDuiString GetSkinFile() override { return L"MsgBoxDlg.xml"; }
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override
    {
        ++defaultKeys;
        return CWinBaseEx::ResponseDefaultKeyEvent(wParam);
    }
    int defaultKeys = 0;
};

platform::headless::WindowSnapshot Snap(HWND hwnd)
{
    platform::headless::WindowSnapshot snap;
    platform::headless::Snapshot(hwnd, &snap);
    return snap;
}

LRESULT Activate(HWND hwnd, WPARAM wParam, bool withData, BOOL* handled)
{
    COPYDATASTRUCT copy{};
    *handled = FALSE;
    return HandleActivateMessage(hwnd, wParam, withData ? reinterpret_cast<LPARAM>(&copy) : 0, *handled);
}
} // namespace

TEST(WinBaseEx, UsesTheSelectedProgramsEmbeddedSkin)
{
    CountingDlg dlg;
    EXPECT_EQ(dlg.GetResourceType(), UILIB_ZIPRESOURCE);
    EXPECT_EQ(dlg.GetZIPFileName(), L"skin.zip");
    EXPECT_EQ(dlg.GetResourceID(), 103u);
    EXPECT_EQ(dlg.GetSkinFolder(), L"skin/");
    SelectProgram(PictavoProgram::SETUP);
    EXPECT_EQ(dlg.GetZIPFileName(), L"SetupSkin.zip");
    EXPECT_EQ(dlg.GetResourceID(), 105u);
    SelectProgram(PictavoProgram::MAIN);
}

TEST(WinBaseEx, EnterAndEscapeNeverReachTheDefaultKeyResponse)
{
    CountingDlg dlg;
    ASSERT_NE(dlg.Create(nullptr, L"dlg", WS_POPUP | WS_VISIBLE, 0), nullptr);
    const HWND hwnd = dlg.GetHWND();
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}})
    {
        bool handled = false;
        EXPECT_EQ(dlg.MessageHandler(WM_KEYDOWN, key, 0, handled), 0);
        EXPECT_FALSE(handled) << "the key goes on to the focused control";
        platform::headless::InjectMessage(hwnd, WM_KEYDOWN, key, 0);
    }
    dialogtest::Pump();
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(dlg.defaultKeys, 0);
    // Other messages still reach the framework's filter.
    bool handled = false;
    dlg.MessageHandler(WM_KEYDOWN, VK_SPACE, 0, handled);
    EXPECT_EQ(dlg.defaultKeys, 0);
    ::DestroyWindow(hwnd);
}

TEST(ActivateMessage, ShowsAHiddenWindowAndRestoresAMinimisedOne)
{
    const HWND hwnd = dialogtest::MakePlainWindow(L"Pictavo", SW_HIDE);
    BOOL handled = FALSE;
    EXPECT_EQ(Activate(hwnd, ACTIVATE_RUNNING_INSTANCE, true, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(Snap(hwnd).visible);
    EXPECT_FALSE(Snap(hwnd).minimized);

    ::ShowWindow(hwnd, SW_SHOWMINIMIZED);
    ASSERT_TRUE(Snap(hwnd).minimized);
    Activate(hwnd, ACTIVATE_RUNNING_INSTANCE, true, &handled);
    EXPECT_FALSE(Snap(hwnd).minimized);
    EXPECT_TRUE(Snap(hwnd).visible);
    ::DestroyWindow(hwnd);
}

TEST(ActivateMessage, RaisesAVisibleWindowWithoutMakingItTopmostOrMovingIt)
{
    const HWND hwnd = dialogtest::MakePlainWindow(L"Pictavo", SW_SHOWNORMAL);
    const HWND other = dialogtest::MakePlainWindow(L"other", SW_SHOWNORMAL);
    ::SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const auto before = Snap(hwnd);
    ASSERT_LT(before.zStamp, Snap(other).zStamp);
    BOOL handled = FALSE;
    Activate(hwnd, ACTIVATE_RUNNING_INSTANCE, true, &handled);
    const auto after = Snap(hwnd);
    EXPECT_GT(after.zStamp, Snap(other).zStamp);
    EXPECT_FALSE(after.topmost);
    EXPECT_EQ(after.rect.left, before.rect.left);
    EXPECT_EQ(after.rect.right, before.rect.right);
    ::DestroyWindow(other);
    ::DestroyWindow(hwnd);
}

TEST(ActivateMessage, OtherRequestsChangeNothingAndAreStillAnswered)
{
    const HWND hwnd = dialogtest::MakePlainWindow(L"Pictavo", SW_HIDE);
    BOOL handled = FALSE;
    EXPECT_EQ(Activate(hwnd, 2025, true, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Activate(hwnd, ACTIVATE_RUNNING_INSTANCE, false, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(Snap(hwnd).visible);
    ::DestroyWindow(hwnd);
}
