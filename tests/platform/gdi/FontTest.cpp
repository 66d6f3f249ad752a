// Fonts: what they remember, how big they come out, and their lifetime in device contexts.
#include "tests/platform/gdi/Canvas.h"

#include <cstring>
#include <gtest/gtest.h>

namespace
{
using gditest::Canvas;
using gditest::MakeFont;

TEST(Font, GetObjectReturnsTheLogFont)
{
    LOGFONTW in{};
    in.lfHeight = -18;
    in.lfWeight = FW_BOLD;
    in.lfItalic = 1;
    in.lfUnderline = 1;
    std::wcscpy(in.lfFaceName, L"微软雅黑");
    const HFONT font = CreateFontIndirectW(&in);
    ASSERT_NE(nullptr, font);
    LOGFONTW out{};
    EXPECT_EQ(static_cast<int>(sizeof(LOGFONTW)), GetObjectW(font, sizeof(out), &out));
    EXPECT_EQ(0, std::memcmp(&in, &out, sizeof(LOGFONTW)));
    EXPECT_EQ(static_cast<int>(sizeof(LOGFONTW)), GetObjectW(font, 0, nullptr));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(0, GetObjectW(font, sizeof(out), &out));
}

TEST(Font, AnOverlongFaceNameIsCutNotOverrun)
{
    LOGFONTW in{};
    in.lfHeight = -12;
    for (auto& c : in.lfFaceName)
        c = L'x';
    const HFONT font = CreateFontIndirectW(&in);
    LOGFONTW out{};
    GetObjectW(font, sizeof(out), &out);
    EXPECT_EQ(0, out.lfFaceName[LF_FACESIZE - 1]);
    DeleteObject(font);
    const HFONT made = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                   L"a face name that is far longer than thirty-two characters");
    ASSERT_NE(nullptr, made);
    GetObjectW(made, sizeof(out), &out);
    EXPECT_EQ(std::wstring(L"a face name that is far longer "), out.lfFaceName);
    DeleteObject(made);
}

TEST(Font, NegativeHeightIsTheCharacterSizePositiveTheCell)
{
    Canvas small(10, 10, L"Microsoft YaHei", -14);
    Canvas large(10, 10, L"Microsoft YaHei", -28);
    TEXTMETRICW s{}, l{};
    ASSERT_TRUE(GetTextMetricsW(small.dc(), &s));
    ASSERT_TRUE(GetTextMetricsW(large.dc(), &l));
    EXPECT_NEAR(2 * s.tmHeight, l.tmHeight, 2);
    EXPECT_GE(s.tmHeight, 14);
    EXPECT_EQ(s.tmHeight, s.tmAscent + s.tmDescent);
    EXPECT_EQ(s.tmHeight - 14, s.tmInternalLeading);
    EXPECT_GT(s.tmAveCharWidth, 3);
    EXPECT_LT(s.tmAveCharWidth, 14);

    // A cell height of 19 gives a font whose ascent plus descent is about 19.
    Canvas cell(10, 10, L"Microsoft YaHei", s.tmHeight);
    TEXTMETRICW c{};
    ASSERT_TRUE(GetTextMetricsW(cell.dc(), &c));
    EXPECT_NEAR(s.tmHeight, c.tmHeight, 1);
    EXPECT_EQ(96, GetDeviceCaps(cell.dc(), LOGPIXELSY));
}

// The sum of alpha of everything drawn.
long Coverage(cairo_surface_t* surface)
{
    long sum = 0;
    const int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            sum += gditest::PixelAt(surface, x, y) >> 24;
    }
    return sum;
}

TEST(Font, BoldDrawsHeavierStrokes)
{
    // The installed CJK font has no bold face: the weight must still show (synthesised).
    Canvas normal(200, 40);
    Canvas bold(200, 40, L"Microsoft YaHei", -14);
    const HFONT boldFont = MakeFont(L"Microsoft YaHei", -14, FW_BOLD);
    const HGDIOBJ previous = SelectObject(bold.dc(), boldFont);
    RECT rect{0, 0, 200, 40};
    DrawTextW(normal.dc(), L"转换失败", -1, &rect, DT_SINGLELINE);
    DrawTextW(bold.dc(), L"转换失败", -1, &rect, DT_SINGLELINE);
    EXPECT_GT(Coverage(bold.surface()), Coverage(normal.surface()) * 11 / 10);
    SelectObject(bold.dc(), previous);
    DeleteObject(boldFont);
}

TEST(Font, SelectObjectReturnsThePreviousFont)
{
    Canvas canvas(10, 10);
    const HFONT a = MakeFont(L"Tahoma", -12);
    const HFONT b = MakeFont(L"Tahoma", -20);
    const HGDIOBJ original = SelectObject(canvas.dc(), a);
    ASSERT_NE(nullptr, original);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(a), SelectObject(canvas.dc(), b));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(b), SelectObject(canvas.dc(), original));
    // Nothing that is not a font is selected.
    EXPECT_EQ(nullptr, SelectObject(canvas.dc(), reinterpret_cast<HGDIOBJ>(0x7777)));
    EXPECT_EQ(nullptr, SelectObject(nullptr, a));
    DeleteObject(a);
    DeleteObject(b);
}

TEST(Font, DeletingASelectedFontKeepsTheDeviceContextDrawing)
{
    Canvas canvas(200, 40);
    const HFONT font = MakeFont(L"Microsoft YaHei", -20);
    const HGDIOBJ previous = SelectObject(canvas.dc(), font);
    const LONG before = canvas.Measure(L"转换失败", 9999, 0).right;
    EXPECT_TRUE(DeleteObject(font));
    // The device context still owns what it draws with (checked by the sanitizer build).
    EXPECT_EQ(before, canvas.Measure(L"转换失败", 9999, 0).right);
    RECT rect{0, 0, 200, 40};
    DrawTextW(canvas.dc(), L"转换失败", -1, &rect, DT_SINGLELINE);
    EXPECT_TRUE(canvas.ink().any);
    // The deleted handle cannot be selected again; the stock font can.
    EXPECT_EQ(nullptr, SelectObject(canvas.dc(), font));
    EXPECT_NE(nullptr, SelectObject(canvas.dc(), previous));
}

TEST(Font, StockFontsAreAlwaysThere)
{
    const HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    ASSERT_NE(nullptr, gui);
    EXPECT_TRUE(DeleteObject(gui));
    LOGFONTW font{};
    EXPECT_EQ(static_cast<int>(sizeof(font)), GetObjectW(gui, sizeof(font), &font));
    EXPECT_LT(font.lfHeight, 0);
    EXPECT_EQ(nullptr, GetStockObject(12345));
}

TEST(Font, DeviceContextsOutliveNothingTheyUse)
{
    // Many device contexts and fonts made and dropped in every order.
    for (int i = 0; i < 50; ++i)
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
        cairo_t* cr = cairo_create(surface);
        const HDC dc = platform::CreateCairoDC(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        const HFONT font = MakeFont(L"宋体", -12 - i % 5);
        SelectObject(dc, font);
        if (i % 2 == 0)
            DeleteObject(font);
        RECT rect{0, 0, 20, 20};
        DrawTextW(dc, L"字", -1, &rect, DT_SINGLELINE);
        platform::DeleteCairoDC(dc);
        if (i % 2 == 1)
            DeleteObject(font);
        EXPECT_EQ(nullptr, platform::CairoOf(dc));
    }
}
} // namespace
