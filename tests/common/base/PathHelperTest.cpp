#include "common/base/PathHelper.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace fs = std::filesystem;

TEST(ModuleDir, IsTheFolderOfTheRunningProgram)
{
    const std::wstring dir = GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'/');
    EXPECT_EQ(dir, Wide(testsupport::ProgramDir()));
}

TEST(FileSize, CountsWritableFilesOnly)
{
    TempDir dir;
    WriteFile(dir / "data.bin", std::string(70000, 'x'));
    EXPECT_EQ(GetFileSize64(Wide(dir / "data.bin")), 70000u);
    WriteFile(dir / "empty", "");
    EXPECT_EQ(GetFileSize64(Wide(dir / "empty")), 0u);
    EXPECT_EQ(GetFileSize64(Wide(dir / "missing")), 0u);
    WriteFile(dir / "readonly", "12345");
    ::chmod((dir / "readonly").c_str(), 0444);
    EXPECT_EQ(GetFileSize64(Wide(dir / "readonly")), 0u);
    // The size query leaves the file as it was.
    EXPECT_EQ(ReadFile(dir / "readonly"), "12345");
}

TEST(LongPathOperations, RefuseRelativeAndDottedPaths)
{
    TempDir dir;
    WriteFile(dir / "file.txt", "x");
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    EXPECT_EQ(PathExists(Wide(dir / "file.txt"), 0), 0);
    EXPECT_EQ(PathExists(L"file.txt", 0), -1);
    EXPECT_EQ(PathExists(Wide(dir / "./file.txt"), 0), -1);
    EXPECT_EQ(PathExists(Wide(dir / "sub/../file.txt"), 0), -1);
    EXPECT_EQ(PathExists(Wide(dir / "missing"), 0), -1);
    EXPECT_EQ(RemoveFile(L"file.txt"), -1);
    EXPECT_TRUE(Exists(dir / "file.txt"));
    EXPECT_EQ(MakeDir(L"newdir"), -1);
    EXPECT_FALSE(Exists(dir / "newdir"));
    ASSERT_EQ(::chdir("/"), 0);

    EXPECT_EQ(MakeDir(Wide(dir / "newdir")), 0);
    EXPECT_TRUE(IsDirectory(Wide(dir / "newdir")));
    EXPECT_EQ(MakeDir(Wide(dir / "newdir")), -1);
    EXPECT_EQ(MakeDir(Wide(dir / "a/b")), -1);
    EXPECT_EQ(RemoveFile(Wide(dir / "file.txt")), 0);
    EXPECT_FALSE(Exists(dir / "file.txt"));
    EXPECT_EQ(RemoveFile(Wide(dir / "file.txt")), -1);
}

TEST(CreateDirectoryTree, MakesMissingLevelsOnly)
{
    TempDir dir;
    EXPECT_FALSE(CreateDirectoryTree(std::wstring()));
    EXPECT_TRUE(CreateDirectoryTree(Wide(dir / "a/b/c")));
    EXPECT_TRUE(IsDirectory(Wide(dir / "a/b/c")));
    // Existing folders, a trailing slash and the narrow form all succeed without change.
    EXPECT_TRUE(CreateDirectoryTree(Wide(dir / "a/b/c/")));
    EXPECT_TRUE(CreateDirectoryTree(std::string(dir / "a/b/d")));
    EXPECT_TRUE(IsDirectory(Wide(dir / "a/b/d")));
    // A file in place of a folder stops the walk at that level.
    WriteFile(dir / "a/file", "x");
    EXPECT_FALSE(CreateDirectoryTree(Wide(dir / "a/file/deeper")));
    EXPECT_EQ(ReadFile(dir / "a/file"), "x");
    EXPECT_FALSE(Exists(dir / "a/file/deeper"));
}

TEST(DeleteDirectoryTree, RemovesNestedFoldersAndReportsSearchFailures)
{
    TempDir dir;
    const std::string root = dir / "tree";
    fs::create_directories(root + "/one/two/three");
    fs::create_directories(root + "/empty");
    WriteFile(root + "/top.txt", "1");
    WriteFile(root + "/.hidden", "1");
    WriteFile(root + "/one/two/three/deep.txt", "1");
    EXPECT_TRUE(DeleteDirectoryTree(Wide(root)));
    EXPECT_FALSE(Exists(root));

    EXPECT_FALSE(DeleteDirectoryTree(Wide(dir / "missing")));
    WriteFile(dir / "plain", "x");
    EXPECT_FALSE(DeleteDirectoryTree(Wide(dir / "plain")));
    EXPECT_FALSE(Exists(dir / "plain"));
}

TEST(DeleteDirectoryTree, NeverFollowsSymbolicLinks)
{
    TempDir dir;
    const std::string outside = dir / "outside";
    fs::create_directories(outside + "/inner");
    WriteFile(outside + "/keep.txt", "keep");
    WriteFile(outside + "/inner/keep2.txt", "keep");
    WriteFile(dir / "target.txt", "target");

    const std::string root = dir / "tree";
    fs::create_directories(root + "/sub");
    fs::create_directory_symlink(outside, root + "/sub/dirlink");
    fs::create_symlink(dir / "target.txt", root + "/filelink");
    fs::create_symlink(dir / "nowhere", root + "/dangling");
    EXPECT_TRUE(DeleteDirectoryTree(Wide(root)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
    EXPECT_EQ(ReadFile(outside + "/keep.txt"), "keep");
    EXPECT_EQ(ReadFile(outside + "/inner/keep2.txt"), "keep");
    EXPECT_EQ(ReadFile(dir / "target.txt"), "target");

    // A link given as the folder itself goes as a link; its target stays whole.
    fs::create_directory_symlink(outside, dir / "toplink");
    EXPECT_FALSE(DeleteDirectoryTree(Wide(dir / "toplink")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "toplink")));
    EXPECT_EQ(ReadFile(outside + "/keep.txt"), "keep");
}

TEST(ListDirectory, GivesFileNamesButNoFolders)
{
    TempDir dir;
    std::vector<std::wstring> names;
    ListDirectory(&names, Wide(dir.path()));
    EXPECT_TRUE(names.empty());
    ListDirectory(&names, Wide(dir / "missing"));
    EXPECT_TRUE(names.empty());

    fs::create_directories(dir / "folder/inner");
    WriteFile(dir / "b.png", "x");
    WriteFile(dir / "a.jpg", "x");
    WriteFile(dir / ".hidden", "x");
    WriteFile(dir / "folder/nested.png", "x");
    ListDirectory(&names, Wide(dir.path()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".hidden", L"a.jpg", L"b.png"}));
}
