// The background check against a real version service on 127.0.0.1: a newer version's package
// is downloaded with update.ini beside it; any run that completes no package leaves no package
// folder behind.
#include "common/base/Log.h"
#include "common/install/RegSettings.h"
#include "main/CheckUpdate.h"
#include "tests/support/TestServers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
std::string Reply(const std::string& version, const std::string& packUrl)
{
    return R"({"success":true,"errmsg":"","result":{"version":")" + version + R"(","pack_url":")" + packUrl +
           R"("}})";
}

class CheckDownloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.ok());
        testsupport::WriteFile(m_dir / "config.ini",
                               "[Config]\nversion_url=" + m_server.Url("/version") + "\n");
        CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true).SetValue(L"version_str", L"1.9.0.0");
        m_server.Serve("/Update.zip", 200, std::string(300, 'Z'));
    }

    // One background run, as the thread does it.
    void RunCheck()
    {
        CCheckUpdate check(m_dir.wpath());
        check.DownPackThreadProc({});
    }

    std::string Package() const { return m_dir / "UpdatePackage"; }

    httptest::LocalHttpServer m_server;
    testsupport::TempDir m_dir{"install"};
};
} // namespace

TEST_F(CheckDownloadTest, ANewerVersionIsDownloadedAndTheNextStartFindsItReady)
{
    m_server.Serve("/version", 200, Reply("1.10.0.0", m_server.Url("/Update.zip")));
    RunCheck();
    EXPECT_EQ(testsupport::ReadFile(Package() + "/Update.zip"), std::string(300, 'Z'));
    EXPECT_FALSE(fs::exists(Package() + "/Update.zip.temp"));
    EXPECT_NE(testsupport::ReadFile(Package() + "/update.ini").find("version_str=1.10.0.0"),
              std::string::npos);
    EXPECT_TRUE(IsUpdatePackReady(m_dir.wpath()));
}

TEST_F(CheckDownloadTest, NoNewerVersionNoAddressOrAFailedDownloadLeaveNoPackageFolder)
{
    const std::vector<std::pair<std::string, std::string>> replies = {
        {"1.9.0.0", m_server.Url("/Update.zip")},  // the same version
        {"1.8.0.0", m_server.Url("/Update.zip")},  // an older one
        {"2.0.0.0", ""},                           // newer, but no package address
        {"2.0.0.0", m_server.Url("/missing.zip")}, // the download fails
    };
    for (const auto& [version, url] : replies)
    {
        SCOPED_TRACE(version + " " + url);
        fs::create_directories(Package());
        testsupport::WriteFile(Package() + "/Update.zip.temp", "cut off earlier");
        m_server.Serve("/version", 200, Reply(version, url));
        RunCheck();
        EXPECT_FALSE(fs::exists(Package()));
    }
    // A failed request (nobody answers) as well.
    testsupport::WriteFile(m_dir / "config.ini", "[Config]\nversion_url=http://127.0.0.1:" +
                                                     std::to_string(httptest::ClosedPort()) + "/v\n");
    fs::create_directories(Package());
    RunCheck();
    EXPECT_FALSE(fs::exists(Package()));
}

TEST_F(CheckDownloadTest, AHostileServiceGetsNoPackageInAndItsFailuresAreLoggedWithTheirCause)
{
    testsupport::TempDir logDir("log");
    const std::string log = logDir / "check.log";
    CLog::GetInstance()->Init(logDir.path().c_str(), "check.log");
    const auto logHas = [&log](const std::string& text) {
        LOG_ERROR(L"CheckDownloadTest", L"end of run");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (testsupport::ReadFile(log).find("end of run") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            Sleep(10);
        return testsupport::ReadFile(log).find(text) != std::string::npos;
    };
    std::string elsewhere = m_server.Url("/Update.zip");
    elsewhere.replace(elsewhere.find("127.0.0.1"), 9, "localhost");
    m_server.ServeRedirect("/away.zip", elsewhere);
    // A version reply past 64 KiB is no reply, however newer its version.
    std::string padded = Reply("3.0.0.0", m_server.Url("/Update.zip"));
    padded.insert(1, 70 * 1024, ' ');
    m_server.Serve("/padded", 200, padded);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/missing-pack", Reply("2.0.0.0", m_server.Url("/missing.zip"))},
        {"/away-pack", Reply("2.0.0.0", m_server.Url("/away.zip"))},
        {"/padded", ""},
    };
    for (const auto& [path, reply] : cases)
    {
        SCOPED_TRACE(path);
        if (!reply.empty())
            m_server.Serve(path, 200, reply);
        testsupport::WriteFile(m_dir / "config.ini", "[Config]\nversion_url=" + m_server.Url(path) + "\n");
        RunCheck();
        EXPECT_FALSE(fs::exists(Package()));
    }
    EXPECT_TRUE(logHas("/missing.zip code=404 ")) << testsupport::ReadFile(log);
    EXPECT_TRUE(logHas("code=302 error=downloadFile redirect refused")) << testsupport::ReadFile(log);
    CLog::GetInstance()->Stop();
}
