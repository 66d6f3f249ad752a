// Path calls over real files: copies (also over a running program), moves, deletes,
// attributes, folders, full paths and the current directory.
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include "platform/Files.h"
#include "platform/PathParts.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Wide;

mode_t ModeOf(const std::string& path)
{
    struct stat info = {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Names left in a folder, to see that no temporary copy stays behind.
std::size_t CountEntries(const std::string& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

BOOL Copy(const std::string& from, const std::string& to, BOOL failIfExists)
{
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), failIfExists);
}

BOOL Move(const std::string& from, const std::string& to, DWORD flags)
{
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags);
}

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str());
}
// One rule for the folder of a path, the same for narrow and wide text: the folder of a bare
// name is ".", so that a temporary beside it ("./.name.tmp") or the folder opened for it is the
// current one, never the root ("/.name.tmp") nor the file itself.
TEST(PathParts, ParentFolderOfEveryKindOfPath)
{
    const std::pair<const char*, const char*> cases[] = {{"/home/u/Desktop/PHOTO.JPG", "/home/u/Desktop"},
                                                         {"/x.png", "/"},
                                                         {"/", "/"},
                                                         {"x.png", "."},
                                                         {"", "."},
                                                         {"out/x.png", "out"},
                                                         {"/data/图片/a b.png", "/data/图片"},
                                                         {"/a/b/", "/a/b"},
                                                         {"./x.png", "."}};
    for (const auto& [path, folder] : cases)
    {
        EXPECT_EQ(platform::ParentFolder(std::string(path)), folder) << path;
        EXPECT_EQ(platform::ParentFolder(Wide(path)), Wide(folder)) << path;
    }
    // The root is its own folder: a walk up from any absolute path ends there.
    std::wstring folder = L"/a/b/c";
    for (int step = 0; step < 4; ++step)
        folder = platform::ParentFolder(folder);
    EXPECT_EQ(folder, L"/");
}

} // namespace

TEST(CopyFile, KeepsBytesPermissionsAndWriteTime)
{
    TempDir dir;
    const std::string source = dir / "tool.sh";
    testsupport::WriteFile(source, std::string("#!/bin/sh\n\0binary\xff", 18));
    ASSERT_EQ(::chmod(source.c_str(), 0750), 0);
    const timespec times[2] = {{1000000000, 0}, {1200000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);

    ASSERT_TRUE(Copy(source, dir / "copy.sh", TRUE));
    EXPECT_EQ(ReadFile(dir / "copy.sh"), ReadFile(source));
    EXPECT_EQ(ModeOf(dir / "copy.sh"), 0750u);
    struct stat info = {};
    ASSERT_EQ(::stat((dir / "copy.sh").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(CountEntries(dir.path()), 2u);

    // A set-id bit does not travel with a copy.
    ASSERT_EQ(::chmod(source.c_str(), 04755), 0);
    ASSERT_TRUE(Copy(source, dir / "copy.sh", FALSE));
    EXPECT_EQ(ModeOf(dir / "copy.sh"), 0755u);
}

TEST(CopyFile, FailIfExistsKeepsTheTargetAndOverwriteReplacesIt)
{
    TempDir dir;
    testsupport::WriteFile(dir / "new", "new");
    testsupport::WriteFile(dir / "old", "old");
    EXPECT_FALSE(Copy(dir / "new", dir / "old", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadFile(dir / "old"), "old");
    ASSERT_TRUE(Copy(dir / "new", dir / "old", FALSE));
    EXPECT_EQ(ReadFile(dir / "old"), "new");
    EXPECT_EQ(CountEntries(dir.path()), 2u);
}

TEST(CopyFile, FailuresLeaveNoPartialFile)
{
    TempDir dir;
    EXPECT_FALSE(Copy(dir / "missing", dir / "target", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(CreateDirectoryW(Wide(dir / "sub").c_str(), nullptr));
    EXPECT_FALSE(Copy(dir / "sub", dir / "target", FALSE)); // a folder is not copied
    testsupport::WriteFile(dir / "file", "x");
    EXPECT_FALSE(Copy(dir / "file", dir / "sub", FALSE)); // nor copied over a folder
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Copy(dir / "file", dir / "nofolder/target", FALSE));
    EXPECT_EQ(CountEntries(dir.path()), 2u);
    EXPECT_EQ(CountEntries(dir / "sub"), 0u);
}

TEST(CopyFile, ReplacesARunningProgram)
{
    TempDir dir;
    const std::string program = dir / "sleeper";
    ASSERT_TRUE(Copy("/bin/sleep", program, FALSE));
    testsupport::ChildProcess sleeper;
    ASSERT_TRUE(sleeper.StartProgram(program, {"30"})); // running the file once this returns

    testsupport::WriteFile(dir / "update", "new program");
    EXPECT_TRUE(Copy(dir / "update", program, FALSE)) << GetLastError();
    EXPECT_EQ(ReadFile(program), "new program");
    EXPECT_TRUE(sleeper.IsRunning()) << "it was still running the old file";
}

TEST(MoveFile, ReplacesOnlyWhenAsked)
{
    TempDir dir;
    testsupport::WriteFile(dir / "a", "a");
    testsupport::WriteFile(dir / "b", "b");
    EXPECT_FALSE(Move(dir / "a", dir / "b", 0));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(MoveFileW(Wide(dir / "a").c_str(), Wide(dir / "b").c_str()));
    EXPECT_EQ(ReadFile(dir / "b"), "b");
    ASSERT_TRUE(Move(dir / "a", dir / "b", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadFile(dir / "b"), "a");
    EXPECT_FALSE(Exists(dir / "a"));
    ASSERT_TRUE(Move(dir / "b", dir / "c", 0));
    EXPECT_EQ(ReadFile(dir / "c"), "a");

    // Folders move too, and are not merged into an existing one.
    ASSERT_TRUE(CreateDirectoryW(Wide(dir / "d1").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(dir / "d2").c_str(), nullptr));
    EXPECT_FALSE(Move(dir / "d1", dir / "d2", 0));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(Move(dir / "d1", dir / "d3", 0));
}

TEST(MoveFile, CrossesFileSystemsOnlyWithCopyAllowed)
{
    std::string other = "/dev/shm/pictavo-move-XXXXXX";
    if (::mkdtemp(other.data()) == nullptr)
        GTEST_SKIP() << "no /dev/shm";
    struct stat here = {};
    struct stat there = {};
    TempDir dir;
    ::stat(dir.path().c_str(), &here);
    ::stat(other.c_str(), &there);
    if (here.st_dev != there.st_dev)
    {
        testsupport::WriteFile(dir / "a", "payload");
        EXPECT_FALSE(Move(dir / "a", other + "/a", 0));
        EXPECT_EQ(GetLastError(), 17u); // not the same device
        testsupport::WriteFile(other + "/a", "old");
        EXPECT_FALSE(Move(dir / "a", other + "/a", MOVEFILE_COPY_ALLOWED));
        EXPECT_EQ(ReadFile(other + "/a"), "old");
        EXPECT_TRUE(Move(dir / "a", other + "/a", MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING));
        EXPECT_EQ(ReadFile(other + "/a"), "payload");
        EXPECT_FALSE(Exists(dir / "a"));
    }
    std::filesystem::remove_all(other);
}

TEST(DeleteFile, RemovesFilesAndLinksButNeverFolders)
{
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(Wide(dir / "sub").c_str(), nullptr));
    testsupport::WriteFile(dir / "sub/keep", "k");
    ASSERT_EQ(::symlink((dir / "sub").c_str(), (dir / "link").c_str()), 0);
    EXPECT_FALSE(DeleteFileW(Wide(dir / "sub").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DeleteFileW(Wide(dir / "link").c_str()));
    EXPECT_EQ(ReadFile(dir / "sub/keep"), "k");
    EXPECT_FALSE(DeleteFileW(Wide(dir / "missing").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileAttributes, DescribeKindsReadOnlyHiddenAndLinks)
{
    TempDir dir;
    testsupport::WriteFile(dir / "file", "x");
    testsupport::WriteFile(dir / ".hidden", "x");
    ASSERT_EQ(::symlink((dir / "file").c_str(), (dir / "filelink").c_str()), 0);
    ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "dirlink").c_str()), 0);

    EXPECT_EQ(Attributes(dir / "file"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(Attributes(dir.path()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Attributes(dir / ".hidden"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Attributes(dir / "filelink"), FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(Attributes(dir / "dirlink"), FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Attributes(dir / "missing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Attributes(dir / "file/below"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    ASSERT_EQ(::chmod((dir / "file").c_str(), 0664), 0);
    ASSERT_TRUE(SetFileAttributesW(Wide(dir / "file").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ModeOf(dir / "file"), 0444u);
    EXPECT_EQ(Attributes(dir / "file"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesW(Wide(dir / "file").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(ModeOf(dir / "file"), 0644u);
    EXPECT_FALSE(SetFileAttributesW(Wide(dir / "missing").c_str(), FILE_ATTRIBUTE_NORMAL));
}

TEST(Folders, CreateRemoveAndTest)
{
    TempDir dir;
    const std::wstring sub = Wide(dir / "sub");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(sub.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(Wide(dir / "a/b").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    ASSERT_EQ(::symlink((dir / "sub").c_str(), (dir / "link").c_str()), 0);
    testsupport::WriteFile(dir / "file", "x");
    EXPECT_EQ(PathIsDirectoryW(sub.c_str()), static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(PathIsDirectoryW(Wide(dir / "link").c_str())); // followed, as a path to use
    EXPECT_FALSE(PathIsDirectoryW(Wide(dir / "file").c_str()));
    EXPECT_TRUE(PathFileExistsW(Wide(dir / "file").c_str()));
    EXPECT_FALSE(PathFileExistsW(Wide(dir / "missing").c_str()));

    testsupport::WriteFile(dir / "sub/x", "x");
    EXPECT_FALSE(RemoveDirectoryW(sub.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(RemoveDirectoryW(Wide(dir / "link").c_str())); // the link goes, not the folder
    EXPECT_TRUE(Exists(dir / "sub/x"));
    EXPECT_FALSE(RemoveDirectoryW(Wide(dir / "file").c_str()));
}

TEST(Folders, NonAsciiNamesRoundTrip)
{
    TempDir dir;
    const std::wstring folder = dir.wpath() + L"/图片转换";
    const std::wstring file = folder + L"/照片 1.jpg";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_TRUE(Exists(dir.path() +
                       "/\xe5\x9b\xbe\xe7\x89\x87\xe8\xbd\xac\xe6\x8d\xa2/\xe7\x85\xa7\xe7\x89\x87 1.jpg"));
    ASSERT_TRUE(CopyFileW(file.c_str(), (folder + L"/副本.jpg").c_str(), TRUE));
    EXPECT_TRUE(PathFileExistsW((folder + L"/副本.jpg").c_str()));

    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"/照*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(found.cFileName), L"照片 1.jpg");
    FindClose(search);
}

TEST(CurrentDirectory, BufferSizesFollowWindows)
{
    TempDir dir;
    wchar_t previous[4096];
    ASSERT_GT(GetCurrentDirectoryW(4096, previous), 0u);
    const std::wstring target = dir.wpath() + L"/目录";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(target.c_str()));

    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    EXPECT_EQ(needed, target.size() + 1);
    std::wstring small(3, L'#');
    EXPECT_EQ(GetCurrentDirectoryW(3, small.data()), needed);
    EXPECT_EQ(small, L"###"); // untouched
    std::wstring exact(needed, L'#');
    EXPECT_EQ(GetCurrentDirectoryW(needed, exact.data()), needed - 1);
    EXPECT_EQ(exact.c_str(), target);

    wchar_t full[4096];
    LPWSTR name = nullptr;
    EXPECT_EQ(GetFullPathNameW(L"./a/../b//c.txt", 4096, full, &name), target.size() + 8);
    EXPECT_EQ(std::wstring(full), target + L"/b/c.txt");
    EXPECT_EQ(std::wstring(name), L"c.txt");
    EXPECT_EQ(GetFullPathNameW(L"/x/../../y", 4096, full, nullptr), 2u);
    EXPECT_EQ(std::wstring(full), L"/y");
    EXPECT_EQ(GetFullPathNameW(L"/abc", 2, full, nullptr), 5u);

    EXPECT_FALSE(SetCurrentDirectoryW((dir.wpath() + L"/missing").c_str()));
    ASSERT_TRUE(SetCurrentDirectoryW(previous));
}
