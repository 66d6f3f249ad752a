// GetMajor reads config.ini beside the running program, so it runs in a copy of this test
// program placed in a folder of its own beside the config.ini the test writes.
#include "common/http/HttpMgr.h"
#include "main/MajorVersion.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestServers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
const char* const kOutVariable = "PICTAVO_GETMAJOR_OUT";

// In the copy: the version request, its outputs written where the parent reads them.
void RunAsChild(const char* outPath)
{
    std::wstring version = L"old";
    std::wstring packUrl = L"old";
    GetMajor(&version, &packUrl);
    testsupport::WriteFile(outPath, testsupport::Narrow(version) + "\n" + testsupport::Narrow(packUrl));
}

TEST(GetMajorTest, AsksTheAddressInConfigIni)
{
    if (const char* outPath = std::getenv(kOutVariable))
        return RunAsChild(outPath);

    httptest::LocalHttpServer server;
    server.Serve(
        "/Soft/Sys/GetNewVersion", 200,
        R"({"success":true,"errmsg":"","result":{"version":"2.0.0.1","pack_url":"http://h/Update.zip"}})");
    testsupport::TempDir program("program");
    std::filesystem::copy_file("/proc/self/exe", program / "test_main");
    testsupport::WriteFile(program / "config.ini",
                           "[Config]\nversion_url=" + server.Url("/Soft/Sys/GetNewVersion") + "\n");
    // Its output goes to a pipe nobody reads: the copy's report is the file it writes.
    testsupport::ChildProcess copy;
    ASSERT_TRUE(copy.StartProgram(program / "test_main",
                                  {"--gtest_filter=GetMajorTest.AsksTheAddressInConfigIni"},
                                  {.environment = {std::string(kOutVariable) + "=" + (program / "out")}}));
    ASSERT_EQ(0, testsupport::ExitCode(copy.Wait()));
    EXPECT_EQ("2.0.0.1\nhttp://h/Update.zip", testsupport::ReadFile(program / "out"));
    EXPECT_EQ(1, server.RequestCount());
}
} // namespace
