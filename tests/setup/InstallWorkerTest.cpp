// The install worker on real folders: the payload copied over an earlier install, the
// records it posts, the machine id, the registry values, the manifest, the firewall rule and
// the menu entries; a failed copy; a close during the copy; and the product's own running
// programs stopped while an unrelated one of the same name runs on.
#include "common/base/ProcessHelper.h"
#include "common/install/CreatedFolders.h"
#include "common/install/InstallManifest.h"
#include "tests/common/SleeperCopy.h"
#include "tests/support/SetupKit.h"

#include "platform/DesktopEntry.h"
#include "platform/Firewall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cwctype>
#include <filesystem>
#include <thread>

using namespace setuptest;
using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Wide;
namespace fs = std::filesystem;

namespace
{
const std::vector<std::pair<std::string, std::string>> kPayload = {
    {"Pictavo", "main program"},
    {"Uninst", "uninstaller"},
    {"config.ini", "[Config]\ninstall_statistics_url=http://127.0.0.1:1/st\n"},
    {"icon.png", "icon"},
    {"magick/policy.xml", "<policymap/>"},
    {"PictavoSetup", "never copied"},
    {"sub/old-PictavoSetup-copy", "never copied either"},
    {"sub/pictavosetup", "copied: the letter case differs"},
};

bool IsMachineId(const std::wstring& id)
{
    return id.size() == 32 && std::all_of(id.begin(), id.end(), [](wchar_t c) {
               return std::iswdigit(c) || (c >= L'a' && c <= L'f');
           });
}

std::vector<InstallProgressRecord> RunInstall(CInstallMgr& worker, const std::string& installDir)
{
    ProgressWindow window;
    worker.SetInstallDir(Wide(installDir));
    EXPECT_TRUE(worker.BeginInstallThread());
    return window.WaitFor(worker);
}

void ExpectRecords(const std::vector<InstallProgressRecord>& records,
                   const std::vector<std::pair<int, std::wstring>>& expected, int failedAt = -1)
{
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(records[i].percent, expected[i].first) << i;
        EXPECT_EQ(records[i].message, expected[i].second) << i;
        EXPECT_EQ(records[i].error, static_cast<int>(i) == failedAt ? -1 : 0) << i;
    }
}

} // namespace

// A full install over an earlier one: six records, the payload without the setup program, the
// user's own files and settings kept, the machine id in the registry and config.ini, the
// registry values the other programs read, a manifest of exactly what was copied, the rule and
// the menu entries; and the product's own running program stopped, an unrelated one not.
TEST(InstallWorker, FullInstallOverAnEarlierOne)
{
    SetupFolder setup(kPayload);
    TempDir install("Pictavo");
    TempDir elsewhere("elsewhere");
    testsupport::WriteFile(install / "config.ini",
                           "[CONFIG]\nout_dir=/home/me/Pictures\nLogLevel=0\nkey=c2VjcmV0\n"
                           "install_stattistics=0\ninstall_statistics_url=http://old\n");
    testsupport::WriteFile(install / "notes.txt", "the user's own file");
    const DWORD ours = testsupport::StartSleeperCopy(install.path(), "Pictavo");
    const DWORD unrelated = testsupport::StartSleeperCopy(elsewhere.path(), "Pictavo");
    ASSERT_NE(ours, 0u);
    ASSERT_NE(unrelated, 0u);

    CInstallMgr worker;
    worker.SetCreatedFolders({install.wpath()});
    const auto records = RunInstall(worker, install.path());
    ExpectRecords(records, {{5, L""},
                            {20, L"拷贝文件完成"},
                            {20, L"机器码生成完成"},
                            {30, L"拷贝依赖文件完成"},
                            {90, L"安装完成初始化"},
                            {100, L"安装完成"}});

    EXPECT_TRUE(platform::GetProcessImagePath(ours).empty()) << "the installed program was left running";
    EXPECT_FALSE(platform::GetProcessImagePath(unrelated).empty()) << "an unrelated program was stopped";
    ::kill(static_cast<pid_t>(unrelated), SIGKILL);

    EXPECT_EQ(ReadFile(install / "Pictavo"), "main program");
    EXPECT_EQ(ReadFile(install / "magick/policy.xml"), "<policymap/>");
    EXPECT_EQ(ReadFile(install / "sub/pictavosetup"), "copied: the letter case differs");
    EXPECT_EQ(ReadFile(install / "libDuiLib.so"), "framework library");
    EXPECT_FALSE(Exists(install / "PictavoSetup"));
    EXPECT_FALSE(Exists(install / "sub/old-PictavoSetup-copy"));
    EXPECT_EQ(ReadFile(install / "notes.txt"), "the user's own file");

    const std::string ini = install / "config.ini";
    EXPECT_EQ(IniValue(ini, L"CONFIG", L"out_dir"), L"/home/me/Pictures");
    EXPECT_EQ(IniValue(ini, L"CONFIG", L"LogLevel"), L"0");
    EXPECT_EQ(IniValue(ini, L"Config", L"key"), L"c2VjcmV0");
    EXPECT_EQ(IniValue(ini, L"Config", L"install_stattistics"), L"0");
    EXPECT_EQ(IniValue(ini, L"Config", L"install_statistics_url"), L"http://127.0.0.1:1/st")
        << "payload value";
    const std::wstring machineId = IniValue(ini, L"MACHINE", L"MachineId");
    EXPECT_TRUE(IsMachineId(machineId)) << testsupport::Narrow(machineId);
    EXPECT_EQ(ProductValue(L"MachineId"), machineId);
    EXPECT_EQ(g_strMachineId, machineId);

    EXPECT_EQ(ProductValue(L"installDir"), install.wpath());
    EXPECT_EQ(ProductValue(L"version_str"), L"1.0.0.0");
    EXPECT_EQ(ProductValue(L"channel"), L"guanwan");
    EXPECT_EQ(ProductValue(L"appname"), L"Pictavo");
    EXPECT_EQ(ProductValue(kCreatedFolderValue), L"1");
    EXPECT_EQ(ReadCreatedFolders(install.wpath()), std::vector<std::wstring>{install.wpath()});
    EXPECT_EQ(RegValue(kUninstallRegKey, L"UninstallString"), install.wpath() + L"/Uninst");
    EXPECT_EQ(RegValue(kUninstallRegKey, L"DisplayIcon"), install.wpath() + L"/icon.png");
    EXPECT_EQ(RegValue(kUninstallRegKey, L"DisplayName"), L"Pictavo");

    CInstallManifest manifest;
    ASSERT_TRUE(manifest.Load(install.wpath()));
    std::vector<std::wstring> files = manifest.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{L"Pictavo", L"Uninst", L"config.ini", L"icon.png",
                                                L"libDuiLib.so", L"magick/policy.xml", L"sub/pictavosetup"}));
    std::vector<std::wstring> folders = manifest.Folders();
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::wstring>{L"magick", L"sub"}));

    platform::FirewallRule rule;
    ASSERT_TRUE(platform::FirewallStore::Find(L"Pictavo", &rule));
    EXPECT_EQ(rule.application, install.wpath() + L"/Pictavo");

    const std::string menu = std::string(std::getenv("HOME")) + "/.local/share/applications/Pictavo";
    EXPECT_NE(ReadFile(menu + "/Pictavo.desktop").find("Exec=" + install.path() + "/Pictavo\n"),
              std::string::npos);
    EXPECT_NE(ReadFile(menu + "/卸载 Pictavo.desktop").find("Name=卸载 Pictavo\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(std::string(std::getenv("HOME")) + "/Desktop")) << "no desktop folder is made";
    EXPECT_FALSE(fs::exists(std::string(std::getenv("HOME")) + "/.local/share/applications/程序"));

    // Of the recorded folders only the install folder and those above it are read; without the
    // list, an older setup's "1" stands for the install folder.
    const std::wstring above = Wide(fs::path(install.path()).parent_path().string());
    ASSERT_TRUE(RecordCreatedFolders({L"/elsewhere", above, install.wpath() + L"-beside", L"relative"}));
    EXPECT_EQ(ReadCreatedFolders(install.wpath()), std::vector<std::wstring>{above});
    RegDeleteValueW(CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, false).GetKey(),
                    kCreatedFoldersValue);
    EXPECT_EQ(ReadCreatedFolders(install.wpath()), std::vector<std::wstring>{install.wpath()});
}

// A missing payload: exactly two records and nothing of the later steps. A close while the
// copy runs stops it between two files, reported the same way.
TEST(InstallWorker, FailedOrStoppedCopyEndsAfterItsRecord)
{
    const std::vector<std::pair<int, std::wstring>> failed = {{5, L""}, {20, L"拷贝文件失败"}};
    {
        SetupFolder setup({});
        fs::remove_all(fs::path(setup.path()) / "PictavoInstaller");
        TempDir install("Pictavo");
        g_strMachineId.clear();
        CInstallMgr worker;
        ExpectRecords(RunInstall(worker, install.path()), failed, 1);
        EXPECT_TRUE(g_strMachineId.empty());
        EXPECT_TRUE(ProductValue(L"MachineId").empty());
    }
    {
        SetupFolder setup(kPayload);
        TempDir install("Pictavo");
        CInstallMgr worker;
        worker.RequestStop();
        ExpectRecords(RunInstall(worker, install.path()), failed, 1);
        EXPECT_FALSE(Exists(install / "Pictavo"));
        EXPECT_TRUE(ProductValue(L"installDir").empty()) << "a stopped copy registered the install";
    }
}

// The framework library missing beside the setup: the library step fails, and no registry
// values, rule or entries follow it.
TEST(InstallWorker, MissingLibraryFailsTheInstall)
{
    SetupFolder setup(kPayload);
    fs::remove(fs::path(setup.path()) / "libDuiLib.so");
    TempDir install("Pictavo");
    CInstallMgr worker;
    ExpectRecords(RunInstall(worker, install.path()),
                  {{5, L""}, {20, L"拷贝文件完成"}, {20, L"机器码生成完成"}, {30, L"拷贝依赖文件失败"}}, 3);
    EXPECT_TRUE(ProductValue(L"installDir").empty());
    EXPECT_FALSE(platform::FirewallStore::Find(L"Pictavo", nullptr));
}
