// The real PictavoSetup from an installed release layout (cmake --install) into the test's
// HOME, over an earlier install whose program is still running: the four pages, the overwrite
// question, the installed files, manifest, entries and registry values, and the installed
// Pictavo started from the finish page.
#include "tests/e2e/ReleaseDisplayTest.h"
#include "tests/e2e/XServer.h"

#include "common/http/Base64.h"
#include "common/install/InstallManifest.h"
#include "common/install/RegSettings.h"
#include "tests/support/TestServers.h"

#include "platform/Firewall.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{
// Centres of the wizard's controls in window coordinates (the skin's 640 x 400 layout).
constexpr int kInstallX = 340, kInstallY = 304;
constexpr int kProtocolX = 140, kProtocolY = 364;
constexpr int kExtendX = 560, kExtendY = 363;
constexpr int kBackX = 50, kBackY = 35;
constexpr int kStartX = 320, kStartY = 304;
constexpr int kCloseX = 614, kCloseY = 21;

class SetupE2eTest : public ReleaseDisplayTest
{
protected:
    SetupE2eTest() : ReleaseDisplayTest("e2e-setup") {}
};
} // namespace

TEST_F(SetupE2eTest, InstallsOverARunningEarlierInstallAndStartsPictavo)
{
    if (IsSkipped())
        return;
    // An earlier install, registered, whose program still runs from its folder.
    const std::string installDir = m_home + "/.local/opt/Pictavo";
    fs::create_directories(installDir);
    fs::copy_file(testsupport::TestBinaryDir() + "/common_sleeper", installDir + "/Pictavo");
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true)
        .SetValue(L"installDir", testsupport::Wide(installDir).c_str());
    XServer::Run("'" + installDir + "/Pictavo' 60000 >/dev/null 2>&1 &");
    // The install report goes to a server of the test's own.
    httptest::LocalHttpServer statistics;
    ASSERT_TRUE(statistics.ok());
    testsupport::WriteFile(m_dist + "/PictavoInstaller/config.ini",
                           "[Config]\ninstall_statistics_url=" + statistics.Url("/echo") + "\n");
    ASSERT_TRUE(WaitUntil([&] { return RunningFrom(installDir + "/Pictavo") == 1; }, 5000));

    XServer::Run("cd '" + m_dist + "' && ./PictavoSetup >'" + (m_dir / "setup.out") + "' 2>&1 &");
    m_setup = FindWindow("^Pictavo安装程序$");
    ASSERT_FALSE(m_setup.empty()) << testsupport::ReadFile(m_dir / "setup.out");
    EXPECT_EQ(Size(m_setup), std::make_pair(640, 400));
    Shoot(m_setup, "setup-welcome");

    Click(m_setup, kExtendX, kExtendY);
    EXPECT_TRUE(WaitUntil([&] { return Size(m_setup) == std::make_pair(640, 440); }, 5000))
        << "folder bar not shown";
    Shoot(m_setup, "setup-welcome-folder");
    Click(m_setup, kProtocolX, kProtocolY);
    EXPECT_TRUE(WaitUntil([&] { return Size(m_setup) == std::make_pair(640, 400); }, 5000));
    Shoot(m_setup, "setup-licence");
    Click(m_setup, kBackX, kBackY);

    ASSERT_TRUE(ClickUntil(m_setup, kInstallX, kInstallY, [] { return !FindWindow("^提示$", 0).empty(); }));
    const std::string question = FindWindow("^提示$", 10000);
    ASSERT_FALSE(question.empty()) << "no overwrite question";
    const auto [width, height] = Size(question);
    Click(question, width / 2 + 70, height - 60); // "是"
    ASSERT_TRUE(WaitUntil([&] { return FindWindow("^提示$", 200).empty(); }, 5000));
    // The worker ends the running program and pauses before it copies: the progress page.
    Shoot(m_setup, "setup-progress");
    // Closing is refused while the worker runs, by the close button and by the keyboard.
    Click(m_setup, kCloseX, kCloseY);
    XServer::Run("xdotool windowfocus --sync " + m_setup + " key alt+F4");

    // The finish page's button is blue where the progress page is white.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const COLORREF pixel = PixelAt(m_setup, kStartX, kStartY + 15);
            // COLORREF is 0x00BBGGRR.
            return pixel != Screenshot::kNone && ((pixel >> 16) & 0xFF) > 150 && (pixel & 0xFF) < 130;
        },
        20000))
        << "the finish page did not come";
    Shoot(m_setup, "setup-finish");

    EXPECT_EQ(RunningFrom(installDir + "/Pictavo"), 0) << "the old program runs on";
    EXPECT_EQ(ProductValue(L"installDir"), testsupport::Wide(installDir));
    EXPECT_EQ(ProductValue(L"MachineId").size(), 32u);
    EXPECT_EQ(ProductValue(L"installDirCreated"), L"0");
    EXPECT_TRUE(platform::FirewallStore::Find(L"Pictavo", nullptr));
    CInstallManifest manifest;
    ASSERT_TRUE(manifest.Load(testsupport::Wide(installDir)));
    for (const char* file : {"Pictavo", "libDuiLib.so", "config.ini", "icon.png", "magick/policy.xml"})
    {
        EXPECT_TRUE(fs::exists(installDir + "/" + file)) << file;
        EXPECT_NE(std::find(manifest.Files().begin(), manifest.Files().end(), testsupport::Wide(file)),
                  manifest.Files().end())
            << file;
    }
    EXPECT_FALSE(fs::exists(installDir + "/PictavoSetup"));
    ASSERT_TRUE(WaitUntil([&] { return statistics.RequestCount() > 0; }, 5000)) << "no install report";
    const httptest::SeenPost report = statistics.LastPost();
    EXPECT_EQ(report.target, "/echo?versionid=&version=1.0.0.0&qudao=guanwan");
    const std::string base64 = report.body.substr(report.body.find('=') + 1);
    const std::string json = Base64Decode(base64.c_str(), static_cast<int>(base64.size()));
    EXPECT_NE(json.find("\"install\":0"), std::string::npos) << json;
    EXPECT_NE(json.find("\"machineid\":\"" + testsupport::Narrow(ProductValue(L"MachineId")) + "\""),
              std::string::npos)
        << json;
    for (const std::string& entry :
         {m_home + "/Desktop/Pictavo.desktop", m_home + "/.local/share/applications/Pictavo/Pictavo.desktop",
          m_home + "/.local/share/applications/Pictavo/卸载 Pictavo.desktop"})
        EXPECT_TRUE(fs::exists(entry)) << entry;

    Click(m_setup, kStartX, kStartY);
    m_pictavo = FindWindow("^Pictavo$");
    ASSERT_FALSE(m_pictavo.empty()) << "the installed Pictavo did not show its window";
    const std::string pid = Trim(XServer::Output("xdotool getwindowpid " + m_pictavo));
    EXPECT_EQ(fs::read_symlink("/proc/" + pid + "/exe").string(), installDir + "/Pictavo");
    EXPECT_TRUE(WaitUntil([&] { return FindWindow("^Pictavo安装程序$", 200).empty(); }, 5000));
    m_setup.clear();
}

// A folder of the user's own where the product would go: the setup asks first, and "否" leaves
// the folder and everything else untouched, the wizard still on its first page. Without a
// programs folder to propose, installing is refused as an invalid folder.
TEST_F(SetupE2eTest, AsksBeforeUsingAUsersFolderAndRefusesAnInvalidOne)
{
    if (IsSkipped())
        return;
    const std::string folder = m_home + "/.local/opt/Pictavo";
    fs::create_directories(folder);
    testsupport::WriteFile(folder + "/mine.txt", "the user's own file");

    XServer::Run("cd '" + m_dist + "' && ./PictavoSetup >'" + (m_dir / "setup.out") + "' 2>&1 &");
    m_setup = FindWindow("^Pictavo安装程序$");
    ASSERT_FALSE(m_setup.empty()) << testsupport::ReadFile(m_dir / "setup.out");
    ASSERT_TRUE(ClickUntil(m_setup, kInstallX, kInstallY, [] { return !FindWindow("^提示$", 0).empty(); }));
    std::string question = FindWindow("^提示$", 10000);
    ASSERT_FALSE(question.empty()) << "no question before using the user's folder";
    auto [width, height] = Size(question);
    Click(question, width / 2 - 70, height - 60); // "否"
    ASSERT_TRUE(WaitUntil([&] { return FindWindow("^提示$", 200).empty(); }, 5000));
    EXPECT_FALSE(FindWindow("^Pictavo安装程序$", 2000).empty()) << "the wizard closed";
    EXPECT_EQ(Size(m_setup), std::make_pair(640, 400));
    EXPECT_FALSE(fs::exists(folder + "/Pictavo"));
    EXPECT_FALSE(fs::exists(folder + "/install.manifest"));
    EXPECT_EQ(testsupport::ReadFile(folder + "/mine.txt"), "the user's own file");
    EXPECT_TRUE(ProductValue(L"installDir").empty());
    Click(m_setup, kCloseX, kCloseY);
    ASSERT_TRUE(WaitUntil([&] { return RunningFrom(m_dist + "/PictavoSetup") == 0; }, 5000))
        << "close did not end it";
    // Until the server has let the ended copy's window go, it would be found in place of the
    // next copy's and clicked in vain.
    ASSERT_TRUE(WaitUntil([&] { return IsGone(m_setup); }, 10000));

    // No programs folder can be had: nothing is proposed, and installing says the folder is invalid.
    fs::remove_all(m_home + "/.local/opt");
    testsupport::WriteFile(m_home + "/.local/opt", "a file where the folder would be");
    XServer::Run("cd '" + m_dist + "' && ./PictavoSetup >>'" + (m_dir / "setup.out") + "' 2>&1 &");
    m_setup = FindWindow("^Pictavo安装程序$");
    ASSERT_FALSE(m_setup.empty());
    const bool answered =
        ClickUntil(m_setup, kInstallX, kInstallY, [] { return !FindWindow("^提示$", 0).empty(); });
    if (!answered)
        Shoot(m_setup, "no-invalid-folder-message");
    ASSERT_TRUE(answered);
    question = FindWindow("^提示$", 10000);
    ASSERT_FALSE(question.empty()) << "no invalid-folder message";
    std::tie(width, height) = Size(question);
    Click(question, width / 2, height - 60); // "确定"
    ASSERT_TRUE(WaitUntil([&] { return FindWindow("^提示$", 200).empty(); }, 5000));
    EXPECT_FALSE(fs::exists("/Pictavo"));
    EXPECT_TRUE(ProductValue(L"installDir").empty());
    EXPECT_EQ(Size(m_setup), std::make_pair(640, 400));
}

// A release without its payload: the failed copy is shown in a message box, the wizard stays on
// its progress page without a finish, nothing is registered, and the window may then be closed.
TEST_F(SetupE2eTest, FailedCopyIsShownAndNeverFinishes)
{
    if (IsSkipped())
        return;
    fs::remove_all(m_dist + "/PictavoInstaller");
    XServer::Run("cd '" + m_dist + "' && ./PictavoSetup >'" + (m_dir / "setup.out") + "' 2>&1 &");
    m_setup = FindWindow("^Pictavo安装程序$");
    ASSERT_FALSE(m_setup.empty()) << testsupport::ReadFile(m_dir / "setup.out");
    ASSERT_TRUE(ClickUntil(m_setup, kInstallX, kInstallY, [] { return !FindWindow("^提示$", 0).empty(); }));
    const std::string message = FindWindow("^提示$", 10000);
    ASSERT_FALSE(message.empty()) << "the failure was not shown";
    const auto [width, height] = Size(message);
    Click(message, width / 2, height - 60); // "确定"
    ASSERT_TRUE(WaitUntil([&] { return FindWindow("^提示$", 200).empty(); }, 5000));
    const COLORREF pixel = PixelAt(m_setup, kStartX, kStartY + 15);
    EXPECT_TRUE(pixel != Screenshot::kNone && (pixel & 0xFF) > 200) << "the finish page came after a failure";
    EXPECT_TRUE(ProductValue(L"installDir").empty());
    EXPECT_TRUE(ProductValue(L"MachineId").empty());
    Click(m_setup, kCloseX, kCloseY);
    EXPECT_TRUE(WaitUntil([&] { return RunningFrom(m_dist + "/PictavoSetup") == 0; }, 5000))
        << "close refused";
    m_setup.clear();
}
