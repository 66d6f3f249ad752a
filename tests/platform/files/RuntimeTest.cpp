// The C runtime's wide file calls over real files.
#include "tests/support/TestSupport.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Wide;
} // namespace

TEST(Runtime, AccessChecksExistenceAndRefusesOtherModes)
{
    TempDir dir;
    testsupport::WriteFile(dir / "f", "x");
    const std::wstring file = Wide(dir / "f");
    EXPECT_EQ(_waccess(file.c_str(), 0), 0);
    EXPECT_EQ(_waccess(file.c_str(), 2), 0);
    EXPECT_EQ(_waccess(file.c_str(), 4), 0);
    EXPECT_EQ(_waccess(file.c_str(), 6), 0);
    EXPECT_EQ(_waccess(Wide(dir / "missing").c_str(), 0), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_waccess(file.c_str(), 1), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST(Runtime, RemoveAndFolderCalls)
{
    TempDir dir;
    const std::wstring sub = Wide(dir / "sub");
    EXPECT_EQ(_wmkdir(sub.c_str()), 0);
    EXPECT_EQ(_wmkdir(sub.c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(_wmkdir(Wide(dir / "a/b").c_str()), -1); // one level only

    EXPECT_EQ(_wremove(sub.c_str()), -1);
    EXPECT_EQ(errno, EACCES);
    testsupport::WriteFile(dir / "sub/f", "x");
    EXPECT_EQ(_wrmdir(sub.c_str()), -1);
    EXPECT_EQ(errno, ENOTEMPTY);
    EXPECT_EQ(_wremove(Wide(dir / "sub/f").c_str()), 0);
    EXPECT_EQ(_wremove(Wide(dir / "sub/f").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_wrmdir(sub.c_str()), 0);
    EXPECT_FALSE(Exists(dir / "sub"));
}

TEST(Runtime, RenameNeverReplaces)
{
    TempDir dir;
    testsupport::WriteFile(dir / "a", "a");
    testsupport::WriteFile(dir / "b", "b");
    EXPECT_EQ(_wrename(Wide(dir / "a").c_str(), Wide(dir / "b").c_str()), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(ReadFile(dir / "b"), "b");
    EXPECT_EQ(_wrename(Wide(dir / "a").c_str(), Wide(dir / "c").c_str()), 0);
    EXPECT_EQ(ReadFile(dir / "c"), "a");
}

TEST(Runtime, OpensStreamsWithWindowsModes)
{
    TempDir dir;
    const std::wstring path = dir.wpath() + L"/日志.txt";
    FILE* file = _wfopen(path.c_str(), L"wt");
    ASSERT_NE(file, nullptr);
    EXPECT_NE(::fcntl(fileno(file), F_GETFD) & FD_CLOEXEC, 0); // never leaked into children
    std::fputs("one\n", file);
    std::fclose(file);

    ASSERT_EQ(_wfopen_s(&file, path.c_str(), L"a+b"), 0);
    std::fputs("two\n", file);
    std::fclose(file);
    EXPECT_EQ(ReadFile(testsupport::Narrow(path)), "one\ntwo\n");

    ASSERT_EQ(fopen_s(&file, testsupport::Narrow(path).c_str(), "rb"), 0);
    char line[8] = {};
    EXPECT_NE(std::fgets(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "one\n");
    std::fclose(file);

    EXPECT_EQ(_wfopen_s(&file, path.c_str(), L"wx"), EEXIST);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(_wfopen_s(&file, path.c_str(), L"q"), EINVAL);
    EXPECT_EQ(fopen_s(&file, (dir / "missing").c_str(), "r"), ENOENT);
    EXPECT_EQ(fopen_s(nullptr, "x", "r"), EINVAL);
    errno = 0;
    EXPECT_EQ(_wfopen((dir.wpath() + L"/missing").c_str(), L"rb"), nullptr);
    EXPECT_EQ(errno, ENOENT);

    ASSERT_EQ(_wfopen_s(&file, path.c_str(), L"w, ccs=UTF-8"), 0); // the encoding is ignored
    std::fclose(file);
}
