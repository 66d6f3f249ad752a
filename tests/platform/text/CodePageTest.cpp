#include "platform/Text.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// "中文" in GBK and in UTF-8.
const std::string kGbk = "\xd6\xd0\xce\xc4";
const std::wstring kChinese = L"\u4e2d\u6587";

std::wstring ToWide(UINT codePage, const std::string& bytes)
{
    const int size =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    EXPECT_EQ(
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size),
        size);
    return wide;
}

std::string ToBytes(UINT codePage, const std::wstring& wide, BOOL* usedDefault = nullptr)
{
    const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, usedDefault);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                                  nullptr, usedDefault),
              size);
    return bytes;
}
} // namespace

TEST(CodePage, Utf8AndAnsiAreTheSameLosslessEncoding)
{
    const std::wstring text = L"a\u00e9" + kChinese + L"\U0001F600";
    for (UINT codePage : {CP_ACP, CP_UTF8})
    {
        EXPECT_EQ(ToWide(codePage, ToBytes(codePage, text)), text);
        EXPECT_EQ(ToBytes(codePage, kChinese), "\xe4\xb8\xad\xe6\x96\x87");
    }
}

TEST(CodePage, GbkRoundTripsChineseText)
{
    EXPECT_EQ(ToWide(CP_GBK, kGbk + "ok"), kChinese + L"ok");
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToBytes(CP_GBK, kChinese + L"ok", &usedDefault), kGbk + "ok");
    EXPECT_FALSE(usedDefault);
}

TEST(CodePage, MinusOneCountsTheTerminatingZero)
{
    const char* text = "\xe4\xb8\xad!";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 3);
    wchar_t wide[3];
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 3), 3);
    EXPECT_STREQ(wide, L"\u4e2d!");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide, -1, nullptr, 0, nullptr, nullptr), 4);
}

TEST(CodePage, TooSmallBufferFailsWithoutWritingPastIt)
{
    wchar_t wide[4] = {L'x', L'x', L'x', L'#'};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcd", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(wide[3], L'#');
    char bytes[3] = {'x', 'x', '#'};
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, kChinese.c_str(), -1, bytes, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(bytes[2], '#');
}

TEST(CodePage, InvalidInputIsReplacedOrRefusedWhenAsked)
{
    EXPECT_EQ(ToWide(CP_UTF8, "a\xff"
                              "b"),
              L"a\xdcff"
              L"b");                                // the byte kept aside, as file names need
    EXPECT_EQ(ToWide(CP_GBK, "a\xd6"), L"a\uFFFD"); // lead byte cut off at the end
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xff", 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(CP_GBK, L"a\U0001F600b", &usedDefault), "a?b"); // GBK has no emoji
    EXPECT_TRUE(usedDefault);
    char bytes[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, L"\U0001F600", 1, bytes, 8, "*", nullptr), 1);
    EXPECT_EQ(bytes[0], '*');
}

TEST(CodePage, BadArgumentsAreRefused)
{
    wchar_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4), 0);
}
