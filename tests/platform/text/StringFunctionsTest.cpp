#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>

TEST(StringFunctions, BoundedCopiesNeverWritePastTheBuffer)
{
    wchar_t buffer[6] = {L'x', L'x', L'x', L'x', L'x', L'#'};
    EXPECT_EQ(wcscpy_s(buffer, 5, L"abcd"), 0);
    EXPECT_STREQ(buffer, L"abcd");
    EXPECT_EQ(wcscpy_s(buffer, 5, L"abcde"), ERANGE);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(buffer[5], L'#');

    EXPECT_EQ(wcsncpy_s(buffer, 5, L"abcdefgh", _TRUNCATE), STRUNCATE);
    EXPECT_STREQ(buffer, L"abcd");
    EXPECT_EQ(wcsncpy_s(buffer, 5, L"abcdefgh", 3), 0);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(wcsncpy_s(buffer, 5, L"abcdefgh", 5), ERANGE);

    EXPECT_EQ(wcscpy_s(buffer, 5, L"ab"), 0);
    EXPECT_EQ(wcscat_s(buffer, 5, L"cd"), 0);
    EXPECT_STREQ(buffer, L"abcd");
    EXPECT_EQ(wcscat_s(buffer, 5, L"e"), ERANGE);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(buffer[5], L'#');

    char narrow[4];
    EXPECT_EQ(strcpy_s(narrow, "abc"), 0);
    EXPECT_EQ(strcpy_s(narrow, "abcd"), ERANGE);
    EXPECT_EQ(wcscpy_s(nullptr, 4, L"a"), EINVAL);
}

TEST(StringFunctions, LstrcpynAlwaysTerminates)
{
    wchar_t buffer[5] = {L'x', L'x', L'x', L'x', L'#'};
    lstrcpynW(buffer, L"abcdef", 4);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(buffer[4], L'#');
    EXPECT_EQ(lstrlenW(buffer), 3);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    EXPECT_EQ(lstrlenA("ab"), 2);
    lstrcpyW(buffer, L"ab");
    lstrcatW(buffer, L"c");
    EXPECT_STREQ(buffer, L"abc");
}

TEST(StringFunctions, ComparisonsFoldCaseOnlyWhenAsked)
{
    EXPECT_EQ(lstrcmpW(L"abc", L"abc"), 0);
    EXPECT_LT(lstrcmpW(L"Update", L"update"), 0);
    EXPECT_EQ(lstrcmpiW(L"Update.EXE", L"update.exe"), 0);
    EXPECT_EQ(_wcsicmp(L"ABC", L"abc"), 0);
    EXPECT_GT(_wcsicmp(L"abd", L"ABC"), 0);
    EXPECT_EQ(_wcsnicmp(L"ABCx", L"abcy", 3), 0);
    EXPECT_NE(_wcsnicmp(L"ABCx", L"abcy", 4), 0);
    EXPECT_EQ(_stricmp("HeIc", "heic"), 0);
    EXPECT_LT(lstrcmpW(nullptr, L"a"), 0);
    EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
}

TEST(StringFunctions, NumberConversions)
{
    EXPECT_EQ(_wtoi(L"  -42abc"), -42);
    EXPECT_EQ(_wtoi(L"+7"), 7);
    EXPECT_EQ(_wtoi(L"99999999999"), INT_MAX);
    EXPECT_EQ(_wtoi(L"-99999999999"), INT_MIN);
    EXPECT_EQ(_wtoi(nullptr), 0);
    wchar_t buffer[12];
    EXPECT_EQ(_itow_s(-2147483647 - 1, buffer, 10), 0);
    EXPECT_STREQ(buffer, L"-2147483648");
    EXPECT_EQ(_itow_s(255, buffer, 16), 0);
    EXPECT_STREQ(buffer, L"ff");
    EXPECT_EQ(_itow_s(-1, buffer, 16), 0);
    EXPECT_STREQ(buffer, L"ffffffff");
    wchar_t small[3];
    EXPECT_EQ(_itow_s(123, small, 10), ERANGE);
    EXPECT_STREQ(small, L"");
}
