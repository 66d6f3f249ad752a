// The main program's side of the update cycle without a network: version comparison, the ready
// package, the hand-over into the updater's private temporary folder (a stand-in updater records
// the arguments it gets) and WinMain's update road.
#include "main/CheckUpdate.h"
#include "common/install/RegSettings.h"
#include "common/install/UpdateJournal.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace
{
bool WaitFor(const std::string& path)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(path))
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class HandOverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Blanks, quotes and a trailing backslash are legal in folder names here.
        m_exeDir = m_root / "Pictavo \"x\" 'y' dir\\";
        fs::create_directories(m_exeDir);
        fs::copy_file(testsupport::TestBinaryDir() + "/main_arg_recorder", m_exeDir + "/Update");
        ::setenv("PICTAVO_ARGS_OUT", (m_root / "args").c_str(), 1);
    }

    std::string TempFolder() const { return std::string(std::getenv("TMPDIR")) + "PictavoUpdate"; }

    void WritePackage(size_t bytes)
    {
        fs::create_directories(m_exeDir + "/UpdatePackage");
        testsupport::WriteFile(m_exeDir + "/UpdatePackage/Update.zip", std::string(bytes, 'P'));
    }

    testsupport::TempDir m_root{"handover"};
    std::string m_exeDir;
};
} // namespace

TEST(CompareVersionTest, ComparesPartsAsNumbersAndNeverOverflows)
{
    EXPECT_EQ(CompareVersion(L"1.9.0.0", L"1.10.0.0"), 1);
    EXPECT_EQ(CompareVersion(L"1.2", L"1.2.0.0"), 0);
    EXPECT_EQ(CompareVersion(L"2.0.0.0", L"1.9.9.9"), -1);
    EXPECT_EQ(CompareVersion(L"1.0.0.0", L""), -1) << "an empty server version is never newer";
    EXPECT_EQ(CompareVersion(L"", L""), 0);
    // Parts after one that does not read stay 0, as a "%d.%d.%d.%d" scan leaves them.
    EXPECT_EQ(CompareVersion(L"1.0.0.0", L"1.x.5.0"), 0);
    EXPECT_EQ(CompareVersion(L"1.0.0.0", L"abc"), -1);
    // Overlong parts saturate instead of wrapping into a smaller or negative number.
    EXPECT_EQ(CompareVersion(L"2147483647.0", L"99999999999999999999999.0"), 0);
    EXPECT_EQ(CompareVersion(L"1.0", L"99999999999999999999999.0"), 1);
    EXPECT_EQ(CompareVersion(L"1.0.0.0", L"1.0.0.0.9"), 0) << "a fifth part is not read";
}

TEST_F(HandOverTest, AReadyPackageHasAtLeast100BytesAndASmallerOneIsDeleted)
{
    EXPECT_FALSE(IsUpdatePackReady(testsupport::Wide(m_exeDir)));
    WritePackage(99);
    EXPECT_FALSE(IsUpdatePackReady(testsupport::Wide(m_exeDir)));
    EXPECT_FALSE(fs::exists(m_exeDir + "/UpdatePackage/Update.zip"));
    WritePackage(100);
    EXPECT_TRUE(IsUpdatePackReady(testsupport::Wide(m_exeDir)));
    EXPECT_TRUE(fs::exists(m_exeDir + "/UpdatePackage/Update.zip"));
}

TEST_F(HandOverTest, TheUpdaterIsCopiedIntoAFreshPrivateFolderAndGetsTheInstallFolderWhole)
{
    testsupport::WriteFile(m_exeDir + "/libDuiLib.so", "library");
    // Whatever lies under the folder's name is replaced, never followed: here a link planted
    // towards a folder of someone else's.
    testsupport::TempDir elsewhere("elsewhere");
    testsupport::WriteFile(elsewhere / "theirs", "theirs");
    fs::create_directory_symlink(elsewhere.path(), TempFolder());

    CCheckUpdate check(testsupport::Wide(m_exeDir));
    ASSERT_TRUE(check.StartUpdateThread());
    ASSERT_TRUE(WaitFor(m_root / "args"));
    EXPECT_EQ(testsupport::ReadFile(m_root / "args"), "1\n" + m_exeDir + "\n");

    struct stat info = {};
    ASSERT_EQ(::lstat(TempFolder().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(testsupport::ReadFile(TempFolder() + "/libDuiLib.so"), "library");
    EXPECT_EQ(testsupport::ReadFile(elsewhere / "theirs"), "theirs");
    EXPECT_EQ(fs::directory_iterator(elsewhere.path())->path().filename(), "theirs");
}

TEST_F(HandOverTest, AMissingLibraryStopsTheCopiesAndNoUpdaterStarts)
{
    CCheckUpdate check(testsupport::Wide(m_exeDir));
    EXPECT_FALSE(check.UpateFunc());
    EXPECT_TRUE(fs::exists(TempFolder() + "/Update"));
    EXPECT_FALSE(fs::exists(TempFolder() + "/libDuiLib.so"));
    EXPECT_FALSE(check.StartUpdateThread());
    EXPECT_FALSE(fs::exists(m_root / "args"));
}

TEST_F(HandOverTest, WinMainsRoadHandsOverOnceFallsBackToANormalStartAndNeverLoopsAfterAnUpdate)
{
    WritePackage(200);
    CCheckUpdate check(testsupport::Wide(m_exeDir));
    bool startCheck = true;
    // No libDuiLib.so: the hand-over fails, the program starts normally in the same run without
    // the background check (which would delete the package meant for the next try).
    EXPECT_FALSE(RunUpdateHandOver(&check, testsupport::Wide(m_exeDir), true, &startCheck));
    EXPECT_FALSE(startCheck);
    EXPECT_TRUE(fs::exists(m_exeDir + "/UpdatePackage/Update.zip"));

    // The start after an update never hands over: a package the updater could not remove goes.
    EXPECT_FALSE(RunUpdateHandOver(&check, testsupport::Wide(m_exeDir), false, &startCheck));
    EXPECT_FALSE(startCheck);
    EXPECT_FALSE(fs::exists(m_exeDir + "/UpdatePackage"));
    EXPECT_FALSE(fs::exists(m_root / "args"));

    testsupport::WriteFile(m_exeDir + "/libDuiLib.so", "library");
    WritePackage(200);
    {
        // While an updater applies a package, a new start leaves it alone and simply ends.
        CApplyLock applying;
        ASSERT_TRUE(applying.Held());
        fs::remove_all(TempFolder());
        EXPECT_TRUE(RunUpdateHandOver(&check, testsupport::Wide(m_exeDir), true, &startCheck));
        EXPECT_FALSE(fs::exists(TempFolder()));
        EXPECT_TRUE(fs::exists(m_exeDir + "/UpdatePackage/Update.zip"));
    }
    EXPECT_TRUE(RunUpdateHandOver(&check, testsupport::Wide(m_exeDir), true, &startCheck));
    EXPECT_TRUE(WaitFor(m_root / "args"));
}
