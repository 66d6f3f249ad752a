// The drop shadow without a compositor (as on the headless backend): a soft band drawn by the
// owner's paint manager over its controls, along the window's edges only.
#include "tests/ui/SkinKit.h"

#include "ui/UIlib.h"
#include "ui/WndShadow.h"

#include "platform/Gdi.h"

#include <gtest/gtest.h>

#include <memory>

using namespace DuiLib;
using uitest::PixelAt;

namespace
{
// White window; a red block sits in the top-left corner, under the band.
const char* const kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="200,120">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="40">
      <Control name="red" width="60" bkcolor="#FFFF0000"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr int kDepth = CWndShadow::kInnerDepth;

class PlainWindow : public WindowImplBase
{
public:
    LPCTSTR GetWindowClassName() const override { return L"UiShadowedWindow"; }
    CDuiString GetSkinFile() override { return L"shadowed.xml"; }
};

int Red(std::uint32_t pixel)
{
    return static_cast<int>((pixel >> 16) & 0xFF);
}

int Green(std::uint32_t pixel)
{
    return static_cast<int>((pixel >> 8) & 0xFF);
}

class InnerShadow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_skin.ok());
        ASSERT_TRUE(CWndShadow::Initialize(nullptr));
        ASSERT_FALSE(CWndShadow::IsUsingShadowWindow()) << "headless: nothing composites";
        m_window.Create(nullptr, L"shadowed", WS_POPUP | WS_VISIBLE, 0);
        ASSERT_NE(Hwnd(), nullptr);
        Repaint();
    }
    void TearDown() override
    {
        if (::IsWindow(Hwnd()))
            ::DestroyWindow(Hwnd());
    }

    HWND Hwnd() const { return m_window.GetHWND(); }
    std::unique_ptr<CWndShadow> AddShadow() const
    {
        auto shadow = std::make_unique<CWndShadow>();
        EXPECT_TRUE(shadow->Create(Hwnd()));
        EXPECT_TRUE(shadow->SetImage(L"ramp.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0}));
        Repaint();
        return shadow;
    }
    void Repaint() const
    {
        ::UpdateWindow(Hwnd());
        uitest::Pump();
    }
    std::uint32_t At(int x, int y) const { return PixelAt(platform::headless::WindowSurface(Hwnd()), x, y); }

    uitest::ScopedSkinZip m_skin{{"shadowed.xml", kSkin}, {"ramp.png", uitest::RampPng(16, 12)}};
    PlainWindow m_window;
};
} // namespace

TEST_F(InnerShadow, AWindowWithoutAShadowKeepsItsEdges)
{
    EXPECT_EQ(At(100, 119), kWhite);
    EXPECT_EQ(At(199, 80), kWhite);
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(100, 60), kWhite);
}

TEST_F(InnerShadow, EveryEdgeIsDarkestAtTheEdgeAndFadesInwards)
{
    const auto shadow = AddShadow();
    EXPECT_EQ(shadow->GetHWND(), nullptr) << "drawn inside, not in a window of its own";
    EXPECT_EQ(At(100, 60), kWhite) << "the interior";
    // (x, y) on the edge and the step inwards, for the bottom, right and top edges.
    const struct
    {
        int x, y, dx, dy;
    } edges[] = {{100, 119, 0, -1}, {199, 60, -1, 0}, {100, 0, 0, 1}};
    for (const auto& e : edges)
    {
        int previous = -1;
        for (int i = 0; i < kDepth; ++i)
        {
            const int level = Green(At(e.x + i * e.dx, e.y + i * e.dy));
            EXPECT_GT(level, previous) << "lighter step by step, at " << e.x << "," << e.y << " + " << i;
            previous = level;
        }
        EXPECT_LT(Green(At(e.x, e.y)), 255 - 100) << "dark at the very edge";
        EXPECT_EQ(At(e.x + kDepth * e.dx, e.y + kDepth * e.dy), kWhite) << "nothing beyond the band";
    }
    EXPECT_EQ(Green(At(100, 119)), Green(At(30, 119))) << "even along an edge";
    EXPECT_LT(Green(At(199, 119)), Green(At(199, 60))) << "corners take both edges";
}

TEST_F(InnerShadow, ControlsUnderTheBandStayPaintedAndShowThroughIt)
{
    const auto shadow = AddShadow();
    EXPECT_EQ(At(30, kDepth), kRed) << "below the band the control is untouched";
    EXPECT_EQ(At(30, 30), kRed);
    const std::uint32_t edge = At(30, 0);
    EXPECT_EQ(Green(edge), 0) << "the band darkens the control rather than replacing it";
    EXPECT_GT(Red(edge), 0);
    EXPECT_LT(Red(edge), 255);
}

TEST_F(InnerShadow, FollowsSizeChangesAndGoesWithTheShadowObject)
{
    auto shadow = AddShadow();
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 160, 90, SWP_NOZORDER | SWP_NOMOVE);
    Repaint();
    EXPECT_LT(Green(At(80, 89)), 255 - 100) << "the new bottom edge";
    EXPECT_EQ(At(80, 60), kWhite);
    shadow.reset();
    Repaint();
    EXPECT_EQ(At(80, 89), kWhite) << "no band once the shadow is gone";
}

TEST_F(InnerShadow, AShadowThatOutlivesItsWindowIsHarmless)
{
    const auto shadow = AddShadow();
    ::DestroyWindow(Hwnd());
    EXPECT_FALSE(::IsWindow(shadow->GetParentHWND()));
}
