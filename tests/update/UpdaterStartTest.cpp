// The real updater refuses to work anywhere but the registered install folder that holds
// Pictavo: it would stop programs, replace files and write the product key there.
#include "InstallKit.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
