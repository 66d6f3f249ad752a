#include "platform/DebugOutput.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::wstring Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = platform::FormatWide(format, args);
    va_end(args);
    return text;
}
} // namespace

TEST(Format, WindowsConversionsTable)
{
    const char* narrow = "n\xe4\xb8\xad";
    const wchar_t* wide = L"w\u4e2d";
    const wchar_t* nullWide = nullptr;
    EXPECT_EQ(Format(L"%s|%S|%hs|%ls|%hS", wide, narrow, narrow, wide, narrow),
              L"w\u4e2d|n\u4e2d|n\u4e2d|w\u4e2d|n\u4e2d");
    EXPECT_EQ(Format(L"[%s]", nullWide), L"[(null)]");
    EXPECT_EQ(Format(L"%c%C%lc", L'\u4e2d', 'a', L'b'), L"\u4e2dab");
    EXPECT_EQ(Format(L"%d %i %u %x %X %o", -5, 7, 4294967295u, 255, 255, 8), L"-5 7 4294967295 ff FF 10");
    EXPECT_EQ(Format(L"[%5d][%-5d][%05d][%+d][% d][%.3d]", 42, 42, -42, 42, 42, 7),
              L"[   42][42   ][-0042][+42][ 42][007]");
    EXPECT_EQ(Format(L"[%#x][%#X][%#o][%#x]", 255, 255, 8, 0), L"[0xff][0XFF][010][0]");
    EXPECT_EQ(Format(L"[%*d][%-*d][%.*s]", 4, 1, 3, 2, 2, L"abcdef"), L"[   1][2  ][ab]");
    EXPECT_EQ(Format(L"[%*d]", -3, 1), L"[1  ]");
    EXPECT_EQ(Format(L"%I64d %I64u %lld %I32d %zu %Id", INT64_MIN, UINT64_MAX, 1LL << 40, -1, SIZE_MAX,
                     static_cast<std::intptr_t>(-3)),
              L"-9223372036854775808 18446744073709551615 1099511627776 -1 18446744073709551615 -3");
    EXPECT_EQ(Format(L"%hd %hu %hhd %ld", 70000, 70000, 300, -2), L"4464 4464 44 -2");
    EXPECT_EQ(Format(L"%.2f %e %g %E %G %08.3f", 3.14159, 1.5, 0.0001, 2.5, 1e20, -3.5),
              L"3.14 1.500000e+00 0.0001 2.500000E+00 1E+20 -003.500");
    EXPECT_EQ(Format(L"%p", reinterpret_cast<void*>(0xABC)), L"0000000000000ABC");
    EXPECT_EQ(Format(L"100%% %y"), L"100% y");
    EXPECT_EQ(Format(L"[%8.3s][%-6S]", L"abcdef", "xy"), L"[     abc][xy    ]");
    EXPECT_EQ(Format(L"trailing %"), L"trailing ");
}

TEST(Format, NarrowFormatsTakeNarrowStringsWithLowerS)
{
    char buffer[64];
    ASSERT_EQ(sprintf_s(buffer, "%s/%S/%d", "a\xe4\xb8\xad", L"\u6587", 5), 10);
    EXPECT_STREQ(buffer, "a\xe4\xb8\xad/\xe6\x96\x87/5");
    EXPECT_EQ(_snprintf_s(buffer, sizeof buffer, _TRUNCATE, "%s", "0123456789"), 10);
    EXPECT_EQ(_snprintf_s(buffer, 5, _TRUNCATE, "%s", "0123456789"), -1);
    EXPECT_STREQ(buffer, "0123");
}

TEST(Format, TruncationStopsAtTheBufferAndTerminates)
{
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    // Windows would leave the exact fit unterminated; here it is cut by one and reported.
    EXPECT_EQ(_snwprintf(buffer, 4, L"%s", L"abc"), 3);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(_snwprintf(buffer, 4, L"%s", L"abcd"), -1);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(buffer[4], L'#');
    EXPECT_EQ(_snwprintf(buffer, 4, L"%10d", 1), -1);
    EXPECT_STREQ(buffer, L"   ");

    EXPECT_EQ(swprintf_s(buffer, 4, L"%d", 123), 3);
    EXPECT_EQ(swprintf_s(buffer, 4, L"%d", 1234), -1);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(buffer[4], L'#');

    EXPECT_EQ(_snwprintf_s(buffer, 8, _TRUNCATE, L"%s", L"0123456789"), -1);
    EXPECT_STREQ(buffer, L"0123456");
    EXPECT_EQ(_snwprintf_s(buffer, 8, 3, L"%s", L"0123456789"), -1);
    EXPECT_STREQ(buffer, L"012");
    EXPECT_EQ(_snwprintf_s(buffer, 8, 20, L"%s", L"0123456789"), -1); // count beyond the buffer
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(swprintf_s(buffer, L"%ls", L"ok"), 2);

    EXPECT_EQ(wnsprintfW(buffer, 4, L"%s", L"abcdef"), 3);
    EXPECT_STREQ(buffer, L"abc");
}

TEST(Format, WsprintfIsLimitedTo1024Characters)
{
    std::vector<wchar_t> buffer(2048, L'#');
    const std::wstring longText(2000, L'a');
    EXPECT_EQ(wsprintfW(buffer.data(), L"%s", longText.c_str()), 1023);
    EXPECT_EQ(buffer[1023], L'\0');
    EXPECT_EQ(buffer[1024], L'#');
    EXPECT_EQ(wsprintfW(buffer.data(), L"%d-%s", 12, L"x"), 4);
    EXPECT_STREQ(buffer.data(), L"12-x");
}

TEST(Format, PrecisionBoundsAnUnterminatedArgument)
{
    const char bytes[3] = {'a', 'b', 'c'}; // no terminating zero
    const wchar_t wide[2] = {L'x', L'y'};
    EXPECT_EQ(Format(L"%.3S|%.2s", bytes, wide), L"abc|xy");
}

TEST(DebugOutput, SinkReceivesBothFormsAndCanBeRestored)
{
    std::mutex lock;
    std::vector<std::wstring> seen;
    platform::DebugSink previous = platform::SetDebugSink([&](const std::wstring& message) {
        std::lock_guard<std::mutex> guard(lock);
        seen.push_back(message);
    });
    OutputDebugStringW(L"wide \u4e2d");
    OutputDebugStringA("narrow \xe6\x96\x87");
    OutputDebugStringA(nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] {
            for (int j = 0; j < 100; ++j)
                OutputDebugStringW(L"t");
        });
    for (std::thread& thread : threads)
        thread.join();
    platform::SetDebugSink(previous);
    OutputDebugStringW(L"after"); // back to the default sink: not seen here
    ASSERT_EQ(seen.size(), 402u);
    EXPECT_EQ(seen[0], L"wide \u4e2d");
    EXPECT_EQ(seen[1], L"narrow \u6587");
}

TEST(DebugOutput, DefaultSinkWritesToStderrOnlyWhenEnabled)
{
    platform::SetDebugSink(nullptr);
    testing::internal::CaptureStderr();
    OutputDebugStringW(L"hidden");
    ::setenv("PICTAVO_DEBUG", "1", 1);
    OutputDebugStringW(L"shown");
    ::unsetenv("PICTAVO_DEBUG");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown\n");
}
