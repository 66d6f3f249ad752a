// The self-delete script: a real child starts it and lives on; the folder stays while the child
// runs and goes, with the script, once the child has ended. Hostile folder names are arguments
// to the script, never part of its text.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

    const pid_t child = ::fork();
    if (child == 0)
    {
        const std::string program = testsupport::TestBinaryDir() + "/common_self_delete";
        ::execl(program.c_str(), program.c_str(), "_update_acc.sh", release.c_str(), folder.c_str(), nullptr);
        ::_exit(127);
    }
    ASSERT_TRUE(WaitFor([&] { return fs::exists(script); }));
    // The script's text holds no path at all.
    EXPECT_EQ(testsupport::ReadFile(script).find(parent.path()), std::string::npos);
    // A running program's files could already be unlinked: the script must wait for the process.
    EXPECT_TRUE(fs::exists(folder + "/Update"));

    testsupport::WriteFile(release, "");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder) && !fs::exists(script); }));
    EXPECT_EQ(testsupport::ReadFile(parent / "keep"), "kept");
    EXPECT_TRUE(fs::exists(std::getenv("HOME")));
    for (const char* name : {"pwned", "pwned2"})
    {
        EXPECT_FALSE(fs::exists(parent / name));
        EXPECT_FALSE(fs::exists(std::string(std::getenv("TMPDIR")) + name));
    }
}

// The uninstaller's form: once the program has ended, only its file goes, and its folder only
// when nothing else is left in it; a user's file keeps the folder.
TEST(SelfDeleteScriptTest, RemovesTheProgramAndItsFolderOnlyWhenEmpty)
{
    testsupport::TempDir parent("parent");
    const std::string script = std::string(std::getenv("TMPDIR")) + "_uninstall_acc.sh";
    for (const bool userFile : {true, false})
    {
        const std::string folder = parent / (userFile ? "with user file" : "empty after");
        fs::create_directories(folder);
        testsupport::WriteFile(folder + "/Uninst", "program");
        if (userFile)
            testsupport::WriteFile(folder + "/photo.jpg", "user's");
        const std::string release = parent / "release";
        fs::remove(release);
        const pid_t child = ::fork();
        if (child == 0)
        {
            const std::string program = testsupport::TestBinaryDir() + "/common_self_delete";
            const std::string file = folder + "/Uninst";
            ::execl(program.c_str(), program.c_str(), "_uninstall_acc.sh", release.c_str(), folder.c_str(),
                    file.c_str(), nullptr);
            ::_exit(127);
        }
        ASSERT_TRUE(WaitFor([&] { return fs::exists(script); }));
        EXPECT_TRUE(fs::exists(folder + "/Uninst")) << "removed before the program ended";
        testsupport::WriteFile(release, "");
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder + "/Uninst") && !fs::exists(script); }));
        EXPECT_EQ(fs::exists(folder), userFile);
        if (userFile)
        {
            EXPECT_EQ(testsupport::ReadFile(folder + "/photo.jpg"), "user's");
        }
    }
}
