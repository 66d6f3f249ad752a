// The install report against a real server on 127.0.0.1: the address from the payload's
// config.ini, the query's percent-encoded values, and the body "info=" + base64 of the JSON.
#include "common/http/Base64.h"
#include "common/http/HttpMgr.h"
#include "setup/InstallStatistics.h"
#include "tests/support/SetupKit.h"
#include "tests/support/TestServers.h"

#include <gtest/gtest.h>

using namespace setuptest;

namespace
{
std::string DecodedJson(const std::string& body)
{
    EXPECT_EQ(body.rfind("info=", 0), 0u);
    const std::string base64 = body.substr(5);
    return Base64Decode(base64.c_str(), static_cast<int>(base64.size()));
}

// The POST as the server saw it, once the reply came back to the window.
httptest::SeenPost PostOf(const httptest::LocalHttpServer& server, const InstallStatisticsInfo& info)
{
    ProgressWindow window;
    EXPECT_GT(SendInstallStatistics(CHttpMgr::GetInstance(), window.hwnd(), info), 0);
    EXPECT_TRUE(window.WaitForReplies(1));
    return server.LastPost();
}
} // namespace

TEST(InstallStatistics, CompletionAndFailureReports)
{
    httptest::LocalHttpServer server;
    ASSERT_TRUE(server.ok());
    SetupFolder setup({{"config.ini", "[Config]\ninstall_statistics_url=" + server.Url("/echo") + "\n"}});

    InstallStatisticsInfo done;
    done.success = true;
    done.message = L"安装完成";
    done.osCode = 13;
    done.version = L"1.0.0.0";
    done.channel = L"web & more";
    done.machineId = L"0123456789abcdef0123456789abcdef";
    const auto post = PostOf(server, done);
    EXPECT_EQ(post.target, "/echo?versionid=&version=1.0.0.0&qudao=web%20%26%20more");
    EXPECT_EQ(post.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(DecodedJson(post.body),
              "{\"channel\":\"web & more\",\"errormsg\":\"安装完成\",\"ins_type\":1,\"install\":0,"
              "\"machineid\":\"0123456789abcdef0123456789abcdef\",\"os\":13,\"version\":\"1.0.0.0\","
              "\"versionid\":\"\"}\n");

    InstallStatisticsInfo failed = done;
    failed.success = false;
    failed.channel.clear();
    failed.message = L"拷贝依赖文件失败";
    const auto failure = PostOf(server, failed);
    EXPECT_EQ(failure.target, "/echo?versionid=&version=1.0.0.0&qudao=");
    const std::string json = DecodedJson(failure.body);
    EXPECT_NE(json.find("\"install\":1"), std::string::npos) << json;
    EXPECT_NE(json.find("\"channel\":\"\""), std::string::npos) << json;

    // An address that has a query already is joined with "&".
    EXPECT_EQ(
        InstallStatisticsUrl(L"http://h/st?src=setup", done).rfind("http://h/st?src=setup&versionid=", 0),
        0u);
}
