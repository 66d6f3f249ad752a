// The main program's one switch: exactly "-run update" turns the update check off.
#include "main/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, OnlyTheExactTwoWordsTurnTheUpdateCheckOff)
{
    EXPECT_FALSE(ParseCommandLine(L"/opt/pictavo/Pictavo -run update"));
    EXPECT_FALSE(ParseCommandLine(L"\"/opt/pictavo dir/Pictavo\" -run \"update\""));
    EXPECT_FALSE(ParseCommandLine(L"Pictavo -run  update")) << "spaces only separate words";

    for (const wchar_t* normal : {L"Pictavo", L"Pictavo -run", L"Pictavo update", L"Pictavo -RUN update",
                                  L"Pictavo -run Update", L"Pictavo run update", L"Pictavo -run update now",
                                  L"Pictavo \"-run update\"", L"Pictavo -run \"update \"", L""})
        EXPECT_TRUE(ParseCommandLine(normal)) << testing::PrintToString(std::wstring(normal));
}
