#include "common/install/ProductFiles.h"
#include "common/base/Log.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
bool IsWindowsName(const std::wstring& name)
{
    for (const wchar_t* suffix : {L".exe", L".dll", L".lnk", L".bat", L".ico"})
        if (name.ends_with(suffix))
            return true;
    return false;
}
} // namespace

// The lists that travel keep the design's order with the system libraries left out, and no
// Windows-only name slips into a Linux file name.
TEST(ProductFiles, TravellingListsHoldLinuxNamesInOrder)
{
    ASSERT_EQ(ProductFiles::kUpdaterCopyFiles.size(), 2u);
    EXPECT_STREQ(ProductFiles::kUpdaterCopyFiles[0], L"Update");
    EXPECT_STREQ(ProductFiles::kUpdaterCopyFiles[1], L"libDuiLib.so");
    ASSERT_EQ(ProductFiles::kSetupLibraryFiles.size(), 1u);
    EXPECT_STREQ(ProductFiles::kSetupLibraryFiles[0], L"libDuiLib.so");
    for (const wchar_t* name :
         {ProductFiles::kMainProgram, ProductFiles::kUpdateProgram, ProductFiles::kUninstProgram,
          ProductFiles::kSetupProgram, ProductFiles::kUiLibrary, ProductFiles::kWebViewLibrary,
          ProductFiles::kIconFile})
        EXPECT_FALSE(IsWindowsName(name)) << name;
    EXPECT_FALSE(IsWindowsName(ProductFiles::ShortcutFileName(L"Pictavo")));
    EXPECT_FALSE(IsWindowsName(ProductFiles::SelfDeleteScriptName()));
    EXPECT_FALSE(IsWindowsName(ProductFiles::SkinIconFileName(L"update_icon")));
}

// With no opener on the machine, opening a folder fails and says so in the log, naming the
// folder; nothing else would tell why "打开目录" did nothing.
TEST(ProductFiles, AnOpenerThatCannotStartIsLogged)
{
    testsupport::TempDir logs("logs");
    testsupport::TempDir folder("输出");
    ::setenv("PICTAVO_SHELL_OPENER", "pictavo-no-such-opener", 1);
    CLog::GetInstance()->Init(logs.path().c_str(), "open.log");
    EXPECT_FALSE(ProductFiles::OpenWithShell(folder.wpath()));
    ASSERT_TRUE(CLog::GetInstance()->Stop());
    ::unsetenv("PICTAVO_SHELL_OPENER");
    const std::string log = testsupport::ReadFile(logs / "open.log");
    EXPECT_NE(log.find("[ERROR]"), std::string::npos) << log;
    EXPECT_NE(log.find("cannot open " + folder.path()), std::string::npos) << log;
}
