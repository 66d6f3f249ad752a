// DrawTextW with DT_CALCRECT: the sizes the message box fits itself to.
#include "tests/platform/gdi/Canvas.h"

#include <gtest/gtest.h>

namespace
{
using gditest::Canvas;

TEST(DrawTextMeasure, SingleLineTakesTheTextWidthAndOneLineHeight)
{
    Canvas canvas(10, 10);
    RECT rect{5, 7, 9999, 9999};
    const int height = DrawTextW(canvas.dc(), L"Hello, world", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    // Left and top stay; right and bottom bound the text.
    EXPECT_EQ(5, rect.left);
    EXPECT_EQ(7, rect.top);
    EXPECT_GT(rect.right - rect.left, 50);
    EXPECT_LT(rect.right - rect.left, 110);
    EXPECT_EQ(height, rect.bottom - rect.top);
    EXPECT_GE(height, 15);
    EXPECT_LE(height, 22);

    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), L"Hello, world", 12, &size));
    EXPECT_EQ(rect.right - rect.left, size.cx);
    EXPECT_EQ(height, size.cy);
}

TEST(DrawTextMeasure, ShortChineseMessageFitsTheSmallBox)
{
    // The login data error at the message box's 14 pixel face stays on one line below 260.
    Canvas canvas(10, 10);
    const RECT rect = canvas.Measure(L"登录信息异常", 9999);
    EXPECT_GT(rect.right, 6 * 12);
    EXPECT_LT(rect.right, 260);
    EXPECT_LT(rect.bottom, 25);
}

TEST(DrawTextMeasure, CountLimitsTheText)
{
    Canvas canvas(10, 10);
    RECT whole{0, 0, 9999, 9999};
    RECT part{0, 0, 9999, 9999};
    DrawTextW(canvas.dc(), L"abcdef", -1, &whole, DT_CALCRECT);
    DrawTextW(canvas.dc(), L"abcdef", 3, &part, DT_CALCRECT);
    EXPECT_LT(part.right, whole.right);
    EXPECT_EQ(canvas.Measure(L"abc", 9999, 0).right, part.right);
}

TEST(DrawTextMeasure, WordBreakWrapsAtTheWidth)
{
    Canvas canvas(10, 10);
    const wchar_t* text = L"one two three four five six seven eight nine ten";
    const RECT line = canvas.Measure(text, 9999);
    const RECT wrapped = canvas.Measure(text, 100);
    EXPECT_LE(wrapped.right, 100);
    EXPECT_GE(wrapped.bottom, 3 * line.bottom);
    // Without DT_WORDBREAK the width does not wrap.
    EXPECT_EQ(line.bottom, canvas.Measure(text, 100, 0).bottom);
    // Line breaks in the text always break, except with DT_SINGLELINE.
    EXPECT_EQ(2 * line.bottom, canvas.Measure(L"one\r\ntwo", 9999, 0).bottom);
    EXPECT_EQ(line.bottom, canvas.Measure(L"one\r\ntwo", 9999, DT_SINGLELINE).bottom);
}

TEST(DrawTextMeasure, OneWideRectangleGivesTheWidestUnbreakablePiece)
{
    Canvas canvas(10, 10);
    // A word wider than the rectangle overflows it whole, as GDI does without DT_EDITCONTROL.
    const RECT word = canvas.Measure(L"abcdefghijklmnopqrstuvwxyz", 9999);
    const RECT narrow = canvas.Measure(L"ab abcdefghijklmnopqrstuvwxyz cd", 1);
    EXPECT_EQ(word.right, narrow.right);
    EXPECT_EQ(3 * word.bottom, narrow.bottom);

    // Chinese breaks between any two characters: the widest piece is one character.
    const RECT one = canvas.Measure(L"异", 9999);
    const RECT chinese = canvas.Measure(L"登录信息异常", 1);
    EXPECT_LE(chinese.right, one.right + 1);
    EXPECT_GE(chinese.right, 10);
    EXPECT_EQ(6 * one.bottom, chinese.bottom);
}

TEST(DrawTextMeasure, MessageBoxFittingLoopSettles)
{
    // The message box widens its trial width by the widest piece until the ratio settles;
    // measurements must shrink in height as the width grows and reach the one-line size.
    Canvas canvas(10, 10);
    const wchar_t* text = L"    当前选择的安装目录无效，请重新选择一个有写入权限的文件夹后再继续安装";
    const LONG piece = canvas.Measure(text, 1).right;
    ASSERT_GT(piece, 0);
    const RECT full = canvas.Measure(text, 9999);
    LONG previousHeight = 1 << 30;
    for (LONG width = piece; width < full.right + piece; width += piece)
    {
        const RECT rect = canvas.Measure(text, width);
        EXPECT_LE(rect.bottom, previousHeight) << width;
        EXPECT_LE(rect.right, std::max(width, piece)) << width;
        previousHeight = rect.bottom;
    }
    EXPECT_EQ(full.bottom, previousHeight);
}

TEST(DrawTextMeasure, EmptyTextHasNoExtent)
{
    Canvas canvas(10, 10);
    RECT rect{3, 4, 100, 100};
    EXPECT_EQ(0, DrawTextW(canvas.dc(), L"", -1, &rect, DT_CALCRECT | DT_WORDBREAK));
    EXPECT_EQ(3, rect.left);
    EXPECT_EQ(4, rect.top);
    EXPECT_EQ(3, rect.right);
    EXPECT_EQ(4, rect.bottom);
    RECT counted{0, 0, 100, 100};
    EXPECT_EQ(0, DrawTextW(canvas.dc(), L"abc", 0, &counted, DT_CALCRECT));
    // A null text with a zero count is empty, not a crash.
    EXPECT_EQ(0, DrawTextW(canvas.dc(), nullptr, 0, &counted, DT_CALCRECT));
}

TEST(DrawTextMeasure, PrefixesAndTabsChangeWhatIsMeasured)
{
    Canvas canvas(10, 10);
    // "&" marks a mnemonic and takes no room; "&&" shows one "&".
    EXPECT_EQ(canvas.Measure(L"Save", 9999, 0).right, canvas.Measure(L"&Save", 9999, 0).right);
    EXPECT_EQ(canvas.Measure(L"&Save", 9999, DT_NOPREFIX).right, canvas.Measure(L"&&Save", 9999, 0).right);
    EXPECT_GT(canvas.Measure(L"&Save", 9999, DT_NOPREFIX).right, canvas.Measure(L"Save", 9999, 0).right);
    // An expanded tab reaches the next stop of eight average characters.
    EXPECT_GT(canvas.Measure(L"a\tb", 9999, DT_EXPANDTABS).right, canvas.Measure(L"a\tb", 9999, 0).right);
}

TEST(DrawTextMeasure, EndEllipsisKeepsTheTextWithinTheRectangle)
{
    Canvas canvas(10, 10);
    const wchar_t* text = L"C:/a/very/long/path/to/some/picture/that/does/not/fit.heic";
    EXPECT_GT(canvas.Measure(text, 120, DT_SINGLELINE).right, 120);
    EXPECT_LE(canvas.Measure(text, 120, DT_SINGLELINE | DT_END_ELLIPSIS).right, 120);
    EXPECT_LE(canvas.Measure(text, 120, DT_SINGLELINE | DT_PATH_ELLIPSIS).right, 120);
}

TEST(DrawTextMeasure, InvalidArgumentsFail)
{
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(0, DrawTextW(nullptr, L"x", -1, &rect, DT_CALCRECT));
    EXPECT_EQ(0, DrawTextW(reinterpret_cast<HDC>(0x1234), L"x", -1, &rect, DT_CALCRECT));
    Canvas canvas(10, 10);
    EXPECT_EQ(0, DrawTextW(canvas.dc(), L"x", -1, nullptr, DT_CALCRECT));
}
} // namespace
