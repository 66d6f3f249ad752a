// File handles over real files: creation dispositions, transfers, seeking, sizes and times.
#include "tests/support/TestSupport.h"

#include "platform/Files.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
using testsupport::TempDir;
using testsupport::Wide;

HANDLE Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
}

bool Put(HANDLE file, std::string_view bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE &&
           written == bytes.size();
}

std::string Get(HANDLE file, DWORD count)
{
    std::string bytes(count, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, bytes.data(), count, &got, nullptr));
    bytes.resize(got);
    return bytes;
}

FILETIME At(unsigned long long ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

unsigned long long Ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
} // namespace

TEST(FileHandle, DispositionsReportWhetherTheFileExisted)
{
    TempDir dir;
    const std::string path = dir / "a.bin";

    HANDLE file = Open(path, GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Put(file, "hello"));
    EXPECT_TRUE(CloseHandle(file));

    EXPECT_EQ(Open(path, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Open(dir / "missing", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    file = Open(path, GENERIC_READ, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Get(file, 100), "hello"); // OPEN_ALWAYS keeps the content
    CloseHandle(file);

    file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u); // CREATE_ALWAYS truncates
    CloseHandle(file);

    file = Open(dir / "fresh", GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(file);

    testsupport::WriteFile(path, "12345");
    EXPECT_EQ(Open(path, GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    file = Open(path, GENERIC_WRITE, TRUNCATE_EXISTING);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    CloseHandle(file);
}

TEST(FileHandle, ReadsWritesSeeksAndTruncates)
{
    TempDir dir;
    HANDLE file = Open(dir / "data", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Put(file, "0123456789"));

    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(Get(file, 3), "234");
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 8u);
    EXPECT_EQ(Get(file, 100), "89");
    EXPECT_EQ(Get(file, 100), ""); // the end is success with nothing read

    LARGE_INTEGER move{};
    LARGE_INTEGER position{};
    move.QuadPart = 5;
    ASSERT_TRUE(SetFilePointerEx(file, move, &position, FILE_BEGIN));
    EXPECT_EQ(position.QuadPart, 5);
    ASSERT_TRUE(SetEndOfFile(file));
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 5);

    // A position past 4 GiB travels through the high part (sparse, nothing is written).
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(SetEndOfFile(file));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 16u);
    EXPECT_EQ(sizeHigh, 1u);

    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, nullptr, 0, nullptr, nullptr)); // closed handle
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileHandle, PositionalTransfersUseTheOverlappedOffset)
{
    TempDir dir;
    HANDLE file = Open(dir / "data", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_TRUE(Put(file, "abcdef"));
    OVERLAPPED at{};
    at.Offset = 1;
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, "XY", 2, &count, &at));
    at.Offset = 0;
    char bytes[6] = {};
    ASSERT_TRUE(ReadFile(file, bytes, 6, &count, &at));
    EXPECT_EQ(std::string(bytes, count), "aXYdef");
    CloseHandle(file);
}

TEST(FileHandle, WriteToAFullDiskIsReported)
{
    HANDLE file = Open("/dev/full", GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(file, "data", 4, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    CloseHandle(file);
}

TEST(FileHandle, FoldersOpenOnlyWithBackupSemantics)
{
    TempDir dir;
    EXPECT_EQ(Open(dir.path(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE folder = Open(dir.path(), FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(folder, INVALID_HANDLE_VALUE);
    CloseHandle(folder);
}

TEST(FileHandle, ReadOnlyAttributeCreatesAFileWithoutWritePermission)
{
    TempDir dir;
    HANDLE file = Open(dir / "ro", GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Put(file, "still writable through this handle"));
    CloseHandle(file);
    EXPECT_NE(GetFileAttributesW(Wide(dir / "ro").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(FileHandle, TimesRoundTripOnFilesAndFolders)
{
    TempDir dir;
    testsupport::WriteFile(dir / "f", "x");
    // 2020-01-02 03:04:05.1234567 UTC and a day earlier.
    const unsigned long long write = 132224078451234567ULL;
    const unsigned long long access = write - 864000000000ULL;
    for (const std::string& path : {dir / "f", dir.path()})
    {
        HANDLE file = Open(path, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        const FILETIME accessTime = At(access);
        const FILETIME writeTime = At(write);
        ASSERT_TRUE(SetFileTime(file, nullptr, &accessTime, &writeTime));
        FILETIME readAccess{};
        FILETIME readWrite{};
        ASSERT_TRUE(GetFileTime(file, nullptr, &readAccess, &readWrite));
        EXPECT_EQ(Ticks(readAccess), access);
        EXPECT_EQ(Ticks(readWrite), write);

        // A null time leaves that time alone.
        const FILETIME later = At(write + 10000000);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
        ASSERT_TRUE(GetFileTime(file, nullptr, &readAccess, &readWrite));
        EXPECT_EQ(Ticks(readAccess), access);
        EXPECT_EQ(Ticks(readWrite), write + 10000000);
        CloseHandle(file);
    }
    struct stat info = {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1577934246); // 2020-01-02 03:04:06, the later write time
}

TEST(FileHandle, DescriptorsFromOtherAreasBecomeHandles)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    HANDLE reader = platform::RegisterFileDescriptor(fds[0]);
    HANDLE writer = platform::RegisterFileDescriptor(fds[1]);
    EXPECT_EQ(platform::FileDescriptorOf(reader), fds[0]);
    ASSERT_TRUE(Put(writer, "ping"));
    EXPECT_EQ(Get(reader, 100), "ping"); // a pipe read returns what is there, it does not wait for 100
    CloseHandle(writer);
    EXPECT_EQ(Get(reader, 100), "");
    CloseHandle(reader);
}
