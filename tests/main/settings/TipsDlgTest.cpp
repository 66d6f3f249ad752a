// The toast on the main program's embedded skin: its size from the text, its place over the
// main window (or the screen when that is hidden or minimised), the fade through the layered
// opacity until it closes itself, and CloseAllTips.
#include "main/TipsDlg.h"
#include "tests/main/settings/SettingsKit.h"

#include "platform/Gdi.h"
#include "platform/Kernel.h"
#include "platform/Layered.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <vector>

using namespace DuiLib;

namespace
{
const std::wstring kShort = L"请先添加文件...";
const std::wstring kLong = L"正在处理数据中，请稍后添加文件，转换完成以后就可以继续添加新的图片了...";

RECT RectOf(HWND hwnd)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

int Alpha(HWND hwnd)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) || (flags & LWA_ALPHA) == 0)
        return -1;
    return alpha;
}

// The width the toast's own font gives the text on one line.
int TextWidth(CTipsDlg* tip, const std::wstring& text)
{
    CPaintManagerUI& pm = tip->GetPaintManager();
    HDC dc = pm.GetPaintDC();
    const HGDIOBJ old = ::SelectObject(dc, pm.GetFont(0));
    RECT rc{0, 0, 9999, 9999};
    ::DrawTextW(dc, text.c_str(), -1, &rc, DT_CALCRECT);
    ::SelectObject(dc, old);
    return rc.right - rc.left;
}

class TipsDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { m_main = dialogtest::MakePlainWindow(L"main", SW_SHOW); }
    void TearDown() override
    {
        CloseAllTips();
        ::DestroyWindow(m_main);
        dialogtest::Pump();
        EXPECT_TRUE(g_vecTips.empty());
    }
    CTipsDlg* Open(const std::wstring& text)
    {
        const size_t before = g_vecTips.size();
        ShowTips(m_main, text);
        return g_vecTips.size() == before + 1 ? g_vecTips.back() : nullptr;
    }

    HWND m_main = nullptr;
};
} // namespace

TEST_F(TipsDlgTest, SizedToItsTextAndCentredOverTheMainWindow)
{
    CTipsDlg* small = Open(kShort);
    CTipsDlg* big = Open(kLong);
    ASSERT_TRUE(small && big);
    for (auto [tip, text] : {std::pair{small, kShort}, std::pair{big, kLong}})
    {
        const HWND hwnd = tip->GetHWND();
        const RECT rc = RectOf(hwnd);
        EXPECT_EQ(rc.right - rc.left, TextWidth(tip, text) + 40);
        EXPECT_EQ(rc.bottom - rc.top, 32);
        const RECT main = RectOf(m_main);
        EXPECT_NEAR((rc.left + rc.right) / 2, (main.left + main.right) / 2, 1);
        EXPECT_NEAR((rc.top + rc.bottom) / 2, (main.top + main.bottom) / 2, 1);
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), m_main);
        EXPECT_EQ(dialogtest::WindowObject<CTipsDlg>(hwnd), tip);
        auto* label = tip->GetPaintManager().FindControl(L"tipsLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetText(), text.c_str());
        EXPECT_EQ(tip->m_nShowTime, 1000);
        EXPECT_EQ(tip->m_nStartAlpha, 155);
        EXPECT_EQ(Alpha(hwnd), 155);
    }
    EXPECT_GT(RectOf(big->GetHWND()).right - RectOf(big->GetHWND()).left,
              RectOf(small->GetHWND()).right - RectOf(small->GetHWND()).left + 200);
}

// A toast that took the keyboard would close itself on the Alt+F4 meant for the main window:
// the display never gives it the focus, not when shown and not when clicked.
TEST_F(TipsDlgTest, NeverTakesTheKeyboard)
{
    CTipsDlg* tip = Open(kShort);
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(::GetWindowLongW(tip->GetHWND(), GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
}

TEST_F(TipsDlgTest, PaintsWhiteTextOnItsDarkBacking)
{
    CTipsDlg* tip = Open(kShort);
    ASSERT_NE(tip, nullptr);
    const HWND hwnd = tip->GetHWND();
    ::UpdateWindow(hwnd);
    if (const char* dump = std::getenv("PICTAVO_TIPS_DUMP"))
        settingstest::SavePainted(hwnd, dump);
    EXPECT_EQ(settingstest::PixelAt(hwnd, 10, 16), 0x333333u);
    bool white = false;
    const int width = RectOf(hwnd).right - RectOf(hwnd).left;
    for (int x = 20; x < width - 20 && !white; ++x)
        white = settingstest::PixelAt(hwnd, x, 16) == 0xFFFFFFu ||
                settingstest::PixelAt(hwnd, x, 15) == 0xFFFFFFu;
    EXPECT_TRUE(white) << "no text drawn";
}

TEST_F(TipsDlgTest, EachFadeTickTakesTenOffUntilTheToastClosesItself)
{
    CTipsDlg* tip = Open(kShort);
    ASSERT_NE(tip, nullptr);
    const HWND hwnd = tip->GetHWND();
    std::vector<int> seen;
    for (int tick = 1; tick <= 15; ++tick)
    {
        ::SendMessageW(hwnd, WM_TIMER, TIPS_TIMER_FADE, 0);
        seen.push_back(Alpha(hwnd));
    }
    EXPECT_EQ(seen.front(), 145);
    EXPECT_EQ(seen.back(), 5);
    EXPECT_TRUE(::IsWindow(hwnd));
    ASSERT_EQ(g_vecTips.size(), 1u);

    ::SendMessageW(hwnd, WM_TIMER, TIPS_TIMER_FADE, 0); // the sixteenth
    EXPECT_TRUE(g_vecTips.empty());
    EXPECT_TRUE(dialogtest::PumpUntil([&] { return !::IsWindow(hwnd); }));
}

TEST_F(TipsDlgTest, StaysOneSecondThenFadesOnTheRealTimers)
{
    CTipsDlg* tip = Open(kShort);
    ASSERT_NE(tip, nullptr);
    const HWND hwnd = tip->GetHWND();
    const DWORD start = ::GetTickCount();
    DWORD fadeStart = 0;
    std::vector<int> seen;
    const bool closed = dialogtest::PumpUntil(
        [&] {
            if (!::IsWindow(hwnd))
                return true;
            const int alpha = Alpha(hwnd);
            if (seen.empty() || seen.back() != alpha)
                seen.push_back(alpha);
            if (alpha < 155 && fadeStart == 0)
                fadeStart = ::GetTickCount();
            return false;
        },
        5000);
    ASSERT_TRUE(closed);
    EXPECT_GE(fadeStart - start, 900u);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 155);
    for (size_t i = 1; i < seen.size(); ++i)
    {
        EXPECT_LT(seen[i], seen[i - 1]);
        EXPECT_EQ(seen[i] % 10, 5);
    }
    EXPECT_TRUE(g_vecTips.empty());
}

TEST_F(TipsDlgTest, CloseAllTipsClosesEveryOpenToast)
{
    std::vector<HWND> windows;
    for (const wchar_t* text : {L"正在处理数据中，请稍后添加...", L"正在处理数据中，请稍后删除...",
                                L"正在处理数据中，请稍后修改..."})
    {
        CTipsDlg* tip = Open(text);
        ASSERT_NE(tip, nullptr);
        windows.push_back(tip->GetHWND());
    }
    ASSERT_EQ(g_vecTips.size(), 3u);
    CloseAllTips();
    EXPECT_TRUE(g_vecTips.empty());
    // The closes are posted: the windows go when the loop runs.
    for (HWND hwnd : windows)
        EXPECT_TRUE(::IsWindow(hwnd));
    dialogtest::Pump();
    for (HWND hwnd : windows)
        EXPECT_FALSE(::IsWindow(hwnd));
    CloseAllTips(); // nothing left: nothing happens
}

TEST_F(TipsDlgTest, HiddenOrMinimisedMainWindowGetsItsToastOnTheScreen)
{
    const RECT work = GetWorkAreaRect();
    for (int show : {SW_HIDE, SW_MINIMIZE})
    {
        ::ShowWindow(m_main, show);
        CTipsDlg* tip = Open(kShort);
        ASSERT_NE(tip, nullptr);
        const HWND hwnd = tip->GetHWND();
        const RECT rc = RectOf(hwnd);
        EXPECT_TRUE(::IsWindowVisible(hwnd)) << show;
        EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 1) << show;
        EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 1) << show;
        EXPECT_TRUE(dialogtest::PumpUntil([&] { return !::IsWindow(hwnd); }, 5000)) << show;
    }
    EXPECT_TRUE(g_vecTips.empty());
}

// A toast whose owner goes first goes with it; it must leave the list, or CloseAllTips at exit
// would reach a deleted toast.
TEST_F(TipsDlgTest, ToastDestroyedWithItsOwnerLeavesTheList)
{
    CTipsDlg* tip = Open(kShort);
    ASSERT_NE(tip, nullptr);
    const HWND hwnd = tip->GetHWND();
    ::DestroyWindow(m_main);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(g_vecTips.empty());
    CloseAllTips();
    dialogtest::Pump();
    m_main = dialogtest::MakePlainWindow(L"main", SW_SHOW);
}
