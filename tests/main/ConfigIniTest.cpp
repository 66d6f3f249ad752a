#include "main/ConfigIni.h"

#include "common/install/RegSettings.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Wide;
using testsupport::WriteFile;

namespace
{
void SetProductValue(LPCWSTR name, LPCWSTR text)
{
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    ASSERT_TRUE(reg.SetValue(name, text));
}
} // namespace

class ConfigIniTest : public ::testing::Test
{
protected:
    // Every test starts without the product key.
    void SetUp() override
    {
        CRegSettings software(HKEY_LOCAL_MACHINE, L"SOFTWARE", false, true);
        software.RecurseDeleteKey(software.GetKey(), L"Pictavo");
    }

    TempDir m_dir;
    std::string m_ini = m_dir / "config.ini";
    CConfigIni m_config{Wide(m_ini)};
};

TEST_F(ConfigIniTest, DefaultsWithoutAFile)
{
    EXPECT_EQ(m_config.GetVersionUrl().rfind(L"http://", 0), 0u);
    EXPECT_TRUE(m_config.GetVersionUrl().ends_with(L"/Soft/Sys/GetNewVersion"));
    EXPECT_TRUE(m_config.GetInstallStatisticsUrl().ends_with(L"/Soft/Sys/InstallationPackage"));
    EXPECT_TRUE(m_config.GetLoginUrl().ends_with(L"/Soft/Oauth/Login"));
    EXPECT_EQ(m_config.GetOutDir(), L"");
    EXPECT_EQ(m_config.GetKey(), L"");
    EXPECT_EQ(m_config.GetMachineId(), L"");
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"LogLevel", 1, m_config.m_strIniPath.c_str()), 1u);
    EXPECT_FALSE(testsupport::Exists(m_ini));
}

TEST_F(ConfigIniTest, PathIsBesideTheProgram)
{
    CConfigIni config;
    EXPECT_EQ(config.m_strIniPath, Wide(testsupport::ProgramDir()) + L"/config.ini");
}

TEST_F(ConfigIniTest, SectionsAndKeysMatchWithoutCase)
{
    WriteFile(m_ini, "[CONFIG]\nversion_url=http://127.0.0.1:8080/v\nout_dir=/home/u/图片\nLogLevel=0\n"
                     "[MACHINE]\nMachineId=0123456789abcdef0123456789abcdef\n");
    EXPECT_EQ(m_config.GetVersionUrl(), L"http://127.0.0.1:8080/v");
    EXPECT_EQ(m_config.GetOutDir(), L"/home/u/图片");
    EXPECT_EQ(m_config.GetMachineId(), L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"LogLevel", 1, m_config.m_strIniPath.c_str()), 0u);
}

TEST_F(ConfigIniTest, TextValuesAreCutToTheirBuffersButTheOutputFolderIsReadWhole)
{
    // A folder cut to fit a short buffer could name another folder that exists.
    WriteFile(m_ini,
              "[CONFIG]\nout_dir=/" + std::string(400, 'd') + "\nlogin_url=" + std::string(1500, 'u') + "\n");
    EXPECT_EQ(m_config.GetOutDir(), L"/" + std::wstring(400, L'd'));
    EXPECT_EQ(m_config.GetLoginUrl(), std::wstring(1023, L'u'));
}

TEST_F(ConfigIniTest, KeyRoundTripsThroughBase64)
{
    for (const std::wstring& text : {std::wstring(L"token-123"), std::wstring(L"登录密钥 ключ"),
                                     std::wstring(L"a"), std::wstring(500, L'k')})
    {
        m_config.SetKey(text);
        EXPECT_EQ(m_config.GetKey(), text);
    }
    m_config.SetKey(L"ab");
    EXPECT_NE(ReadFile(m_ini).find("key=YWI="), std::string::npos) << ReadFile(m_ini);
    // An empty key stays in the file without text and reads back empty.
    m_config.SetKey(L"");
    EXPECT_EQ(m_config.GetKey(), L"");
    EXPECT_NE(ReadFile(m_ini).find("key="), std::string::npos);
}

TEST_F(ConfigIniTest, KeepsOtherEntriesWhenWritingTheKey)
{
    WriteFile(m_ini, "[Config]\ninstall_stattistics=1\n[MACHINE]\nMachineId=abc\n");
    m_config.SetKey(L"secret");
    EXPECT_EQ(m_config.GetKey(), L"secret");
    EXPECT_EQ(GetPrivateProfileIntW(L"Config", L"install_stattistics", 1, m_config.m_strIniPath.c_str()), 1u);
    EXPECT_EQ(m_config.GetMachineId(), L"abc");
}

TEST_F(ConfigIniTest, RegistryValuesAndTheirDefaults)
{
    EXPECT_EQ(CConfigIni::GetChannel(), L"guanwan");
    EXPECT_EQ(CConfigIni::GetVersionStr(), L"");
    SetProductValue(L"channel", L"baidu");
    SetProductValue(L"version_str", L"1.0.2.3");
    EXPECT_EQ(CConfigIni::GetChannel(), L"baidu");
    EXPECT_EQ(CConfigIni::GetVersionStr(), L"1.0.2.3");
    SetProductValue(L"channel", L"");
    EXPECT_EQ(CConfigIni::GetChannel(), L"guanwan");
}

TEST_F(ConfigIniTest, MachineIdPrefersTheRegistry)
{
    WriteFile(m_ini, "[MACHINE]\nMachineId=from-config\n");
    EXPECT_EQ(m_config.GetMachineId(), L"from-config");
    SetProductValue(L"MachineId", L"from-registry");
    EXPECT_EQ(m_config.GetMachineId(), L"from-registry");
}
