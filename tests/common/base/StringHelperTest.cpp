#include "common/base/StringHelper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SplitString, SplitsAtEachDelimiterAndDropsEmptyPieces)
{
    struct Case
    {
        std::string text;
        std::string delimiters;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"800x600", "x", {"800", "600"}},
        {"x600", "x", {"600"}},
        {"a,,b", ",", {"a", "b"}},
        {"a,b;c d", ",; ", {"a", "b", "c", "d"}},
        {",,,", ",", {}},
        {"abc", ",", {"abc"}},
        {"a,", ",", {"a"}},
        // The set is a set of single characters, never one multi-character separator.
        {"a-+b+-c", "+-", {"a", "b", "c"}},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> out;
        EXPECT_EQ(SplitString(&out, c.text, c.delimiters), static_cast<int>(c.pieces.size())) << c.text;
        EXPECT_EQ(out, c.pieces) << c.text;
    }
}

TEST(SplitString, AppendsWithoutClearingAndIgnoresEmptyInput)
{
    std::vector<std::string> out = {"kept"};
    EXPECT_EQ(SplitString(&out, "1x2", "x"), 2);
    EXPECT_EQ(out, (std::vector<std::string>{"kept", "1", "2"}));
    EXPECT_EQ(SplitString(&out, "", "x"), 0);
    EXPECT_EQ(SplitString(&out, "1x2", ""), 0);
    EXPECT_EQ(out.size(), 3u);
}

TEST(Conversions, KeepChineseTextAndStopAtZero)
{
    const std::wstring chinese = L"图片转换器 Pictavo 卸载程序";
    const std::string ansi = WideToAnsi(chinese);
    EXPECT_EQ(ansi, "图片转换器 Pictavo 卸载程序");
    EXPECT_EQ(AnsiToWide(ansi), chinese);
    EXPECT_EQ(AnsiToUtf8(ansi), "图片转换器 Pictavo 卸载程序");
    EXPECT_EQ(Utf8ToAnsi("正在处理数据中"), "正在处理数据中");
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(std::wstring(L"ab\0cd", 5)), "ab");
    EXPECT_EQ(AnsiToWide(std::string("转\0换", 7)), L"转");
    EXPECT_EQ(Utf8ToAnsi(std::string("a\0b", 3)), "a");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce)
{
    std::wstring text = L"a\\b\\\\c";
    ReplaceAll(text, L"\\", L"/");
    EXPECT_EQ(text, L"a/b//c");
    // A replacement that holds the searched text is not searched again.
    text = L"aXa";
    ReplaceAll(text, L"a", L"aa");
    EXPECT_EQ(text, L"aaXaa");
    text = L"abcabc";
    ReplaceAll(text, L"bc", L"");
    EXPECT_EQ(text, L"aa");
    // An empty pattern would match forever: nothing changes.
    text = L"abc";
    ReplaceAll(text, L"", L"x");
    EXPECT_EQ(text, L"abc");
}

TEST(NormalizeSlashes, TurnsBackslashesAndEndsWithSlash)
{
    std::wstring path = L"C:\\a\\b";
    NormalizeSlashes(path);
    EXPECT_EQ(path, L"C:/a/b/");
    path = L"C:/a/";
    NormalizeSlashes(path);
    EXPECT_EQ(path, L"C:/a/");
    path = L"/home/user";
    NormalizeSlashes(path);
    EXPECT_EQ(path, L"/home/user/");
    path.clear();
    NormalizeSlashes(path);
    EXPECT_EQ(path, L"");
}
