// The real updater works only in the registered install folder that holds Pictavo (it stops
// programs, replaces files and writes the product key there) and removes only its own
// temporary copy.
#include "tests/support/ChildProcess.h"
#include "tests/support/InstallKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace updatekit;

TEST(UpdaterStartTest, ExitsWithMinusOneForAWrongArgumentCountOrAnyFolderButTheRegisteredInstall)
{
    testsupport::TempDir root("start");
    const std::string install = root / "inst";
    MakeInstall(install, "1.0.0.0", "", true);
    const std::string other = root / "other";
    MakeInstall(other, "1.0.0.0", "", true);
    Register(install, "1.0.0.0");
    fs::create_directories(other + "/UpdatePackage");
    testsupport::WriteFile(other + "/UpdatePackage/Update.zip", std::string(200, 'x'));
    // The updater's exit code, run headless.
    const auto runUpdater = [](const std::vector<std::string>& args) {
        testsupport::ChildProcess updater;
        if (!updater.StartProgram(BuiltUpdate(), args,
                                  {.environment = {"DISPLAY", "WAYLAND_DISPLAY", "PICTAVO_TEST_PAUSE_MS=0"},
                                   .shareOutput = true}))
            return -1;
        return testsupport::ExitCode(updater.Wait());
    };

    EXPECT_EQ(runUpdater({}), 255);
    EXPECT_EQ(runUpdater({install, install}), 255);
    EXPECT_EQ(runUpdater({other}), 255);
    EXPECT_EQ(runUpdater({root / "missing"}), 255);
    // The registered folder without Pictavo in it.
    fs::remove(install + "/Pictavo");
    EXPECT_EQ(runUpdater({install}), 255);

    const std::string log = testsupport::ReadFile(std::string(std::getenv("TMPDIR")) + "Pictavo/update.log");
    EXPECT_NE(log.find("strMainExeDir=" + other), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(other + "/UpdatePackage/Update.zip")) << "nothing is touched elsewhere";
    EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
}

// Run from the install folder itself (as a user might start it), the updater applies the
// package and restarts Pictavo, but removes nothing: only its own temporary copy may go.
TEST(UpdaterStartTest, RunFromTheInstallFolderItRemovesNothingThere)
{
    testsupport::TempDir root("own");
    const std::string install = root / "inst";
    MakeInstall(install, "1.0.0.0", "", true);
    testsupport::WriteFile(install + "/my notes.txt", "the user's own\n");
    fs::create_directories(root / "tree/docs");
    testsupport::WriteFile(root / "tree/help.txt", "help of NEW\n");
    testsupport::WriteFile(root / "tree/docs/notes.txt", "notes of NEW\n");
    fs::create_directories(install + "/UpdatePackage");
    ASSERT_TRUE(ZipFolder(root / "tree", install + "/UpdatePackage/Update.zip"));
    testsupport::WriteFile(install + "/UpdatePackage/update.ini", "[CONFIG]\nversion_str=2.0.0.0\n");
    std::vector<std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(install))
    {
        if (entry.path().string().find("/UpdatePackage") == std::string::npos)
            before.push_back(entry.path());
    }

    testsupport::ChildProcess updater;
    ASSERT_TRUE(updater.StartProgram(
        install + "/Update", {install},
        {.environment = {"DISPLAY", "WAYLAND_DISPLAY", "PICTAVO_TEST_PAUSE_MS=0"}, .shareOutput = true}));
    EXPECT_EQ(testsupport::ExitCode(updater.Wait()), 0);
    EXPECT_EQ(testsupport::ReadFile(install + "/help.txt"), "help of NEW\n") << "the package was not applied";
    // The restarted Pictavo is ended; a removal would follow the updater's end at once.
    ASSERT_TRUE(WaitFor([&] { return FindRunning(install + "/Pictavo") > 0; }, 15000));
    ::kill(FindRunning(install + "/Pictavo"), SIGKILL);
    const std::string temp = std::getenv("TMPDIR");
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(temp + "_update_acc.sh"); }, 15000));
    for (const std::string& path : before)
        EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(testsupport::ReadFile(install + "/my notes.txt"), "the user's own\n");
    const std::string log = testsupport::ReadFile(temp + "Pictavo/update.log");
    EXPECT_NE(log.find("[" + install + "] is not the updater's own temporary copy"), std::string::npos)
        << log;
}
