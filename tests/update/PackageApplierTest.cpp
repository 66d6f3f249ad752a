// Applying a package in-process: a package that cannot be applied whole changes nothing, and a
// missing version text never empties the product key's version.
#include "PackageApplier.h"
#include "InstallKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    // A stop asked for before the first file is replaced.
    const std::atomic<bool> stop{true};
    MakeSmallTree(root / "plain");
    ASSERT_TRUE(ZipFolder(root / "plain", root / "plain.zip"));
    EXPECT_FALSE(CPackageApplier(testsupport::Wide(install), &stop)
                     .Apply(testsupport::Wide(root / "plain.zip"), L"2.0.0.0", L"2.0.0.0"));
    EXPECT_EQ(Snapshot(install), before);
}

TEST(PackageApplierTest, AMissingVersionTextKeepsTheRegisteredOne)
{
    testsupport::TempDir root("apply");
    const std::string install = root / "inst";
    MakeInstall(install, "1.0.0.0", "", false);
    fs::create_directories(install + "/UpdatePackage");
    MakeSmallTree(root / "tree");
    ASSERT_TRUE(ZipFolder(root / "tree", root / "p.zip"));

    ASSERT_TRUE(CPackageApplier(testsupport::Wide(install), nullptr)
                    .Apply(testsupport::Wide(root / "p.zip"), L"", L""));
    EXPECT_EQ(RegistryValue(L"version_str"), "1.0.0.0");
    EXPECT_EQ(testsupport::ReadFile(install + "/help.txt"), "help of NEW\n");
    const std::string config = testsupport::ReadFile(install + "/config.ini");
    EXPECT_NE(config.find("version=\n"), std::string::npos) << config;
    EXPECT_NE(config.find("out_dir=/keep/this"), std::string::npos) << config;
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
