// Applying a package in-process: a package that cannot be applied whole changes nothing, and a
// missing version text never empties the product key's version.
#include "update/PackageApplier.h"
#include "common/install/InstallManifest.h"
#include "tests/support/InstallKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;
using namespace updatekit;

namespace
{
// Every entry below root with its file identity (an update renames files in, never writes into
// them, so a replaced file has a new inode) and signature, for comparing whole folders.
std::map<std::string, std::string> Snapshot(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
    {
        struct stat info = {};
        ::lstat(entry.path().c_str(), &info);
        files[entry.path().lexically_relative(root).string()] =
            std::to_string(info.st_ino) + "/" +
            (entry.is_regular_file() ? Signature(entry.path()) : "<folder>");
    }
    return files;
}
// A light package: text files only, one replaced and one in a new folder.
void MakeSmallTree(const std::string& tree)
{
    fs::create_directories(tree + "/docs/new");
    testsupport::WriteFile(tree + "/help.txt", "help of NEW\n");
    testsupport::WriteFile(tree + "/docs/new/notes.txt", "notes of NEW\n");
}
} // namespace

TEST(PackageApplierTest, APackageThatCannotBeAppliedWholeLeavesTheInstallAsItWas)
{
    testsupport::TempDir root("apply");
    const std::string install = root / "inst";
    MakeInstall(install, "1.0.0.0", "", false);
    fs::create_directories(install + "/UpdatePackage");
    const auto before = Snapshot(install);
    struct Case
    {
        const char* what;
        std::function<void(const std::string&)> make;
    };
    const std::vector<Case> cases = {
        {"writes into the package folder",
         [](const std::string& tree) {
             fs::create_directories(tree + "/UpdatePackage");
             testsupport::WriteFile(tree + "/UpdatePackage/x", "x");
         }},
        {"a file where the install has a folder",
         [](const std::string& tree) { testsupport::WriteFile(tree + "/magick", "x"); }},
        {"a folder where the install has a file",
         [](const std::string& tree) {
             fs::create_directories(tree + "/help.txt");
             testsupport::WriteFile(tree + "/help.txt/inner", "x");
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string tree = root / (std::string("tree-") + std::to_string(&c - cases.data()));
        MakeSmallTree(tree);
        fs::remove(tree + "/help.txt");
        c.make(tree);
        const std::string zip = tree + ".zip";
        ASSERT_TRUE(ZipFolder(tree, zip));
        CPackageApplier applier(testsupport::Wide(install), nullptr);
        EXPECT_FALSE(applier.Apply(testsupport::Wide(zip), L"2.0.0.0", L"2.0.0.0"));
        EXPECT_FALSE(applier.FailureText().empty());
        EXPECT_EQ(Snapshot(install), before);
        EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
    }
    // The log names the step that failed and the archive's result.
    const auto failure = [&](const std::string& zip) {
        CPackageApplier applier(testsupport::Wide(install), nullptr);
        EXPECT_FALSE(applier.Apply(testsupport::Wide(zip), L"2.0.0.0", L"2.0.0.0"));
        return testsupport::Narrow(applier.FailureText());
    };
    EXPECT_EQ(failure(root / "missing.zip"), "the package cannot be opened (0x00000200)");
    MakeSmallTree(root / "damaged");
    ASSERT_TRUE(ZipFolder(root / "damaged", root / "damaged.zip"));
    std::string bytes = testsupport::ReadFile(root / "damaged.zip");
    bytes[bytes.find("help of NEW")] ^= 0x20;
    testsupport::WriteFile(root / "damaged.zip", bytes);
    EXPECT_EQ(failure(root / "damaged.zip"), "unpacking failed (0x00000b00) help.txt");
    EXPECT_EQ(Snapshot(install), before);
    // A stop asked for before the first file is replaced.
    const std::atomic<bool> stop{true};
    MakeSmallTree(root / "plain");
    ASSERT_TRUE(ZipFolder(root / "plain", root / "plain.zip"));
    EXPECT_FALSE(CPackageApplier(testsupport::Wide(install), &stop)
                     .Apply(testsupport::Wide(root / "plain.zip"), L"2.0.0.0", L"2.0.0.0"));
    EXPECT_EQ(Snapshot(install), before);
}

TEST(PackageApplierTest, AnUpdateKeepsTheUsersSettingsAndListsTheFilesItAddsForTheUninstaller)
{
    testsupport::TempDir root("apply");
    const std::string install = root / "inst";
    MakeInstall(install, "1.0.0.0", "http://user.example/version", false);
    testsupport::WriteFile(install + "/config.ini", testsupport::ReadFile(install + "/config.ini") +
                                                        "[MACHINE]\nMachineId=0123456789abcdef\n");
    fs::create_directories(install + "/UpdatePackage");
    MakeSmallTree(root / "tree");
    testsupport::WriteFile(root / "tree/config.ini", kPackageConfig);
    ASSERT_TRUE(ZipFolder(root / "tree", root / "p.zip"));

    // A downloaded package's update.ini holds only "version_str".
    ASSERT_TRUE(CPackageApplier(testsupport::Wide(install), nullptr)
                    .Apply(testsupport::Wide(root / "p.zip"), L"", L"2.0.0.0"));
    EXPECT_EQ(testsupport::ReadFile(install + "/help.txt"), "help of NEW\n");
    std::string config = testsupport::ReadFile(install + "/config.ini");
    for (const char* kept :
         {"version_url=http://user.example/version\n", "LogLevel=1\n", "out_dir=/keep/this\n",
          "MachineId=0123456789abcdef\n", "new_key=from the package\n", "version=2.0.0.0\n"})
        EXPECT_NE(config.find(kept), std::string::npos) << kept << " in\n" << config;
    EXPECT_EQ(config.find("package.invalid"), std::string::npos) << config;
    EXPECT_EQ(RegistryValue(L"version_str"), "2.0.0.0");
    EXPECT_EQ(RegistryValue(L"version"), "2.0.0.0");
    // The uninstaller's list: the setup's entries, then the new folders (outer first, so that
    // they are removed inner first) and the new files.
    CInstallManifest manifest;
    ASSERT_TRUE(manifest.Load(testsupport::Wide(install)));
    EXPECT_EQ(manifest.Folders(), (std::vector<std::wstring>{L"magick", L"docs", L"docs/new"}));
    const std::vector<std::wstring>& files = manifest.Files();
    EXPECT_EQ(std::count(files.begin(), files.end(), L"docs/new/notes.txt"), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), L"help.txt"), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), L"install.manifest"), 0);
    EXPECT_EQ(files.front(), L"Pictavo");

    // No version text at all: neither the product key nor config.ini is emptied.
    ASSERT_TRUE(CPackageApplier(testsupport::Wide(install), nullptr)
                    .Apply(testsupport::Wide(root / "p.zip"), L"", L""));
    EXPECT_EQ(RegistryValue(L"version_str"), "2.0.0.0");
    EXPECT_EQ(RegistryValue(L"version"), "2.0.0.0");
    config = testsupport::ReadFile(install + "/config.ini");
    EXPECT_NE(config.find("version=2.0.0.0\n"), std::string::npos) << config;
    EXPECT_FALSE(fs::exists(install + "/UpdatePackage/staging"));
    EXPECT_FALSE(fs::exists(install + "/UpdatePackage/backup"));
    EXPECT_FALSE(fs::exists(install + "/UpdatePackage/journal"));
}

TEST(PackageApplierTest, AJournalNamingPathsOutsideTheInstallIsRefusedAndTouchesNothing)
{
    testsupport::TempDir root("journal");
    const std::string install = root / "inst";
    fs::create_directories(install + "/UpdatePackage/backup");
    testsupport::WriteFile(root / "outside", "theirs");
    for (const char* line : {"file 0 ../outside", "file 1 /etc/hostname", "folder ../", "file 0 a/./b"})
    {
        SCOPED_TRACE(line);
        testsupport::WriteFile(install + "/UpdatePackage/journal",
                               std::string("pictavo-update 1\nstate apply\nversion \nversion_str \n") + line +
                                   "\n");
        EXPECT_EQ(CUpdateJournal(testsupport::Wide(install)).Recover(), CUpdateJournal::Outcome::Failed);
        EXPECT_EQ(testsupport::ReadFile(root / "outside"), "theirs");
    }
}
