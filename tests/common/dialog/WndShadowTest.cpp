// The shadow window around a dialog: where it lies, how it follows its owner, what it paints,
// and that it goes with its owner. Headless there is no compositor, so the tests turn shadow
// windows on themselves.
#include "tests/support/DialogKit.h"

#include "platform/Gdi.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
class ShadowWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CWndShadow::Initialize(nullptr);
        m_wasUsing = CWndShadow::IsUsingShadowWindow();
        CWndShadow::SetUseShadowWindow(true);
        // The message box makes the process's skin the embedded one.
        CMsgBoxDlg box;
        box.Create(nullptr, L"", WS_POPUP, 0);
        ::DestroyWindow(box.GetHWND());
    }
    void TearDown() override { CWndShadow::SetUseShadowWindow(m_wasUsing); }

    static RECT Rect(HWND hwnd)
    {
        RECT rc{};
        ::GetWindowRect(hwnd, &rc);
        return rc;
    }
    static std::uint8_t AlphaAt(cairo_surface_t* surface, int x, int y)
    {
        cairo_surface_flush(surface);
        const unsigned char* row =
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        return static_cast<std::uint8_t>(reinterpret_cast<const std::uint32_t*>(row)[x] >> 24);
    }

    bool m_wasUsing = false;
};
} // namespace

TEST_F(ShadowWindows, SurroundsTheOwnerByTheCornersAndFollowsIt)
{
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_SHOWNORMAL);
    CWndShadow shadow;
    ASSERT_TRUE(shadow.Create(owner));
    EXPECT_TRUE(shadow.SetImage(L"shadow.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0}));
    const HWND hwnd = shadow.GetHWND();
    ASSERT_NE(hwnd, nullptr);
    dialogtest::Pump();
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    RECT rc = Rect(hwnd);
    EXPECT_EQ(rc.left, 200 - 16);
    EXPECT_EQ(rc.top, 150 - 16);
    EXPECT_EQ(rc.right, 200 + 640 + 16);
    EXPECT_EQ(rc.bottom, 150 + 400 + 16);

    ::SetWindowPos(owner, nullptr, 50, 60, 300, 200, SWP_NOZORDER);
    rc = Rect(hwnd);
    EXPECT_EQ(rc.left, 34);
    EXPECT_EQ(rc.bottom, 60 + 200 + 16);

    ::ShowWindow(owner, SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::ShowWindow(owner, SW_SHOWNORMAL);
    dialogtest::Pump();
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::ShowWindow(owner, SW_SHOWMINIMIZED);
    EXPECT_FALSE(::IsWindowVisible(hwnd));

    ::DestroyWindow(owner);
    EXPECT_FALSE(::IsWindow(hwnd)) << "the shadow goes with its owner";
}

TEST_F(ShadowWindows, PaintsASoftBorderAndLeavesTheOwnersAreaClear)
{
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_SHOWNORMAL);
    CWndShadow shadow;
    ASSERT_TRUE(shadow.Create(owner));
    shadow.SetImage(L"shadow.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0});
    const HWND hwnd = shadow.GetHWND();
    ::UpdateWindow(hwnd);
    cairo_surface_t* surface = platform::headless::WindowSurface(hwnd);
    ASSERT_NE(surface, nullptr);
    const int width = cairo_image_surface_get_width(surface);
    // Darkest next to the owner's edge, fading outwards, the same all along the edge.
    const std::uint8_t inner = AlphaAt(surface, width / 2, 15);
    EXPECT_GT(inner, 20);
    EXPECT_LT(AlphaAt(surface, width / 2, 2), inner);
    EXPECT_EQ(AlphaAt(surface, width / 4, 15), inner);
    EXPECT_EQ(AlphaAt(surface, 0, 0), 0);
    EXPECT_EQ(AlphaAt(surface, width / 2, 200), 0) << "the owner's own area";
    ::DestroyWindow(owner);
}

TEST_F(ShadowWindows, AShadowThatOutlivesItsOwnerOrDiesFirstLeavesNothingBehind)
{
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_SHOWNORMAL);
    HWND hwnd = nullptr;
    {
        CWndShadow shadow;
        ASSERT_TRUE(shadow.Create(owner));
        shadow.SetImage(L"shadow.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0});
        hwnd = shadow.GetHWND();
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    // The owner's procedure is its own again.
    ::SetWindowPos(owner, nullptr, 10, 10, 100, 100, SWP_NOZORDER);
    EXPECT_TRUE(::DestroyWindow(owner));
}

TEST(WndShadow, WithoutACompositorNoWindowIsMade)
{
    CWndShadow::Initialize(nullptr);
    ASSERT_FALSE(CWndShadow::IsUsingShadowWindow()) << "headless";
    const HWND owner = dialogtest::MakePlainWindow(L"owner", SW_SHOWNORMAL);
    CWndShadow shadow;
    EXPECT_TRUE(shadow.Create(owner));
    shadow.SetImage(L"shadow.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0});
    EXPECT_EQ(shadow.GetHWND(), nullptr);
    EXPECT_FALSE(shadow.Create(nullptr));
    ::DestroyWindow(owner);
}
