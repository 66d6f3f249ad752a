#include "common/install/ProductProcesses.h"
#include "common/base/ProcessHelper.h"

#include "tests/common/SleeperCopy.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

using testsupport::TempDir;
using testsupport::Wide;

namespace fs = std::filesystem;

namespace
{

bool Running(DWORD pid)
{
    return !platform::GetProcessImagePath(pid).empty();
}
} // namespace

// Two copies of one program run under the same image name, one in the product's folder and
// one elsewhere: only the first is ended, and it has ended when the call returns.
TEST(ProductProcesses, EndsOnlyTheCopyInsideTheGivenFolders)
{
    TempDir installDir("install");
    TempDir elsewhere("elsewhere");
    fs::create_directories(installDir / "sub");
    const std::string name = "PictavoStop" + std::to_string(::getpid());
    const DWORD inside = testsupport::StartSleeperCopy(installDir.path(), name);
    const DWORD outside = testsupport::StartSleeperCopy(elsewhere.path(), name);
    const DWORD deeper = testsupport::StartSleeperCopy(installDir / "sub", name);
    ASSERT_NE(inside, 0u);
    ASSERT_NE(outside, 0u);
    ASSERT_NE(deeper, 0u);

    // The folder is named the long way round (a "..", a trailing "/"), and a missing folder and
    // an empty name in the list match nothing.
    const std::wstring roundabout = Wide(installDir / "sub/../");
    const StopProgramsResult result =
        StopProgramsIn(Wide(name), {L"", Wide(installDir / "missing"), roundabout}, 5000);
    EXPECT_EQ(result.stopped, 1);
    EXPECT_TRUE(result.allEnded);
    EXPECT_FALSE(Running(inside));
    EXPECT_TRUE(Running(outside)) << "a program outside the folder was ended";
    EXPECT_TRUE(Running(deeper)) << "a program in a subfolder is not the product's";

    // Nothing of ours is left: a second call finds none and reports nothing to wait for.
    const StopProgramsResult again = StopProgramsIn(Wide(name), {installDir.wpath()}, 5000);
    EXPECT_EQ(again.stopped, 0);
    EXPECT_TRUE(again.allEnded);
    // A different name in the right folder is not ours either.
    EXPECT_EQ(StopProgramsIn(Wide(name + "x"), {elsewhere.wpath()}, 1000).stopped, 0);
    EXPECT_TRUE(Running(outside));

    ::kill(static_cast<pid_t>(outside), SIGKILL);
    ::kill(static_cast<pid_t>(deeper), SIGKILL);
}

// The folder given through a symbolic link is the same folder.
TEST(ProductProcesses, FolderReachedThroughALinkMatches)
{
    TempDir root("linked");
    fs::create_directories(root / "real");
    fs::create_directory_symlink(root / "real", root / "link");
    EXPECT_TRUE(IsProgramIn(Wide(root / "real/Pictavo"), {Wide(root / "link")}));
    EXPECT_TRUE(IsProgramIn(Wide(root / "link/Pictavo"), {Wide(root / "real/")}));
    EXPECT_FALSE(IsProgramIn(Wide(root / "real/Pictavo"), {Wide(root / "rea")}));
    EXPECT_FALSE(IsProgramIn(L"", {Wide(root.path())}));
    EXPECT_FALSE(IsProgramIn(Wide(root / "real/Pictavo"), {}));
}
