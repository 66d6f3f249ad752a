// DrawTextW drawing: where the ink lands, in what colour, and that Chinese glyphs appear.
#include "tests/platform/gdi/Canvas.h"

#include <gtest/gtest.h>

namespace
{
using gditest::Canvas;
using gditest::Ink;

Ink DrawAndInk(UINT format, const wchar_t* text = L"Pictavo")
{
    Canvas canvas(300, 60);
    RECT rect{10, 5, 290, 55};
    DrawTextW(canvas.dc(), text, -1, &rect, format);
    return canvas.ink();
}

TEST(DrawTextRender, HorizontalAlignmentPlacesTheInk)
{
    const Ink left = DrawAndInk(DT_LEFT | DT_SINGLELINE);
    const Ink center = DrawAndInk(DT_CENTER | DT_SINGLELINE);
    const Ink right = DrawAndInk(DT_RIGHT | DT_SINGLELINE);
    ASSERT_TRUE(left.any && center.any && right.any);
    EXPECT_GE(left.left, 10);
    EXPECT_LE(left.left, 13);
    EXPECT_LE(right.right, 289);
    EXPECT_GE(right.right, 285);
    const int middle = (center.left + center.right) / 2;
    EXPECT_NEAR(150, middle, 3);
    // The same glyphs, only moved.
    EXPECT_EQ(left.right - left.left, center.right - center.left);
    EXPECT_EQ(left.right - left.left, right.right - right.left);
}

TEST(DrawTextRender, VerticalAlignmentNeedsSingleLine)
{
    const Ink top = DrawAndInk(DT_TOP | DT_SINGLELINE);
    const Ink middle = DrawAndInk(DT_VCENTER | DT_SINGLELINE);
    const Ink bottom = DrawAndInk(DT_BOTTOM | DT_SINGLELINE);
    EXPECT_LT(top.top, middle.top);
    EXPECT_LT(middle.top, bottom.top);
    EXPECT_NEAR(30, (middle.top + middle.bottom) / 2, 4);
    EXPECT_LE(bottom.bottom, 54);
    // Without DT_SINGLELINE, GDI ignores DT_VCENTER and DT_BOTTOM.
    EXPECT_EQ(top.top, DrawAndInk(DT_VCENTER).top);
    EXPECT_EQ(top.top, DrawAndInk(DT_BOTTOM | DT_WORDBREAK).top);
}

TEST(DrawTextRender, ReturnsTheTextHeightOrTheOffsetOfItsBottom)
{
    Canvas canvas(300, 60);
    RECT rect{0, 0, 300, 60};
    const int height = DrawTextW(canvas.dc(), L"x", -1, &rect, DT_SINGLELINE);
    EXPECT_GT(height, 10);
    EXPECT_EQ(60, DrawTextW(canvas.dc(), L"x", -1, &rect, DT_SINGLELINE | DT_BOTTOM));
    EXPECT_EQ(rect.left, 0); // drawing leaves the rectangle alone
    EXPECT_EQ(rect.right, 300);
}

TEST(DrawTextRender, TextColourIsTheColorref)
{
    Canvas canvas(200, 40, L"Microsoft YaHei", -28);
    // 0x00BBGGRR: pure red.
    EXPECT_EQ(0u, SetTextColor(canvas.dc(), RGB(255, 0, 0)));
    RECT rect{0, 0, 200, 40};
    DrawTextW(canvas.dc(), L"■■■", -1, &rect, DT_SINGLELINE | DT_VCENTER);
    const Ink ink = canvas.ink();
    ASSERT_TRUE(ink.any);
    // The middle of a solid glyph is fully covered.
    uint32_t solid = 0;
    for (int x = ink.left; x <= ink.right && solid == 0; ++x)
    {
        const uint32_t pixel = gditest::PixelAt(canvas.surface(), x, (ink.top + ink.bottom) / 2);
        if ((pixel >> 24) == 0xFF)
            solid = pixel;
    }
    EXPECT_EQ(0xFFFF0000u, solid);
    EXPECT_EQ(RGB(255, 0, 0), GetTextColor(canvas.dc()));
}

TEST(DrawTextRender, MissingWindowsFacesStillRenderChinese)
{
    for (const wchar_t* face : {L"Microsoft YaHei", L"微软雅黑", L"宋体", L"Tahoma", L"No Such Face 123"})
    {
        Canvas canvas(200, 40, face, -14);
        RECT rect{0, 0, 200, 40};
        DrawTextW(canvas.dc(), L"转换失败", -1, &rect, DT_SINGLELINE);
        const Ink ink = canvas.ink();
        ASSERT_TRUE(ink.any);
        // Four full-width glyphs, not four narrow boxes or nothing.
        EXPECT_GE(ink.right - ink.left, 4 * 11);
    }
}

TEST(DrawTextRender, OpaqueBackgroundFillsBehindTheText)
{
    Canvas canvas(200, 40);
    SetBkMode(canvas.dc(), OPAQUE);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    RECT rect{0, 0, 200, 40};
    DrawTextW(canvas.dc(), L"ab", -1, &rect, DT_SINGLELINE);
    EXPECT_EQ(0xFF0000FFu, gditest::PixelAt(canvas.surface(), 0, 0));
    // Transparent mode leaves the background.
    Canvas clear(200, 40);
    DrawTextW(clear.dc(), L"ab", -1, &rect, DT_SINGLELINE);
    EXPECT_EQ(0u, gditest::PixelAt(clear.surface(), 0, 0));
}

TEST(DrawTextRender, ClipsToTheRectangleUnlessNoClip)
{
    const wchar_t* text = L"a long line that cannot fit";
    Canvas clipped(300, 40);
    RECT rect{0, 0, 40, 40};
    DrawTextW(clipped.dc(), text, -1, &rect, DT_SINGLELINE);
    EXPECT_LT(clipped.ink().right, 40);
    Canvas unclipped(300, 40);
    DrawTextW(unclipped.dc(), text, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(unclipped.ink().right, 100);
}

TEST(DrawTextRender, DrawsAtTheCurrentTransform)
{
    Canvas canvas(300, 100);
    cairo_translate(platform::CairoOf(canvas.dc()), 100, 50);
    RECT rect{0, 0, 200, 50};
    DrawTextW(canvas.dc(), L"Pictavo", -1, &rect, DT_SINGLELINE);
    const Ink ink = canvas.ink();
    EXPECT_GE(ink.left, 100);
    EXPECT_GE(ink.top, 50);
}
} // namespace
