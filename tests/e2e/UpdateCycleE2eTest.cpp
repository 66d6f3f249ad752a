// The whole update cycle with the real programs on the test display, against a real version
// service on 127.0.0.1: a normal start of an installed Pictavo downloads the newer package, the
// next start hands it to the updater (its status window shows), which applies it and restarts
// Pictavo with the new version; a damaged package shows "解压失败..." above the restarted old
// one; and an updater closed before it began keeps the package for the next start.
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/XServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/InstallKit.h"
#include "tests/support/TestServers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
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
// libcurl's CURLE_ABORTED_BY_CALLBACK: the code of a transfer its progress callback stopped.
constexpr int kAbortedByCallback = 42;

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
    UpdateCycleE2eTest() : DisplayTest({"xdotool", "import", "xwininfo"}) {}

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
    static std::string UpdaterLog() { return std::string(std::getenv("TMPDIR")) + "Pictavo/update.log"; }

    // A package of the install's folder, damaged (one flipped byte: an entry's data no longer
    // matches) when asked.
    void PlacePackage(bool damaged)
    {
        const std::string package = m_install + "/UpdatePackage";
        fs::create_directories(package);
        MakePackageTree(m_root / "new", kMarker);
        ASSERT_TRUE(ZipFolder(m_root / "new", m_root / "Update.zip"));
        std::string bytes = testsupport::ReadFile(m_root / "Update.zip");
        if (damaged)
            bytes[bytes.size() / 2] ^= 0x55;
        testsupport::WriteFile(package + "/Update.zip", bytes);
        testsupport::WriteFile(package + "/update.ini", "[CONFIG]\nversion_str=2.0.0.0\n");
    }

    // Without a window manager the stacking order is that of the root's children, which
    // xwininfo lists topmost first.
    static bool IsAbove(const std::string& upper, const std::string& lower)
    {
        const auto hex = [](const std::string& id) {
            char text[32] = {};
            std::snprintf(text, sizeof text, "0x%lx ", std::strtoul(id.c_str(), nullptr, 10));
            return std::string(text);
        };
        const std::string tree = XServer::Output("xwininfo -root -children");
        const size_t upperAt = tree.find(hex(upper));
        const size_t lowerAt = tree.find(hex(lower));
        return upperAt != std::string::npos && lowerAt != std::string::npos && upperAt < lowerAt;
    }

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

    // Keeps a picture of one window, or of the whole screen for "root" (in the screenshot folder
    // when asked for one).
    void Shoot(const std::string& window, const char* name)
    {
        const std::string path = ShotPath(name);
        // Raised above the main window, and taken again until the window has painted.
        EXPECT_TRUE(WaitUntil(
            [&] {
                if (window != "root")
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
    testsupport::WriteFile(m_install + "/my notes.txt", "the user's own\n");
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
    EXPECT_NE(config.find("version_url=" + server.Url("/version")), std::string::npos) << config;
    EXPECT_NE(config.find("version=2.0.0.0"), std::string::npos) << config;
    EXPECT_NE(config.find("new_key=from the package"), std::string::npos) << config;
    EXPECT_NE(testsupport::ReadFile(m_install + "/install.manifest").find("\nF docs/new/notes.txt\n"),
              std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(m_install + "/my notes.txt"), "the user's own\n");
    EXPECT_FALSE(fs::exists(package));
    // The restarted Pictavo got exactly the two words that turn its background check off.
    std::string command =
        testsupport::ReadFile("/proc/" + std::to_string(FindRunning(m_install + "/Pictavo")) + "/cmdline");
    const std::string words("\0-run\0update\0", 13);
    EXPECT_EQ(std::count(command.begin(), command.end(), '\0'), 3);
    EXPECT_EQ(command.substr(command.find('\0')), words);
    // The updater's temporary copy removes itself once the updater has ended.
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(fs::path(UpdaterCopy()).parent_path()); }, 15000));
    const std::string log = testsupport::ReadFile(UpdaterLog());
    EXPECT_NE(log.find("解压升级包成功启动主进程"), std::string::npos) << log;
    EXPECT_NE(log.find("-run update"), std::string::npos) << log;
    Shoot(window, "main-window-updated");
    CloseMainWindow(window);
}

TEST_F(UpdateCycleE2eTest, ADamagedPackageShowsTheFailureAboveTheOldPictavoUntilClosed)
{
    MakeInstall(m_install, "1.0.0.0", "", false);
    PlacePackage(true);
    const std::string package = m_install + "/UpdatePackage";
    const std::string before = Signature(m_install + "/Pictavo");

    testsupport::ChildProcess pictavo;
    ASSERT_TRUE(StartPictavo(pictavo));
    const std::string updater = WaitWindow(kUpdaterTitle);
    ASSERT_FALSE(updater.empty());
    EXPECT_EQ(testsupport::ExitCode(pictavo.Wait()), 0);
    const std::string window = WaitWindow("Pictavo");
    ASSERT_FALSE(window.empty()) << "the old Pictavo was not started again";
    EXPECT_FALSE(VisibleWindow(kUpdaterTitle).empty()) << "the failure stays on screen";
    EXPECT_TRUE(WaitUntil([&] { return IsAbove(updater, window); }, 10000))
        << "the restarted Pictavo covers the failure\n"
        << XServer::Output("xwininfo -root -children");
    Shoot("root", "update-failed");
    EXPECT_EQ(Signature(m_install + "/Pictavo"), before);
    EXPECT_FALSE(fs::exists(m_install + "/docs"));
    EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
    EXPECT_FALSE(fs::exists(package));
    const std::string log = testsupport::ReadFile(UpdaterLog());
    // The damaged entry's data fails when it is unpacked (its CRC, or its compressed stream).
    EXPECT_NE(log.find("update failed: unpacking failed (0x0"), std::string::npos) << log;
    EXPECT_EQ(log.find("(0x00000000)"), std::string::npos) << log;
    EXPECT_EQ(log.find("解压升级包成功启动主进程"), std::string::npos) << log;
    EXPECT_NE(log.find("update failed, starting the installed version again"), std::string::npos) << log;

    // The updater waits for the user; then it ends and its temporary copy goes.
    EXPECT_GE(FindRunning(UpdaterCopy()), 0);
    CloseWindow(updater);
    EXPECT_TRUE(WaitUntil([&] { return FindRunning(UpdaterCopy()) < 0; }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(fs::path(UpdaterCopy()).parent_path()); }, 15000));
    CloseMainWindow(window);
}

TEST_F(UpdateCycleE2eTest, AnUpdaterClosedBeforeItBeganKeepsThePackageForTheNextStart)
{
    MakeInstall(m_install, "1.0.0.0", "", false);
    PlacePackage(false);
    const std::string package = m_install + "/UpdatePackage";
    const std::string zip = testsupport::ReadFile(package + "/Update.zip");
    const std::string before = Signature(m_install + "/Pictavo");

    // The updater's own pauses (4 s before it unpacks) leave the user time to close it.
    testsupport::ChildProcess pictavo;
    ASSERT_TRUE(pictavo.StartProgram(m_install + "/Pictavo", {},
                                     {.environment = {"PICTAVO_TEST_PAUSE_MS"}, .shareOutput = true}));
    const std::string updater = WaitWindow(kUpdaterTitle);
    ASSERT_FALSE(updater.empty());
    CloseWindow(updater);
    EXPECT_TRUE(WaitUntil([&] { return FindRunning(UpdaterCopy()) < 0; }, 10000));
    EXPECT_EQ(testsupport::ReadFile(package + "/Update.zip"), zip);
    EXPECT_TRUE(fs::exists(package + "/update.ini"));
    EXPECT_EQ(Signature(m_install + "/Pictavo"), before);
    EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(fs::path(UpdaterCopy()).parent_path()); }, 15000));
    const std::string log = testsupport::ReadFile(UpdaterLog());
    EXPECT_NE(log.find("the package stays for the next start"), std::string::npos) << log;
    EXPECT_LT(FindRunning(m_install + "/Pictavo"), 0) << "a closed updater starts nothing";
}

// Quitting while the package still trickles in stops the transfer and waits for the download
// thread before the program ends: the thread logs its stopped transfer before the exit line,
// removes what it began, and the process ends within seconds with its own exit code.
TEST_F(UpdateCycleE2eTest, QuittingInTheMiddleOfASlowDownloadStopsItAndEndsCleanlyAtOnce)
{
    httptest::LocalHttpServer server;
    ASSERT_TRUE(server.ok());
    const std::string packUrl = server.Url("/trickle");
    server.Serve("/version", 200,
                 R"({"success":true,"errmsg":"","result":{"version":"2.0.0.0","pack_url":")" + packUrl +
                     R"("}})");
    MakeInstall(m_install, "1.0.0.0", server.Url("/version"), false);
    const std::string package = m_install + "/UpdatePackage";

    testsupport::ChildProcess pictavo;
    ASSERT_TRUE(StartPictavo(pictavo));
    const std::string window = WaitWindow("Pictavo");
    ASSERT_FALSE(window.empty()) << "Pictavo did not show its window";
    ASSERT_TRUE(WaitUntil(
        [&] { return server.EndlessBytesSent() > 0 && fs::exists(package + "/Update.zip.temp"); }, 20000))
        << "the download did not begin";

    CloseWindow(window);
    const int status = pictavo.WaitFor(10000);
    ASSERT_NE(status, -1) << "Pictavo still runs 10 s after it was closed";
    EXPECT_EQ(testsupport::ExitCode(status), 0);
    EXPECT_FALSE(fs::exists(package + "/Update.zip.temp"));
    EXPECT_FALSE(fs::exists(package + "/Update.zip"));

    std::string log;
    for (const auto& entry : fs::directory_iterator(m_install + "/log"))
        log += testsupport::ReadFile(entry.path());
    const size_t stopped =
        log.find("DownLoadFile url=" + packUrl + " code=" + std::to_string(kAbortedByCallback));
    const size_t exited = log.rfind("程序已退出！！！");
    ASSERT_NE(stopped, std::string::npos) << "the download thread never saw its transfer end\n" << log;
    ASSERT_NE(exited, std::string::npos) << log;
    EXPECT_LT(stopped, exited) << log;
    EXPECT_EQ(log.find("did not stop in time"), std::string::npos) << log;
    EXPECT_EQ(log.find('\n', exited), log.size() - 1) << "lines after the exit line\n" << log;
}
