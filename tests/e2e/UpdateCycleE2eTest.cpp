// The whole update cycle with the real programs on the test display, against a real version
// service on 127.0.0.1: a normal start of an installed Pictavo downloads the newer package, the
// next start hands it to the updater (its status window shows), which applies it and restarts
// Pictavo with the new version; and a damaged package shows "解压失败..." and restarts the old one.
#include "DisplayTest.h"
#include "InstallKit.h"
#include "XServer.h"
#include "support/ChildProcess.h"
#include "support/TestServers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace e2e;
using namespace updatekit;
namespace fs = std::filesystem;

namespace
{
const std::string kMarker = "\nPICTAVO-BUILD-MARKER-2.0.0.0\n";
const char kUpdaterTitle[] = "Pictavo升级程序";

std::string VisibleWindow(const std::string& title)
{
    std::string id = XServer::Output("xdotool search --onlyvisible --name '^" + title + "$' | tail -1");
    while (!id.empty() && id.back() == '\n')
        id.pop_back();
    return id;
}

class UpdateCycleE2eTest : public DisplayTest
{
protected:
    UpdateCycleE2eTest() : DisplayTest({"xdotool", "import"}) {}

    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        // Folder names with blanks and quotes are legal and must reach the programs whole.
        m_install = m_root / "Pictavo 'install' \"dir\"";
        // The default output folder lies in the documents folder, which a fresh HOME lacks.
        fs::create_directories(fs::path(std::getenv("HOME")) / "Documents" / "Pictavo");
    }

    void TearDown() override
    {
        for (const std::string& program : {m_install + "/Pictavo", UpdaterCopy()})
        {
            const int pid = FindRunning(program);
            if (pid > 0)
                ::kill(pid, SIGKILL);
        }
    }

    std::string UpdaterCopy() const { return std::string(std::getenv("TMPDIR")) + "PictavoUpdate/Update"; }

    // Starts the installed Pictavo as a user would (short pauses so the test stays quick).
    bool StartPictavo(testsupport::ChildProcess& pictavo)
    {
        return pictavo.StartProgram(m_install + "/Pictavo", {},
                                    {.environment = {"PICTAVO_TEST_PAUSE_MS=700"}, .shareOutput = true});
    }

    std::string WaitWindow(const std::string& title)
    {
        std::string id;
        WaitUntil(
            [&] {
                id = VisibleWindow(title);
                return !id.empty();
            },
            20000);
        return id;
    }

    // Keeps a picture of one window (in the screenshot folder when asked for one).
    void Shoot(const std::string& window, const char* name)
    {
        const std::string path = ShotPath(name);
        // Raised above the main window, and taken again until the window has painted.
        EXPECT_TRUE(WaitUntil(
            [&] {
                XServer::Run("xdotool windowraise " + window);
                return XServer::Run("timeout 10 import -window " + window + " '" + path + "'") &&
                       std::atof(
                           XServer::Output("convert '" + path + "' -format '%[fx:mean]' info:").c_str()) >
                           0.05;
            },
            5000))
            << name;
        if (const char* folder = std::getenv("PICTAVO_SCREENSHOT_DIR"))
            fs::copy_file(path, fs::path(folder) / (std::string(name) + ".png"),
                          fs::copy_options::overwrite_existing);
    }

    // Alt+F4, the system close command: destroying the X window would bypass the program.
    static void CloseWindow(const std::string& window)
    {
        XServer::Run("xdotool windowfocus --sync " + window + " key alt+F4");
    }

    void CloseMainWindow(const std::string& window)
    {
        CloseWindow(window);
        EXPECT_TRUE(WaitUntil([&] { return FindRunning(m_install + "/Pictavo") < 0; }, 10000));
    }

    testsupport::TempDir m_root{"cycle"};
    std::string m_install;
};
} // namespace

TEST_F(UpdateCycleE2eTest, ANewerVersionIsDownloadedThenAppliedAtTheNextStartAndPictavoComesBackNew)
{
    httptest::LocalHttpServer server;
    ASSERT_TRUE(server.ok());
    MakePackageTree(m_root / "new", kMarker);
    ASSERT_TRUE(ZipFolder(m_root / "new", m_root / "Update.zip"));
    server.Serve("/Update.zip", 200, testsupport::ReadFile(m_root / "Update.zip"));
    server.Serve("/version", 200,
                 R"({"success":true,"errmsg":"","result":{"version":"2.0.0.0","pack_url":")" +
                     server.Url("/Update.zip") + R"("}})");
    MakeInstall(m_install, "1.0.0.0", server.Url("/version"), false);
    const std::string package = m_install + "/UpdatePackage";

    // A normal start asks the service and downloads the package in the background.
    testsupport::ChildProcess pictavo;
    ASSERT_TRUE(StartPictavo(pictavo));
    std::string window = WaitWindow("Pictavo");
    ASSERT_FALSE(window.empty()) << "Pictavo did not show its window";
    ASSERT_TRUE(WaitUntil(
        [&] {
            return testsupport::ReadFile(package + "/update.ini").find("version_str=2.0.0.0") !=
                   std::string::npos;
        },
        20000))
        << "no package was downloaded";
    EXPECT_EQ(testsupport::ReadFile(package + "/Update.zip"), testsupport::ReadFile(m_root / "Update.zip"));
    EXPECT_FALSE(fs::exists(package + "/Update.zip.temp"));
    CloseMainWindow(window);
    pictavo.Wait();

    // The next start hands over without a window of its own and ends.
    testsupport::ChildProcess handingOver;
    ASSERT_TRUE(StartPictavo(handingOver));
    const std::string updater = WaitWindow(kUpdaterTitle);
    ASSERT_FALSE(updater.empty()) << "the updater's window did not show";
    Shoot(updater, "update-window");
    EXPECT_EQ(testsupport::ExitCode(handingOver.Wait()), 0);

    // The updater applies the package and restarts Pictavo, which shows the new version.
    window = WaitWindow("Pictavo");
    ASSERT_FALSE(window.empty()) << "Pictavo was not restarted";
    EXPECT_TRUE(WaitUntil([&] { return VisibleWindow(kUpdaterTitle).empty(); }, 10000));
    EXPECT_EQ(Signature(m_install + "/Pictavo"), Signature(m_root / "new/Pictavo"));
    EXPECT_EQ(Signature(m_install + "/libDuiLib.so"), Signature(m_root / "new/libDuiLib.so"));
    EXPECT_TRUE(fs::exists(m_install + "/docs/new/notes.txt"));
    EXPECT_EQ(RegistryValue(L"version_str"), "2.0.0.0");
    const std::string config = testsupport::ReadFile(m_install + "/config.ini");
    EXPECT_NE(config.find("out_dir=/keep/this"), std::string::npos) << config;
    EXPECT_FALSE(fs::exists(package));
    // The restarted Pictavo got exactly the two words that turn its background check off.
    std::string command =
        testsupport::ReadFile("/proc/" + std::to_string(FindRunning(m_install + "/Pictavo")) + "/cmdline");
    const std::string words("\0-run\0update\0", 13);
    EXPECT_EQ(std::count(command.begin(), command.end(), '\0'), 3);
    EXPECT_EQ(command.substr(command.find('\0')), words);
    // The updater's temporary copy removes itself once the updater has ended.
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(fs::path(UpdaterCopy()).parent_path()); }, 15000));
    const std::string log = testsupport::ReadFile(std::string(std::getenv("TMPDIR")) + "Pictavo/update.log");
    EXPECT_NE(log.find("-run update"), std::string::npos) << log;
    Shoot(window, "main-window-updated");
    CloseMainWindow(window);
}

TEST_F(UpdateCycleE2eTest, ADamagedPackageShowsTheFailureAndTheOldPictavoComesBack)
{
    MakeInstall(m_install, "1.0.0.0", "", false);
    const std::string package = m_install + "/UpdatePackage";
    fs::create_directories(package);
    MakePackageTree(m_root / "new", kMarker);
    ASSERT_TRUE(ZipFolder(m_root / "new", m_root / "Update.zip"));
    // One flipped byte late in the archive: the entry's CRC no longer matches.
    std::string bytes = testsupport::ReadFile(m_root / "Update.zip");
    bytes[bytes.size() / 2] ^= 0x55;
    testsupport::WriteFile(package + "/Update.zip", bytes);
    testsupport::WriteFile(package + "/update.ini", "[CONFIG]\nversion_str=2.0.0.0\n");
    const std::string before = Signature(m_install + "/Pictavo");

    testsupport::ChildProcess pictavo;
    ASSERT_TRUE(StartPictavo(pictavo));
    const std::string updater = WaitWindow(kUpdaterTitle);
    ASSERT_FALSE(updater.empty());
    EXPECT_EQ(testsupport::ExitCode(pictavo.Wait()), 0);
    const std::string window = WaitWindow("Pictavo");
    ASSERT_FALSE(window.empty()) << "the old Pictavo was not started again";
    EXPECT_FALSE(VisibleWindow(kUpdaterTitle).empty()) << "the failure stays on screen";
    Shoot(updater, "update-failed");
    EXPECT_EQ(Signature(m_install + "/Pictavo"), before);
    EXPECT_FALSE(fs::exists(m_install + "/docs"));
    EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
    EXPECT_FALSE(fs::exists(package));
    CloseWindow(updater);
    EXPECT_TRUE(WaitUntil([&] { return FindRunning(UpdaterCopy()) < 0; }, 10000));
    CloseMainWindow(window);
}
