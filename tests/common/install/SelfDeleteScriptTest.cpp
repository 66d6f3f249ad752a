// The self-delete script: a real child starts it and lives on; the folder stays while the child
// runs and goes, with the script, once the child has ended. Hostile folder names are arguments
// to the script, never part of its text.
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace
{
bool WaitFor(const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
} // namespace

TEST(SelfDeleteScriptTest, RemovesOnlyTheGivenFolderAndItselfOnceTheProgramHasEnded)
{
    testsupport::TempDir parent("parent");
    const std::string folder = parent / "Pictavo 'tmp' \"$(touch pwned)\" `touch pwned2`; rm -rf ~";
    fs::create_directories(folder + "/sub");
    testsupport::WriteFile(folder + "/Update", "program");
    testsupport::WriteFile(folder + "/sub/libDuiLib.so", "library");
    testsupport::WriteFile(parent / "keep", "kept");
    const std::string script = std::string(std::getenv("TMPDIR")) + "_update_acc.sh";
    const std::string release = parent / "release";

    // The script outlives the program: it writes to the test's output, not to a pipe of ours.
    testsupport::ChildProcess program;
    ASSERT_TRUE(
        program.Start("common_self_delete", {"_update_acc.sh", release, folder}, {.shareOutput = true}));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(script); }));
    // The script's text holds no path at all.
    EXPECT_EQ(testsupport::ReadFile(script).find(parent.path()), std::string::npos);
    // A running program's files could already be unlinked: the script must wait for the process.
    EXPECT_TRUE(fs::exists(folder + "/Update"));

    testsupport::WriteFile(release, "");
    EXPECT_EQ(testsupport::ExitCode(program.Wait()), 0);
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder) && !fs::exists(script); }));
    EXPECT_EQ(testsupport::ReadFile(parent / "keep"), "kept");
    EXPECT_TRUE(fs::exists(std::getenv("HOME")));
    for (const char* name : {"pwned", "pwned2"})
    {
        EXPECT_FALSE(fs::exists(parent / name));
        EXPECT_FALSE(fs::exists(std::string(std::getenv("TMPDIR")) + name));
    }
}

// The uninstaller's form: once the program has ended, only its file goes, and its folder and
// the folder made above it only when nothing else is left in them, deepest first; a user's
// file keeps the folder that holds it and every folder above.
TEST(SelfDeleteScriptTest, RemovesTheProgramAndItsFoldersOnlyWhenEmpty)
{
    testsupport::TempDir parent("parent");
    const std::string script = std::string(std::getenv("TMPDIR")) + "_uninstall_acc.sh";
    enum class UserFile
    {
        InFolder,
        Above,
        None
    };
    for (const UserFile user : {UserFile::InFolder, UserFile::Above, UserFile::None})
    {
        SCOPED_TRACE(static_cast<int>(user));
        const std::string above = parent / ("made " + std::to_string(static_cast<int>(user)));
        const std::string folder = above + "/Pictavo";
        fs::create_directories(folder);
        testsupport::WriteFile(folder + "/Uninst", "program");
        if (user == UserFile::InFolder)
            testsupport::WriteFile(folder + "/photo.jpg", "user's");
        if (user == UserFile::Above)
            testsupport::WriteFile(above + "/photo.jpg", "user's");
        const std::string release = parent / "release";
        fs::remove(release);
        testsupport::ChildProcess program;
        ASSERT_TRUE(program.Start("common_self_delete",
                                  {"_uninstall_acc.sh", release, folder, folder + "/Uninst", above},
                                  {.shareOutput = true}));
        ASSERT_TRUE(WaitFor([&] { return fs::exists(script); }));
        EXPECT_TRUE(fs::exists(folder + "/Uninst")) << "removed before the program ended";
        testsupport::WriteFile(release, "");
        EXPECT_EQ(testsupport::ExitCode(program.Wait()), 0);
        EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder + "/Uninst") && !fs::exists(script); }));
        EXPECT_EQ(fs::exists(folder), user == UserFile::InFolder);
        EXPECT_EQ(fs::exists(above), user != UserFile::None);
        if (user == UserFile::InFolder)
        {
            EXPECT_EQ(testsupport::ReadFile(folder + "/photo.jpg"), "user's");
        }
        if (user == UserFile::Above)
        {
            EXPECT_EQ(testsupport::ReadFile(above + "/photo.jpg"), "user's");
        }
    }
}
