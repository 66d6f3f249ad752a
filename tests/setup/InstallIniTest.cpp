// install.ini beside the setup: defaults, an appname that may not name a file, and the channel
// from the file or from the name of the program that started the setup.
#include "setup/InstallIni.h"
#include "tests/support/SetupKit.h"

#include <gtest/gtest.h>

using namespace setuptest;

TEST(InstallIni, ValuesDefaultsAndChannelFallbacks)
{
    SetupFolder setup({});
    g_strParentName.clear();
    EXPECT_EQ(ReadInstallAppName(), L"Pictavo");
    EXPECT_EQ(ReadInstallVersion(), L"1.0.0.0");
    EXPECT_EQ(ReadInstallChannel(), L"guanwan");
    EXPECT_EQ(GetSetupTitle(), L"Pictavo安装程序");

    g_strParentName = ParentNameOf(L"/tmp/x/Pictavo_web");
    EXPECT_EQ(g_strParentName, L"Pictavo_web");
    EXPECT_EQ(ReadInstallChannel(), L"web");
    EXPECT_EQ(ParentNameOf(L"/tmp/x/Pictavo_web.exe"), L"Pictavo_web");
    EXPECT_EQ(ParentNameOf(L"bash"), L"bash");

    testsupport::WriteFile(setup.path() + "/install.ini",
                           "[CONFIG]\nappname=Pictavo Pro\nversion_str=2.1.0.7\nchannel=store\n");
    EXPECT_EQ(ReadInstallAppName(), L"Pictavo Pro");
    EXPECT_EQ(ReadInstallVersion(), L"2.1.0.7");
    EXPECT_EQ(ReadInstallChannel(), L"store");
    g_strParentName.clear();

    for (const char* unsafe : {"../../.bashrc", "..", ".", "a/b"})
    {
        testsupport::WriteFile(setup.path() + "/install.ini",
                               std::string("[CONFIG]\nappname=") + unsafe + "\n");
        EXPECT_EQ(ReadInstallAppName(), L"Pictavo") << unsafe;
    }
}
