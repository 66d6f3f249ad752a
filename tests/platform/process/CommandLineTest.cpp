#include "platform/Process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> Split(const wchar_t* commandLine)
{
    int count = -1;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
    EXPECT_NE(argv, nullptr);
    std::vector<std::wstring> arguments(argv, argv + count);
    EXPECT_EQ(argv[count], nullptr);
    LocalFree(reinterpret_cast<HLOCAL>(argv));
    return arguments;
}

using Args = std::vector<std::wstring>;
} // namespace

TEST(CommandLine, WindowsSplittingRules)
{
    EXPECT_EQ(Split(L"prog a b"), (Args{L"prog", L"a", L"b"}));
    EXPECT_EQ(Split(L"\"C:/Program Files/x.exe\" -run update"),
              (Args{L"C:/Program Files/x.exe", L"-run", L"update"}));
    EXPECT_EQ(Split(L"p \"a b\"c  \t d"), (Args{L"p", L"a bc", L"d"}));
    EXPECT_EQ(Split(L"p a\\\\b \\\"x\\\" a\\\\\\\"b"), (Args{L"p", L"a\\\\b", L"\"x\"", L"a\\\"b"}));
    EXPECT_EQ(Split(L"p \"a\\\\\" b"), (Args{L"p", L"a\\", L"b"}));
    EXPECT_EQ(Split(L"p \"a\"\"b\" \"\""), (Args{L"p", L"a\"b", L""}));
    // the program name: quotes group, backslashes are plain
    EXPECT_EQ(Split(L"c:\\dir\\\"x y\"z q"), (Args{L"c:\\dir\\x yz", L"q"}));
    EXPECT_EQ(Split(L" lead"), (Args{L"", L"lead"}));
    EXPECT_EQ(Split(L"p trailing   "), (Args{L"p", L"trailing"}));
    EXPECT_EQ(Split(L"p \"unterminated arg"), (Args{L"p", L"unterminated arg"}));
}

TEST(CommandLine, EmptyCommandLineGivesTheProgramPath)
{
    const Args arguments = Split(L"");
    ASSERT_EQ(arguments.size(), 1u);
    EXPECT_EQ(arguments[0], platform::GetProcessImagePath(static_cast<DWORD>(::getpid())));
    EXPECT_EQ(CommandLineToArgvW(L"x", nullptr), nullptr);
}

TEST(CommandLine, QuotingRoundTripsAwkwardArguments)
{
    const Args arguments = {
        L"/opt/My App/prog", L"plain",   L"with space", L"say \"hi\"", L"back\\slash",
        L"trailing\\",       L"two\\\\", L"",           L"\\\"",       L"\u4e2d\u6587 \u6587",
        L"tab\there",        L"\"",      L"a\\\\\"b"};
    const std::wstring line = platform::BuildCommandLine(arguments);
    EXPECT_EQ(Split(line.c_str()), arguments);
    EXPECT_EQ(platform::QuoteArgument(L"plain"), L"plain");
    EXPECT_EQ(platform::QuoteArgument(L"a b\\"), L"\"a b\\\\\"");
    EXPECT_EQ(platform::QuoteProgramName(L"/usr/bin/x"), L"/usr/bin/x");
}

TEST(CommandLine, OwnCommandLineRoundTripsThisProcessArguments)
{
    const Args arguments = Split(GetCommandLineW());
    ASSERT_FALSE(arguments.empty());
    EXPECT_EQ(GetCommandLineW(), GetCommandLineW()); // one buffer for the process
    EXPECT_NE(arguments[0].find(L"test_platform_process"), std::wstring::npos);
}

TEST(CommandLine, LocalAllocZeroesWhenAsked)
{
    auto* memory = static_cast<unsigned char*>(static_cast<void*>(LocalAlloc(LPTR, 64)));
    ASSERT_NE(memory, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(memory[i], 0);
    EXPECT_EQ(LocalFree(reinterpret_cast<HLOCAL>(memory)), nullptr);
}
