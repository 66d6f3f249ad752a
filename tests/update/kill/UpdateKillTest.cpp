// The updater cut off by SIGKILL at every step of applying a package that changes Pictavo,
// libDuiLib.so, a help file, config.ini, install.manifest and the product key, and adds files in
// a new folder. After the next start of Pictavo the install folder is wholly the old version or
// wholly the new one, the user's settings are kept in both, nothing of the update is left
// behind, and Pictavo starts.
#include "tests/support/ChildProcess.h"
#include "tests/support/InstallKit.h"
#include "tests/support/TestSupport.h"

#include "platform/WindowFinder.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace updatekit;

namespace
{
constexpr int kSigKillExit = 128 + SIGKILL;
constexpr int kMaxPoints = 200;
const std::string kNewMarker = "\nPICTAVO-BUILD-MARKER-2.0.0.0\n";

class UpdateKillTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MakePackageTree(m_work / "new", kNewMarker);
        ASSERT_TRUE(ZipFolder(m_work / "new", m_work / "Update.zip"));
        for (const std::string& name : PackageFiles())
            m_new.push_back(Signature(m_work / "new" + "/" + name));
    }

    // A fresh old install holding a package, for one try.
    std::string PrepareTry(int point)
    {
        const std::string root = m_work / ("try" + std::to_string(point));
        const std::string install = root + "/inst 'old'";
        MakeInstall(install, "1.0.0.0", "", true);
        fs::create_directories(install + "/UpdatePackage");
        fs::create_hard_link(m_work / "Update.zip", install + "/UpdatePackage/Update.zip");
        testsupport::WriteFile(install + "/UpdatePackage/update.ini",
                               "[CONFIG]\nversion=2.0.0.0\nversion_str=2.0.0.0\n");
        if (m_old.empty())
        {
            for (const std::string& name : PackageFiles())
                m_old.push_back(Signature(install + "/" + name));
        }
        fs::create_directories(root + "/PictavoUpdate");
        fs::copy_file(BuiltUpdate(), root + "/PictavoUpdate/Update");
        fs::copy_file(BuiltUiLibrary(), root + "/PictavoUpdate/libDuiLib.so");
        return install;
    }

    // Waits for the Pictavo of install to show its window, then ends it: the one started here,
    // or (started is null) the one the updater started.
    static void ExpectPictavoStartsAndEnd(const std::string& install, testsupport::ChildProcess* started)
    {
        const std::string program = install + "/Pictavo";
        EXPECT_TRUE(WaitFor([] { return FindWindowW(nullptr, L"Pictavo") != nullptr; }, 15000))
            << "Pictavo did not start";
        if (started != nullptr)
        {
            started->Kill(SIGKILL);
            started->Wait();
        }
        else
        {
            const int pid = FindRunning(program);
            ASSERT_GT(pid, 0);
            ::kill(pid, SIGKILL);
        }
        EXPECT_TRUE(WaitFor([&] { return FindRunning(program) < 0; }, 5000));
        EXPECT_TRUE(WaitFor([] { return FindWindowW(nullptr, L"Pictavo") == nullptr; }, 5000));
    }

    // "old" or "new" when every changed part of the install is of one version, else what mixes.
    std::string Outcome(const std::string& install) const
    {
        int olds = 0;
        int news = 0;
        std::string parts;
        const std::vector<std::string> files = PackageFiles();
        for (size_t i = 0; i < files.size(); ++i)
        {
            const bool exists = fs::exists(install + "/" + files[i]);
            const std::string bytes = Signature(install + "/" + files[i]);
            const bool isOld = m_old[i].empty() ? !exists : bytes == m_old[i];
            const bool isNew = exists && bytes == m_new[i];
            olds += isOld;
            news += isNew;
            parts += files[i] + (isOld ? "=old " : isNew ? "=new " : "=neither ");
        }
        const std::string config = testsupport::ReadFile(install + "/config.ini");
        const bool configKept = config.find("out_dir=/keep/this") != std::string::npos &&
                                config.find("LogLevel=1") != std::string::npos &&
                                config.find("version_url=\n") != std::string::npos;
        const bool configOld = config.find("version=1.0.0.0") != std::string::npos &&
                               config.find("new_key") == std::string::npos;
        const bool configNew = config.find("version=2.0.0.0") != std::string::npos &&
                               config.find("new_key=from the package") != std::string::npos;
        const std::string manifest = testsupport::ReadFile(install + "/install.manifest");
        const bool manifestOld = manifest == kInstallManifest;
        // The setup's lines stay; the new folders (outer first) and files join them.
        bool manifestNew = manifest.find("\nD docs\nD docs/new\n") != std::string::npos;
        std::istringstream lines(std::string(kInstallManifest) +
                                 "F docs/new/notes.txt\nF docs/new/faq.txt\n");
        for (std::string line; std::getline(lines, line);)
            manifestNew = manifestNew && manifest.find(line + "\n") != std::string::npos;
        const bool regNew =
            RegistryValue(L"version_str") == "2.0.0.0" && RegistryValue(L"version") == "2.0.0.0";
        const bool regOld = RegistryValue(L"version_str") == "1.0.0.0";
        parts += std::string("config=") +
                 (configNew   ? "new"
                  : configOld ? "old"
                              : "neither") +
                 (configKept ? "" : "(user keys lost)") + " manifest=" +
                 (manifestNew   ? "new"
                  : manifestOld ? "old"
                                : "neither") +
                 " registry=" +
                 (regNew   ? "new"
                  : regOld ? "old"
                           : "neither");
        const int count = static_cast<int>(files.size());
        if (configKept && olds == count && configOld && manifestOld && regOld)
            return "old";
        if (configKept && news == count && configNew && manifestNew && regNew)
            return "new";
        return parts + "\n" + config + manifest;
    }

    testsupport::TempDir m_work{"kill"};
    std::vector<std::string> m_old;
    std::vector<std::string> m_new;
};
} // namespace

TEST_F(UpdateKillTest, AKillAtAnyStepLeavesTheWholeOldOrTheWholeNewVersionAndPictavoStarts)
{
    int killed = 0;
    int wholeOld = 0;
    int wholeNew = 0;
    bool completed = false;
    for (int point = 1; point <= kMaxPoints && !completed; ++point)
    {
        SCOPED_TRACE("kill point " + std::to_string(point));
        const std::string install = PrepareTry(point);
        const std::string copy = fs::path(install).parent_path() / "PictavoUpdate";
        testsupport::ChildProcess updater;
        // Its temporary path is the folder above its copy, as when Pictavo made the copy.
        const std::string temp = fs::path(install).parent_path().string() + "/";
        ASSERT_TRUE(updater.StartProgram(
            copy + "/Update", {install},
            {.environment = {"PICTAVO_TEST_KILL_AT=" + std::to_string(point), "PICTAVO_TEST_PAUSE_MS=0",
                             "TMPDIR=" + temp, "DISPLAY", "WAYLAND_DISPLAY"},
             .shareOutput = true}));
        const int exit = testsupport::ExitCode(updater.Wait());
        if (exit == kSigKillExit)
        {
            ++killed;
            // The next start recovers; "-run update" (as a user restarting by hand would not
            // pass) keeps it from handing the package over again, so the recovery shows alone.
            testsupport::ChildProcess pictavo;
            ASSERT_TRUE(
                pictavo.StartProgram(install + "/Pictavo", {"-run", "update"},
                                     {.environment = {"PICTAVO_TEST_KILL_AT", "DISPLAY", "WAYLAND_DISPLAY"},
                                      .shareOutput = true}));
            ExpectPictavoStartsAndEnd(install, &pictavo);
        }
        else
        {
            ASSERT_EQ(exit, 0);
            completed = true;
            // The updater restarted Pictavo itself, and its copy removes itself once it has ended.
            ExpectPictavoStartsAndEnd(install, nullptr);
            EXPECT_TRUE(WaitFor([&] { return !fs::exists(copy); }, 15000));
        }
        const std::string outcome = Outcome(install);
        EXPECT_TRUE(outcome == "old" || outcome == "new") << outcome;
        wholeOld += outcome == "old";
        wholeNew += outcome == "new";
        EXPECT_FALSE(fs::exists(install + "/UpdatePackage")) << "the package folder is left";
        if (completed)
        {
            EXPECT_EQ(outcome, "new");
        }
        std::error_code ec;
        fs::remove_all(fs::path(install).parent_path(), ec);
    }
    EXPECT_TRUE(completed) << "the updater never got through";
    EXPECT_GE(killed, 20) << "fewer steps than expected: the kill points no longer cover the apply";
    // Both outcomes occur: before the commit mark the old version comes back, after it the new.
    EXPECT_GT(wholeOld, 0);
    EXPECT_GT(wholeNew, 0);
    // The figures for the record: the last, completed run is not a kill.
    std::printf("[ kill test ] points tried: %d, whole old after recovery: %d, whole new: %d\n", killed,
                wholeOld, wholeNew - 1);
}
