// The message box on the main program's embedded skin (and the setup program's, for the older
// form): sizes fitted to the text, close codes from real clicks in the modal loop, keys that
// must not close it, its owner and its caption.
#include "tests/support/DialogKit.h"

#include "platform/Gdi.h"
#include "platform/Resources.h"
#include "platform/WindowFinder.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using dialogtest::BoxUser;

namespace
{
const wchar_t* const kLongText =
    L"安装目录已经存在旧版本的程序文件，继续安装将会覆盖这些文件，您的设置和已经转换的图片不会受到影响。"
    L"是否继续安装到这个目录？";

constexpr DWORD kBoxStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;

SIZE WindowSize(HWND hwnd)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// A box made the way ShowMsgBox makes it, left open for inspection.
class OpenBox
{
public:
    OpenBox(LPCWSTR message, int kind, bool older = false) : m_box(older)
    {
        m_box.Create(nullptr, L"提示", kBoxStyle, WS_EX_APPWINDOW);
        if (m_box.GetHWND())
            m_box.SetMessage(L"提示", message, kind);
    }
    ~OpenBox()
    {
        if (m_box.GetHWND())
            ::DestroyWindow(m_box.GetHWND());
    }
    SIZE Size() const { return WindowSize(m_box.GetHWND()); }
    CLabelUI* Label() { return static_cast<CLabelUI*>(m_box.GetPaintManager().FindControl(L"msgLabel")); }
    CMsgBoxDlg& box() { return m_box; }

private:
    CMsgBoxDlg m_box;
};

// The setup program's build: its own skin and the older message box.
class OlderForm : public ::testing::Test
{
protected:
    void SetUp() override { UseSkin(PictavoProgram::SETUP); }
    void TearDown() override { UseSkin(PictavoProgram::MAIN); }
    static void UseSkin(PictavoProgram program)
    {
        SelectProgram(program);
        const auto zip =
            platform::FindResourceData(L"ZIPRES", static_cast<WORD>(CurrentProgram().resourceId));
        ASSERT_FALSE(zip.empty());
        CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned int>(zip.size()));
    }
};
} // namespace

TEST(MsgBoxDlg, ShortTextGivesASmallBoxWithOneCentredLine)
{
    OpenBox open(L"登录信息异常", MSGBOX_OK);
    ASSERT_NE(open.box().GetHWND(), nullptr);
    EXPECT_EQ(open.Size().cx, 320);
    EXPECT_EQ(open.Size().cy, 180);
    EXPECT_EQ(open.Label()->GetTextStyle(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(open.Label()->GetText(), L"登录信息异常");
    auto* title = static_cast<CLabelUI*>(open.box().GetPaintManager().FindControl(L"msgTitleLabel"));
    EXPECT_EQ(title->GetText(), L"提示");
}

TEST(MsgBoxDlg, LongTextIsIndentedAndFittedBetweenTheLimits)
{
    OpenBox open(kLongText, MSGBOX_YESNO);
    const SIZE size = open.Size();
    EXPECT_GE(size.cx, 320);
    EXPECT_LE(size.cx, 380);
    EXPECT_GE(size.cy, 213);
    EXPECT_EQ(open.Label()->GetText(), CDuiString(L"    ") + kLongText);
    // The wrapped text fits the label: 30-pixel margins and the 130 of title row and buttons.
    HDC dc = open.box().GetPaintManager().GetPaintDC();
    const HGDIOBJ old = ::SelectObject(dc, open.box().GetPaintManager().GetFont(-1));
    RECT rc{0, 0, size.cx - 60, 9999};
    ::DrawTextW(dc, open.Label()->GetText(), -1, &rc, DT_CALCRECT | DT_WORDBREAK);
    ::SelectObject(dc, old);
    EXPECT_LE(rc.bottom, size.cy - 130);
}

TEST(MsgBoxDlg, MediumTextKeepsTwoThirdsProportionsAndLongTextStopsAt380)
{
    OpenBox medium(L"图片转换完成，输出文件已经保存到您选择的文件夹中，可以打开查看。", MSGBOX_OK);
    const SIZE m = medium.Size();
    if (m.cx > 320 && m.cx < 380)
    {
        EXPECT_EQ(m.cy, std::max(213, static_cast<int>(static_cast<float>(m.cx) * 0.6666667f)));
    }

    std::wstring longer;
    for (int i = 0; i < 8; ++i)
        longer += kLongText;
    OpenBox big(longer.c_str(), MSGBOX_OK);
    EXPECT_EQ(big.Size().cx, 380);
    EXPECT_GT(big.Size().cy, 213);
}

TEST(MsgBoxDlg, EveryButtonClosesWithItsCode)
{
    struct Case
    {
        int kind;
        LPCTSTR control;
        int code;
    };
    const Case cases[] = {{MSGBOX_YESNO, L"btnNo", 4},      {MSGBOX_YESNO, L"btnYes", 2},
                          {MSGBOX_YES, L"btnSingleYes", 2}, {MSGBOX_OKCANCEL, L"btnCancel", 16},
                          {MSGBOX_OKCANCEL, L"btnOk", 8},   {MSGBOX_OK, L"btnSingleOk", 8},
                          {MSGBOX_GO, L"btnGo", 128},       {MSGBOX_OK, L"closeBtn", 1}};
    for (const Case& c : cases)
    {
        BoxUser user(
            [&](CMsgBoxDlg* box) { EXPECT_TRUE(dialogtest::ClickControl(box, c.control)) << c.control; });
        EXPECT_EQ(CMsgBoxDlg::ShowMsgBox(nullptr, L"提示", L"登录信息异常", c.kind), c.code) << c.control;
        EXPECT_TRUE(user.acted());
    }
}

TEST(MsgBoxDlg, ClicksOutsideTheButtonsAndEscapeOrEnterDoNotCloseIt)
{
    BoxUser user([](CMsgBoxDlg* box) {
        const HWND hwnd = box->GetHWND();
        platform::headless::InjectMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        platform::headless::InjectMessage(hwnd, WM_KEYDOWN, VK_RETURN, 0);
        dialogtest::ClickControl(box, L"msgLabel"); // mouse off: nothing
        dialogtest::ClickControl(box, L"msgTitleLabel");
        dialogtest::ClickControl(box, L"btnSingleOk");
    });
    // Had Escape closed the box, the code would be the framework's cancel (2).
    EXPECT_EQ(CMsgBoxDlg::ShowMsgBox(nullptr, L"提示", L"登录信息异常", MSGBOX_OK), 8);
}

TEST(MsgBoxDlg, AHiddenOwnerIsShownBeforeTheBoxOpensAndIsFreedAfter)
{
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_HIDE);
    bool ownerVisible = false;
    bool ownerEnabled = true;
    BoxUser user([&](CMsgBoxDlg* box) {
        ownerVisible = ::IsWindowVisible(owner);
        ownerEnabled = ::IsWindowEnabled(owner);
        EXPECT_EQ(::GetWindow(box->GetHWND(), GW_OWNER), owner);
        dialogtest::ClickControl(box, L"btnSingleOk");
    });
    EXPECT_EQ(CMsgBoxDlg::ShowMsgBox(owner, L"提示", L"登录信息异常", MSGBOX_OK), 8);
    EXPECT_TRUE(ownerVisible);
    EXPECT_FALSE(ownerEnabled) << "modal";
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
}

TEST(MsgBoxDlg, TheWholeBoxDragsExceptOverItsButtons)
{
    OpenBox open(kLongText, MSGBOX_OKCANCEL);
    CMsgBoxDlg& box = open.box();
    const HWND hwnd = box.GetHWND();
    const SIZE size = open.Size();
    EXPECT_EQ(box.GetPaintManager().GetCaptionRect().bottom, size.cy);
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    auto hit = [&](POINT pt) {
        return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + pt.x, window.top + pt.y));
    };
    EXPECT_EQ(hit(POINT{size.cx / 2, size.cy / 2}), HTCAPTION) << "over the text";
    EXPECT_EQ(hit(POINT{5, size.cy - 5}), HTCAPTION) << "below the buttons";
    const RECT ok = box.GetPaintManager().FindControl(L"btnOk")->GetPos();
    EXPECT_EQ(hit(POINT{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2}), HTCLIENT);
    // Neither maximised nor resized by a frame.
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
}

TEST(MsgBoxDlg, TheBoxCarriesTheProgramIconAndNoShadowWindowWithoutACompositor)
{
    OpenBox open(L"登录信息异常", MSGBOX_OK);
    EXPECT_EQ(open.box().GetIcon(), 102u);
    EXPECT_EQ(::FindWindowW(L"PictavoWndShadow", nullptr), nullptr);
}

TEST_F(OlderForm, HasNoGoButtonNoIndentAndGrowsTo480)
{
    std::wstring longer;
    for (int i = 0; i < 8; ++i)
        longer += kLongText;
    OpenBox open(longer.c_str(), MSGBOX_OK, true);
    EXPECT_EQ(open.Size().cx, 480);
    EXPECT_EQ(open.Label()->GetText(), longer.c_str());
    EXPECT_EQ(open.box().GetPaintManager().FindControl(L"btnGo"), nullptr);

    OpenBox shortBox(L"安装目录无效", MSGBOX_OK, true);
    EXPECT_EQ(shortBox.Size().cx, 320);
    EXPECT_EQ(shortBox.Size().cy, 180);
}

TEST_F(OlderForm, ShowMsgBoxLeavesAHiddenOwnerHidden)
{
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_HIDE);
    bool ownerVisible = true;
    BoxUser user([&](CMsgBoxDlg* box) {
        ownerVisible = ::IsWindowVisible(owner);
        dialogtest::ClickControl(box, L"btnYes");
    });
    EXPECT_EQ(CMsgBoxDlg::ShowMsgBox(owner, L"提示", L"是否覆盖安装？", MSGBOX_YESNO), 2);
    EXPECT_FALSE(ownerVisible);
    ::DestroyWindow(owner);
}
