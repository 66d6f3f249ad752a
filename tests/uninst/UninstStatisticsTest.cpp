// The uninstall report against a real server on 127.0.0.1: the address from config.ini beside
// the uninstaller, the query and the body "info=" + base64 of the JSON; and the values the
// window reads for it, with their fallbacks (no version in the registry, the machine id only in
// config.ini).
#include "uninst/UninstStatistics.h"
#include "common/http/Base64.h"
#include "common/install/RegSettings.h"
#include "tests/support/TestServers.h"
#include "tests/uninst/UninstKit.h"
#include "uninst/UninstDlg.h"

#include <gtest/gtest.h>

using namespace uninsttest;
using testsupport::Wide;

TEST(UninstallStatistics, ReportsTheRemovalWithTheValuesReadBeforeIt)
{
    httptest::LocalHttpServer server;
    ASSERT_TRUE(server.ok());
    testsupport::TempDir installDir("install");
    testsupport::WriteFile(installDir / "config.ini",
                           "[Config]\nuninstall_statistics_url=" + server.Url("/echo?src=uninst") +
                               "\n[MACHINE]\nMachineId=abc\n");
    // An install without version or machine id in the registry.
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true).SetValue(L"channel", L"");
    EXPECT_EQ(ReadRegVersionStr(), L"1.0.0.0");
    EXPECT_EQ(ReadRegChannel(), L"");
    EXPECT_EQ(ReadRegMachineId(installDir.wpath()), L"abc");
    const std::wstring base = UninstallStatisticsBaseUrl(installDir.wpath());
    EXPECT_EQ(base, Wide(server.Url("/echo?src=uninst")));

    RecordWindow window;
    EXPECT_GT(SendUninstallStatistics(window.hwnd(), base, L"0", L"2.1.1.2", L"", L"abc"), 0);
    ASSERT_TRUE(window.WaitForReplies(1));
    const httptest::SeenPost post = server.LastPost();
    EXPECT_EQ(post.target, "/echo?src=uninst&versionid=0&version=2.1.1.2&qudao=");
    EXPECT_EQ(post.contentType, "application/x-www-form-urlencoded");
    ASSERT_EQ(post.body.rfind("info=", 0), 0u);
    const std::string base64 = post.body.substr(5);
    EXPECT_EQ(Base64Decode(base64.c_str(), static_cast<int>(base64.size())),
              "{\"channel\":\"\",\"ins_type\":2,\"machineid\":\"abc\",\"version\":\"2.1.1.2\",\"versionid\":"
              "\"0\"}\n");

    // The registry's values win; without a config.ini the built-in address is used.
    CRegSettings product(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    product.SetValue(L"version_str", L"3.0.0.1");
    product.SetValue(L"MachineId", L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(ReadRegVersionStr(), L"3.0.0.1");
    EXPECT_EQ(ReadRegMachineId(installDir.wpath()), L"0123456789abcdef0123456789abcdef");
    testsupport::TempDir empty("empty");
    EXPECT_EQ(UninstallStatisticsBaseUrl(empty.wpath()).rfind(L"http://", 0), 0u);
}
