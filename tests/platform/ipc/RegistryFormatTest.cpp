// The registry file: what one process writes another reads back exactly, and anything else is
// refused rather than half-read.
#include "platform/ipc/WindowRegistry.h"

#include <gtest/gtest.h>

using platform::ipc::SharedWindow;
using platform::ipc::WindowRegistry;

namespace
{
bool Parse(const std::string& text, std::vector<SharedWindow>* windows)
{
    unsigned long long startTime = 0;
    return WindowRegistry::Parse(text, 42, &startTime, windows);
}
} // namespace

TEST(RegistryFormatTest, TitlesOfAnyKindSurviveTheRoundTrip)
{
    const std::vector<SharedWindow> written{
        {42, 777, 0x10010, L"Class", L"Pictavo 安装程序"},
        {42, 777, 0x10014, L"", L""},
        {42, 777, 0x10018, L"a b", L"line\nbreak\ttab \"quoted\" 🎉"},
    };
    std::vector<SharedWindow> read;
    ASSERT_TRUE(Parse(WindowRegistry::Format(written, 777), &read));
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i)
    {
        EXPECT_EQ(read[i].pid, 42);
        EXPECT_EQ(read[i].startTime, 777u);
        EXPECT_EQ(read[i].hwnd, written[i].hwnd);
        EXPECT_EQ(read[i].className, written[i].className);
        EXPECT_EQ(read[i].title, written[i].title);
    }
}

TEST(RegistryFormatTest, DamagedFilesAreRefused)
{
    std::vector<SharedWindow> read;
    for (const char* text : {
             "", "pictavo-windows 2 5\n", "other 1 5\n",
             "pictavo-windows 1 5\n10010 - 4\n",        // odd hex length
             "pictavo-windows 1 5\n10010 - zz\n",       // not hex
             "pictavo-windows 1 5\n0 - 41\n",           // no handle
             "pictavo-windows 1 5\n1001g - 41\n",       // bad handle
             "pictavo-windows 1 5\n10010 - 41 extra\n", // a line cut short
         })
    {
        read.clear();
        EXPECT_FALSE(Parse(text, &read)) << text;
    }
    read.clear();
    EXPECT_TRUE(Parse("pictavo-windows 1 5\n", &read));
    EXPECT_TRUE(read.empty());
}
