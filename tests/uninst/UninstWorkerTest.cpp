// The uninstall worker on a real install made by the setup's own worker: the seven records and
// their spacing, everything of the product gone (programs stopped, entries, rule, nested keys,
// installed and product-made files) while a same-named program elsewhere runs on; the driver
// step's log line, the runtime entries and temporary folders of the stopped Pictavo and the
// output folder it made; and what it must never remove: a user's files in an install folder that
// existed before, files behind a linked folder, everything around a copied uninstaller, and the
// parent of the menu folder when the registered name is not a plain name.
#include "common/install/CreatedFolders.h"
#include "common/install/FirewallSettings.h"
#include "common/install/ProductProcesses.h"
#include "common/install/RegSettings.h"
#include "tests/common/SleeperCopy.h"
#include "tests/support/DialogKit.h"
#include "tests/uninst/UninstKit.h"

#include "platform/Firewall.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace uninsttest;
using testsupport::Exists;
using testsupport::Narrow;
using testsupport::ReadFile;
using testsupport::Wide;
namespace fs = std::filesystem;

namespace
{
// A file with its folders made first.
void Put(const std::string& path, std::string_view bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    testsupport::WriteFile(path, bytes);
    ASSERT_EQ(ReadFile(path), bytes) << path;
}

bool KeyExists(const wchar_t* key)
{
    return CRegSettings(HKEY_LOCAL_MACHINE, key, false, false).IsOpen();
}

std::string Home()
{
    return std::getenv("HOME");
}

std::string MenuFolder()
{
    return Home() + "/.local/share/applications/Pictavo";
}

bool IsEmptyFolder(const std::string& path)
{
    return fs::is_directory(path) && fs::is_empty(path);
}
} // namespace

TEST(UninstWorker, RemovesEverythingOfAnInstallInSevenSpacedSteps)
{
    setuptest::SetupFolder setup(Payload());
    fs::create_directories(Home() + "/Desktop");
    const std::string installDir = Home() + "/.local/opt/Pictavo";
    Install(installDir);
    // What the product makes while it runs, and nested keys below the product key.
    Put(installDir + "/log/2026-12-09.log", "a line");
    Put(installDir + "/UpdatePackage/staging/Pictavo", "new version");
    Put(installDir + "/Pictavo.dmp", "crash report\nprogram: Pictavo\n");
    Put(installDir + "/UpdatePackage/Update.zip.temp", "cut off");
    Put(installDir + "/UpdatePackage/update.ini", "[CONFIG]\n");
    CRegSettings(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo\\Login\\Avatar", false, true)
        .SetValue(L"file", L"a.png");
    CFirewallSettings().AddRule(Wide(installDir + "/Pictavo").c_str(), L"kelvane_rule", L"older rule");
    // The installed program runs; a program of the same name elsewhere is not ours.
    testsupport::TempDir elsewhere("elsewhere");
    const DWORD ours = testsupport::StartSleeperCopy(installDir, "Pictavo");
    const DWORD other = testsupport::StartSleeperCopy(elsewhere.path(), "Pictavo");
    ASSERT_NE(ours, 0u);
    ASSERT_NE(other, 0u);
    // What a running Pictavo keeps under its id (its window list, its socket, the converter's
    // temporary folder), and the output folder it made at its first start.
    const auto leftovers = [](DWORD id) {
        const std::string pid = std::to_string(id);
        return std::vector<std::string>{
            std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows/" + pid + ".win",
            std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows/" + pid + ".sock",
            std::string(std::getenv("TMPDIR")) + "pictavo-magick-" + pid + "/input.png"};
    };
    for (const DWORD id : {ours, other})
        for (const std::string& file : leftovers(id))
            Put(file, "left by " + std::to_string(id));
    const std::string outputs = Home() + "/Documents/Pictavo";
    fs::create_directories(outputs);
    RecordMadeOutputFolder(Wide(outputs));
    dialogtest::LogLines log;

    RecordWindow window;
    CUninstMgr worker;
    const auto& records = window.Uninstall(worker, installDir);

    const std::vector<std::pair<int, std::wstring>> expected = {
        {5, L"开始卸载"},        {30, L"卸载驱动"}, {60, L"删除快捷方式"}, {70, L"移除防火墙"},
        {80, L"删除注册表信息"}, {90, L"删除文件"}, {100, L"卸载完成"}};
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(records[i].record.percent, expected[i].first);
        EXPECT_EQ(records[i].record.text, expected[i].second);
        EXPECT_EQ(records[i].record.status, 0);
        if (i > 0)
        {
            EXPECT_GE(records[i].at - records[i - 1].at, std::chrono::milliseconds(280)) << "record " << i;
        }
    }
    EXPECT_TRUE(worker.Remaining().empty());
    EXPECT_TRUE(worker.OwnsInstallDir());
    // The install folder and the folders the setup made above it go once the uninstaller has
    // ended, deepest first.
    EXPECT_EQ(worker.FoldersToRemove(),
              (std::vector<std::wstring>{Wide(fs::canonical(installDir).string()),
                                         Wide(Home() + "/.local/opt"), Wide(Home() + "/.local")}));
    for (const std::string& file : leftovers(ours))
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_FALSE(Exists(std::string(std::getenv("TMPDIR")) + "pictavo-magick-" + std::to_string(ours)));
    for (const std::string& file : leftovers(other))
        EXPECT_TRUE(Exists(file)) << "not the uninstaller's to remove: " << file;
    EXPECT_FALSE(Exists(outputs));
    EXPECT_TRUE(fs::is_directory(Home() + "/Documents"));

    EXPECT_TRUE(IsEmptyFolder(installDir)) << "the folder itself goes with the uninstaller's script";
    EXPECT_FALSE(KeyExists(kProductRegKey));
    EXPECT_FALSE(KeyExists(kUninstallRegKey));
    EXPECT_TRUE(KeyExists(L"SOFTWARE"));
    EXPECT_FALSE(platform::FirewallStore::Find(L"Pictavo", nullptr));
    EXPECT_FALSE(platform::FirewallStore::Find(L"kelvane_rule", nullptr));
    EXPECT_FALSE(Exists(Home() + "/Desktop/Pictavo.desktop"));
    EXPECT_FALSE(Exists(MenuFolder()));
    EXPECT_TRUE(fs::is_directory(Home() + "/.local/share/applications"));
    EXPECT_FALSE(IsProgramIn(platform::GetProcessImagePath(ours), {Wide(installDir)}));
    EXPECT_TRUE(IsProgramIn(platform::GetProcessImagePath(other), {Wide(elsewhere.path())}));
    StopProgramsIn(L"Pictavo", {Wide(elsewhere.path())}, 5000);
    // No driver tool exists here: nothing is started, the command line is logged.
    EXPECT_TRUE(
        log.WaitFor(L"卸载驱动 cmd=[\"" + Wide(fs::canonical(Home()).string()) +
                    L"/.local/opt/Pictavo/driver/xp/x86/devcon.exe\" remove tap0901] dwExitCode=[-1]"));
}

TEST(UninstWorker, KeepsTheUsersFilesOfAFolderThatExistedAndBehindLinks)
{
    setuptest::SetupFolder setup(Payload());
    const std::string installDir = Home() + "/Photos";
    Put(installDir + "/holiday.jpg", "user photo");
    Put(installDir + "/album/beach.jpg", "user photo");
    Install(installDir);
    // The output folder Pictavo made holds a converted picture: the user's.
    Put(Home() + "/Documents/Pictavo/holiday.png", "converted");
    RecordMadeOutputFolder(Wide(Home() + "/Documents/Pictavo"));
    ASSERT_EQ(setuptest::ProductValue(kCreatedFolderValue), L"0");
    // A file of the user's in a folder the setup made, and a folder of the manifest that is now
    // a link to the user's own folder holding a file of the same name.
    Put(installDir + "/magick/notes.txt", "user notes");
    testsupport::TempDir mine("mine");
    Put(mine / "Update", "user's own file");
    fs::rename(installDir + "/Update", installDir + "/Update.moved");
    fs::create_directory_symlink(mine.path(), installDir + "/linked");
    // In the folders the product writes to, the user's files beside the product's; a file of
    // the user's under a crash report's name.
    Put(installDir + "/log/2026-12-09.log", "a line");
    Put(installDir + "/log/mylog.txt", "user log");
    Put(installDir + "/UpdatePackage/Update.zip", "package");
    Put(installDir + "/UpdatePackage/backup/Pictavo", "old version");
    Put(installDir + "/UpdatePackage/mine.txt", "user file");
    Put(installDir + "/UpdatePackage/sub/deep.txt", "user file");
    Put(installDir + "/Pictavo.dmp", "the user's own dump");
    Put(installDir + "/Uninst.dmp", "crash report\nprogram: Uninst\n");
    {
        CInstallManifest manifest;
        ASSERT_TRUE(manifest.Load(Wide(installDir)));
        manifest.AddFolder(L"linked");
        manifest.AddFile(L"linked/Update");
        ASSERT_TRUE(manifest.Save(Wide(installDir)));
    }

    RecordWindow window;
    CUninstMgr worker;
    const auto& records = window.Uninstall(worker, installDir);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().record.status, 0) << Narrow(records.back().record.text);

    EXPECT_EQ(ReadFile(Home() + "/Documents/Pictavo/holiday.png"), "converted");
    EXPECT_EQ(worker.FoldersToRemove(), std::vector<std::wstring>{Wide(fs::canonical(installDir).string())})
        << "nothing above a folder that existed";
    EXPECT_EQ(ReadFile(installDir + "/holiday.jpg"), "user photo");
    EXPECT_EQ(ReadFile(installDir + "/album/beach.jpg"), "user photo");
    EXPECT_EQ(ReadFile(installDir + "/magick/notes.txt"), "user notes");
    EXPECT_EQ(ReadFile(installDir + "/Update.moved"), "updater") << "a file the manifest does not name";
    EXPECT_EQ(ReadFile(mine / "Update"), "user's own file");
    EXPECT_EQ(ReadFile(installDir + "/log/mylog.txt"), "user log");
    EXPECT_EQ(ReadFile(installDir + "/UpdatePackage/mine.txt"), "user file");
    EXPECT_EQ(ReadFile(installDir + "/UpdatePackage/sub/deep.txt"), "user file");
    EXPECT_EQ(ReadFile(installDir + "/Pictavo.dmp"), "the user's own dump");
    for (const char* gone : {"Pictavo", "Uninst", "config.ini", "icon.png", "magick/policy.xml",
                             "libDuiLib.so", "install.manifest", "log/2026-12-09.log",
                             "UpdatePackage/Update.zip", "UpdatePackage/backup", "Uninst.dmp"})
        EXPECT_FALSE(Exists(installDir + "/" + gone)) << gone;
    EXPECT_FALSE(KeyExists(kProductRegKey));
}

TEST(UninstWorker, ACopiedUninstallerRemovesEntriesRuleAndKeysButNoFile)
{
    setuptest::SetupFolder setup(Payload());
    const std::string installDir = Home() + "/.local/opt/Pictavo";
    Install(installDir);
    // Run from a folder of the user's that even holds a "Pictavo": not the registered install.
    testsupport::TempDir downloads("downloads");
    Put(downloads / "Pictavo", "user's file");
    Put(downloads / "config.ini", "user's file");
    Put(downloads / "Uninst", "the copy");
    // A registered name that is not a plain name: the default name builds the menu folder,
    // never the applications folder's parent.
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true).SetValue(L"appname", L"..");
    Put(Home() + "/.local/share/user.txt", "kept");

    RecordWindow window;
    CUninstMgr worker;
    const auto& records = window.Uninstall(worker, downloads.path());
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records.back().record.status, 0);
    EXPECT_FALSE(worker.OwnsInstallDir());
    EXPECT_TRUE(worker.FoldersToRemove().empty());

    EXPECT_EQ(ReadFile(downloads / "Pictavo"), "user's file");
    EXPECT_EQ(ReadFile(downloads / "config.ini"), "user's file");
    EXPECT_TRUE(Exists(downloads / "Uninst"));
    EXPECT_TRUE(Exists(installDir + "/Pictavo")) << "the registered install is not this folder";
    EXPECT_EQ(ReadFile(Home() + "/.local/share/user.txt"), "kept");
    EXPECT_FALSE(Exists(MenuFolder()));
    EXPECT_FALSE(KeyExists(kProductRegKey));
    EXPECT_FALSE(KeyExists(kUninstallRegKey));
    EXPECT_FALSE(platform::FirewallStore::Find(L"Pictavo", nullptr));
}

TEST(UninstWorker, ALastRecordSaysWhatRemainsInsteadOfClaimingSuccess)
{
    setuptest::SetupFolder setup(Payload());
    const std::string installDir = Home() + "/.local/opt/Pictavo";
    Install(installDir);
    // A file of the install that became a folder of the user's is not removed.
    fs::remove(installDir + "/icon.png");
    Put(installDir + "/icon.png/mine.txt", "user's");

    RecordWindow window;
    CUninstMgr worker;
    const auto& records = window.Uninstall(worker, installDir);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records.back().record.percent, 100);
    EXPECT_EQ(records.back().record.status, -1);
    EXPECT_NE(records.back().record.text.find(L"卸载未完成"), std::wstring::npos);
    EXPECT_NE(records.back().record.text.find(Wide(fs::canonical(installDir).string() + "/icon.png")),
              std::wstring::npos);
    ASSERT_EQ(worker.Remaining().size(), 2u) << "the folder and the manifest that names it";
    EXPECT_EQ(ReadFile(installDir + "/icon.png/mine.txt"), "user's");
    EXPECT_TRUE(Exists(installDir + "/install.manifest")) << "kept for a later run";
    EXPECT_FALSE(Exists(installDir + "/Pictavo"));
}

TEST(UninstWorker, AnInstallFolderThatIsALinkKeepsEverythingBehindIt)
{
    // The registered install folder is a link to the user's home folder, which holds the
    // installed files and the user's own log folder.
    setuptest::SetupFolder setup(Payload());
    const std::string target = Home() + "/target";
    Install(target);
    Put(target + "/log/important.txt", "the user's");
    Put(target + "/log/2026-12-09.log", "a line");
    const std::string installDir = Home() + "/.local/opt/Pictavo";
    fs::create_directories(Home() + "/.local/opt");
    fs::create_directory_symlink(target, installDir);
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true)
        .SetValue(L"installDir", Wide(installDir).c_str());

    RecordWindow window;
    CUninstMgr worker;
    const auto& records = window.Uninstall(worker, target);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().record.status, -1);
    EXPECT_EQ(records.back().record.text,
              L"卸载未完成，安装目录是链接，未删除其中的文件：" + Wide(installDir));
    EXPECT_FALSE(worker.OwnsInstallDir());
    EXPECT_TRUE(worker.FoldersToRemove().empty());
    EXPECT_EQ(ReadFile(target + "/log/important.txt"), "the user's");
    for (const char* kept : {"Pictavo", "Uninst", "config.ini", "install.manifest", "log/2026-12-09.log"})
        EXPECT_TRUE(Exists(target + "/" + kept)) << kept;
    EXPECT_TRUE(fs::is_symlink(installDir));
}

TEST(UninstWorker, ADamagedManifestRemovesTheKnownFilesByNameAndNeverEndsInSuccess)
{
    setuptest::SetupFolder setup(Payload());
    testsupport::TempDir elsewhere("elsewhere");
    const std::string decoy = elsewhere / "install.manifest";
    const std::string decoyText = "PICTAVO-MANIFEST 1\nF Pictavo\n";
    testsupport::WriteFile(decoy, decoyText);
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> damages = {
        {"empty", [](const std::string& path) { testsupport::WriteFile(path, ""); }},
        {"garbage",
         [](const std::string& path) {
             testsupport::WriteFile(path, "\x7f"
                                          "ELF\x01\x02 garbage\n");
         }},
        {"truncated",
         [](const std::string& path) {
             testsupport::WriteFile(path, "PICTAVO-MANIFEST 1\nD magick\nF Pict");
         }},
        {"crlf",
         [](const std::string& path) {
             testsupport::WriteFile(path, "PICTAVO-MANIFEST 1\r\nD magick\r\nF Pictavo\r\nF Update\r\n");
         }},
        {"folder", [](const std::string& path) { fs::create_directory(path); }},
        {"symlink", [&decoy](const std::string& path) { fs::create_symlink(decoy, path); }},
        // Opening a FIFO to read waits for a writer: the worker must not.
        {"fifo", [](const std::string& path) { ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600)); }},
    };
    for (const auto& [name, damage] : damages)
    {
        SCOPED_TRACE(name);
        const std::string installDir = Home() + "/.local/opt/" + name;
        Install(installDir);
        const std::string manifest = installDir + "/install.manifest";
        fs::remove(manifest);
        damage(manifest);

        RecordWindow window;
        CUninstMgr worker;
        const auto& records = window.Uninstall(worker, installDir);
        ASSERT_EQ(records.size(), 7u);
        EXPECT_EQ(records.back().record.status, -1);
        EXPECT_EQ(records.back().record.text,
                  L"卸载未完成，未能删除 " + Wide(fs::canonical(installDir).string() + "/install.manifest"));
        for (const char* gone :
             {"Pictavo", "Update", "Uninst", "libDuiLib.so", "config.ini", "icon.png", "magick"})
            EXPECT_FALSE(Exists(installDir + "/" + gone)) << gone;
        EXPECT_TRUE(fs::exists(fs::symlink_status(manifest))) << "kept for a person to look at";
    }
    EXPECT_EQ(ReadFile(decoy), decoyText);
}
