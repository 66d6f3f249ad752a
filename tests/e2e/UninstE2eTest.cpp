// The real Uninst removing what the real PictavoSetup of a release layout installed into the
// test's HOME (its menu entries under an XDG_DATA_HOME of its own), after the installed Pictavo
// converted a picture, by clicks: the question, a second copy that only brings the first
// forward, the closes refused while the removal runs, the seven steps up to the goodbye page,
// the report to a server of the test's own, and the uninstaller gone with its folder once the
// user leaves. HOME is then compared file by file with HOME before the install, and nothing of
// the Pictavo it stopped is left in the runtime and temporary folders.
#include "tests/e2e/ReleaseDisplayTest.h"
#include "tests/e2e/XServer.h"

#include "common/http/Base64.h"
#include "common/install/RegSettings.h"
#include "tests/support/TestServers.h"

#include "platform/Firewall.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{
// Centres of the controls in window coordinates (the skins' 640 x 400 layouts).
constexpr int kInstallX = 340, kInstallY = 304;
constexpr int kSetupCloseX = 614, kSetupCloseY = 21;
constexpr int kUninstallX = 152, kUninstallY = 352;
constexpr int kOverX = 320, kOverY = 352;
constexpr int kCloseX = 620, kCloseY = 20;
// Pictavo's add-file and start buttons (the main skin's 1000 x 640 layout).
constexpr int kAddFileX = 75, kAddFileY = 137;
constexpr int kStartX = 889, kStartY = 591;

// Every entry below folder: "d" for a folder, "l:<target>" for a link, "f:<bytes>" for a file.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
    {
        const std::string relative = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            entries[relative] = "l:" + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            entries[relative] = "d";
        else
            entries[relative] = "f:" + testsupport::ReadFile(it->path().string());
    }
    return entries;
}

// A blue button where the page before had white: COLORREF is 0x00BBGGRR.
bool IsBlue(COLORREF pixel)
{
    return pixel != Screenshot::kNone && ((pixel >> 16) & 0xFF) > 150 && (pixel & 0xFF) < 130;
}

class UninstE2eTest : public ReleaseDisplayTest
{
protected:
    UninstE2eTest() : ReleaseDisplayTest("e2e-uninst") {}

    void TearDown() override
    {
        if (!m_uninst.empty())
            XServer::Run("xdotool windowclose " + m_uninst + " 2>/dev/null");
        ReleaseDisplayTest::TearDown();
    }

    // The release's setup installs into its proposed folder and is closed on its finish page.
    void InstallWithSetup(const std::string& installDir, const httptest::LocalHttpServer& statistics)
    {
        XServer::Run("cd '" + m_dist + "' && ./PictavoSetup >'" + (m_dir / "setup.out") + "' 2>&1 &");
        m_setup = FindWindow("^Pictavo安装程序$");
        ASSERT_FALSE(m_setup.empty()) << testsupport::ReadFile(m_dir / "setup.out");
        Click(m_setup, kInstallX, kInstallY);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return IsBlue(PixelAt(m_setup, kInstallX - 20, kInstallY + 15)) &&
                       fs::exists(installDir + "/Uninst");
            },
            20000))
            << "the setup did not finish";
        ASSERT_TRUE(WaitUntil([&] { return statistics.RequestCount() > 0; }, 5000)) << "no install report";
        Click(m_setup, kSetupCloseX, kSetupCloseY);
        ASSERT_TRUE(WaitUntil([&] { return RunningFrom(m_dist + "/PictavoSetup") == 0; }, 5000));
        m_setup.clear();
    }

    // The installed Pictavo converts picture into its default output folder, which it makes at
    // its first start; then the user takes the result away. The Pictavo runs on; its pid.
    std::string ConvertWithPictavo(const std::string& installDir, const std::string& picture)
    {
        XServer::Run("'" + installDir + "/Pictavo' >'" + (m_dir / "pictavo.out") + "' 2>&1 &");
        m_pictavo = FindWindow("^Pictavo$");
        EXPECT_FALSE(m_pictavo.empty()) << testsupport::ReadFile(m_dir / "pictavo.out");
        if (m_pictavo.empty())
            return {};
        const std::string outputs = m_home + "/Documents/Pictavo";
        EXPECT_TRUE(fs::is_directory(outputs)) << "no output folder at the first start";
        std::string dialog;
        EXPECT_TRUE(ClickUntil(m_pictavo, kAddFileX, kAddFileY, [&] {
            return !(dialog = FindWindow("添加文件|打开|Open", 0)).empty();
        })) << "no add-file dialog";
        EXPECT_TRUE(WaitUntil(
            [&] {
                XServer::Run("xdotool windowfocus --sync " + dialog +
                             " key --clearmodifiers ctrl+l type --delay 5 '" + picture + "'");
                XServer::Run("xdotool key --clearmodifiers Return");
                return WaitUntil([&] { return FindWindow("添加文件|打开|Open", 0).empty(); }, 3000);
            },
            20000))
            << "the dialog did not close";
        // Once anything of the run is in the folder the click is not given again: it would cancel.
        EXPECT_TRUE(ClickUntil(m_pictavo, kStartX, kStartY, [&] { return !fs::is_empty(outputs); }))
            << "the conversion never started";
        const std::string result = outputs + "/" + fs::path(picture).stem().string() + ".png";
        EXPECT_TRUE(WaitUntil(
            [&] {
                return fs::exists(result) && testsupport::ReadFile(result).substr(0, 4) == "\x89PNG" &&
                       std::distance(fs::directory_iterator(outputs), fs::directory_iterator()) == 1;
            },
            30000))
            << "no result";
        fs::remove(result);
        return Trim(XServer::Output("xdotool getwindowpid " + m_pictavo));
    }

    std::string m_uninst;
};
} // namespace

TEST_F(UninstE2eTest, RemovesTheInstallByClicksAndLeavesHomeAsItWas)
{
    if (IsSkipped())
        return;
    httptest::LocalHttpServer statistics;
    ASSERT_TRUE(statistics.ok());
    // Both reports are refused by the server.
    testsupport::WriteFile(m_dist + "/PictavoInstaller/config.ini",
                           "[Config]\ninstall_statistics_url=" + statistics.Url("/missing") +
                               "\nuninstall_statistics_url=" + statistics.Url("/missing") +
                               "\nversion_url=" + statistics.Url("/none") + "\n");
    // The menu entries go where the desktop looks for them: here not the default folder.
    ::setenv("XDG_DATA_HOME", (m_home + "/data").c_str(), 1);
    fs::create_directories(m_home + "/Documents");
    const auto before = Snapshot(m_home);
    const std::string installDir = m_home + "/.local/opt/Pictavo";
    InstallWithSetup(installDir, statistics);
    // The report's failure is not the setup's to log: its log has no request line.
    const std::string setupLog =
        testsupport::ReadFile(std::string(std::getenv("TMPDIR")) + "Pictavo/install.log");
    EXPECT_NE(setupLog.find("安装完成"), std::string::npos) << setupLog;
    EXPECT_EQ(setupLog.find("post url="), std::string::npos) << setupLog;
    if (HasFatalFailure())
        return;
    const std::string menuEntry = m_home + "/data/applications/Pictavo/卸载 Pictavo.desktop";
    EXPECT_NE(testsupport::ReadFile(menuEntry).find(installDir + "/Uninst"), std::string::npos);
    const std::string machineId = testsupport::Narrow(ProductValue(L"MachineId"));
    ASSERT_EQ(machineId.size(), 32u);

    const std::string picture = m_dir / "sunrise.jpg";
    ASSERT_EQ(std::system(("convert -size 64x48 plasma: '" + picture + "'").c_str()), 0);
    const std::string pid = ConvertWithPictavo(installDir, picture);
    if (HasFatalFailure() || pid.empty())
        return;
    const std::string runtimeEntry = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows/" + pid;
    const std::string magickFolder = std::string(std::getenv("TMPDIR")) + "pictavo-magick-" + pid;
    EXPECT_TRUE(fs::exists(runtimeEntry + ".win"));
    EXPECT_TRUE(fs::is_directory(magickFolder));
    const int requestsBefore = statistics.RequestCount();

    const std::string uninst = installDir + "/Uninst";
    // Its log lines go to its output.
    XServer::Run("PICTAVO_DEBUG=1 '" + uninst + "' >'" + (m_dir / "uninst.out") + "' 2>&1 &");
    m_uninst = FindWindow("^Pictavo卸载程序$");
    ASSERT_FALSE(m_uninst.empty()) << testsupport::ReadFile(m_dir / "uninst.out");
    EXPECT_EQ(Size(m_uninst), std::make_pair(640, 400));
    Shoot(m_uninst, "uninst-confirm");
    // A second copy brings the first forward and ends with 0.
    XServer::Run("'" + uninst + "' >/dev/null 2>&1; echo $? >'" + (m_dir / "second.rc") + "' &");
    ASSERT_TRUE(WaitUntil([&] { return !Trim(testsupport::ReadFile(m_dir / "second.rc")).empty(); }, 10000));
    EXPECT_EQ(Trim(testsupport::ReadFile(m_dir / "second.rc")), "0");
    EXPECT_EQ(RunningFrom(uninst), 1);

    Click(m_uninst, kUninstallX, kUninstallY);
    // Closing is refused while the worker runs, by the close button and by the keyboard.
    Click(m_uninst, kCloseX, kCloseY);
    XServer::Run("xdotool windowfocus --sync " + m_uninst + " key alt+F4");
    Shoot(m_uninst, "uninst-progress");
    ASSERT_TRUE(WaitUntil([&] { return IsBlue(PixelAt(m_uninst, kOverX, kOverY + 12)); }, 15000))
        << "the goodbye page did not come";
    Shoot(m_uninst, "uninst-done");

    ASSERT_TRUE(WaitUntil([&] { return statistics.RequestCount() > requestsBefore; }, 5000))
        << "no uninstall report";
    const httptest::SeenPost report = statistics.LastPost();
    EXPECT_EQ(report.target, "/missing?versionid=0&version=1.0.0.0&qudao=guanwan");
    const std::string base64 = report.body.substr(report.body.find('=') + 1);
    EXPECT_EQ(Base64Decode(base64.c_str(), static_cast<int>(base64.size())),
              "{\"channel\":\"guanwan\",\"ins_type\":2,\"machineid\":\"" + machineId +
                  "\",\"version\":\"1.0.0.0\",\"versionid\":\"0\"}\n");

    Click(m_uninst, kOverX, kOverY);
    EXPECT_TRUE(WaitUntil([&] { return RunningFrom(uninst) == 0 && !fs::exists(installDir); }, 10000))
        << "the uninstaller and its folder stayed";
    m_uninst.clear();
    // Under the sanitizers: no memory error and no undefined behaviour in the uninstaller.
    const std::string output = testsupport::ReadFile(m_dir / "uninst.out");
    EXPECT_EQ(output.find("ERROR: AddressSanitizer"), std::string::npos) << output;
    EXPECT_EQ(output.find("runtime error"), std::string::npos) << output;
    // Its log ran to the end, without a line for the refused report.
    EXPECT_NE(output.find("卸载step=100"), std::string::npos) << output;
    EXPECT_EQ(output.find("post url="), std::string::npos) << output;

    // The Pictavo it stopped left nothing behind either.
    m_pictavo.clear();
    EXPECT_FALSE(fs::exists(runtimeEntry + ".win"));
    EXPECT_FALSE(fs::exists(runtimeEntry + ".sock"));
    EXPECT_FALSE(fs::exists(magickFolder));

    EXPECT_TRUE(ProductValue(L"installDir").empty());
    EXPECT_FALSE(CRegSettings(HKEY_LOCAL_MACHINE, kUninstallRegKey, false, false).IsOpen());
    EXPECT_FALSE(platform::FirewallStore::Find(L"Pictavo", nullptr));
    // Nothing of the product is left in HOME: only the empty standard folders that the setup
    // made for its programs and its menu entries, and the desktop's own list of the files the
    // user picked in a file dialog.
    const auto after = Snapshot(m_home);
    const std::set<std::string> standardFolders = {".local", ".local/opt", "data", "data/applications"};
    for (const auto& [path, what] : after)
    {
        const auto earlier = before.find(path);
        if (earlier == before.end() && what == "d" && standardFolders.count(path) != 0)
            continue;
        if (earlier == before.end() && path == "data/recently-used.xbel")
            continue;
        EXPECT_TRUE(earlier != before.end() && earlier->second == what) << "left behind or changed: " << path;
    }
    for (const auto& [path, what] : before)
        EXPECT_TRUE(after.count(path) != 0) << "removed: " << path;
}
