// The private temporary folder: from TMPDIR, or a checked per-user folder below /tmp.
#include "tests/support/TestSupport.h"

#include "platform/files/PrivateFolder.h"

#include "platform/Files.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using testsupport::TempDir;

// Sets or clears TMPDIR for one test and restores it afterwards.
class TmpdirOverride
{
public:
    explicit TmpdirOverride(const char* value)
    {
        if (const char* old = std::getenv("TMPDIR"))
            m_old = old;
        if (value != nullptr)
            ::setenv("TMPDIR", value, 1);
        else
            ::unsetenv("TMPDIR");
    }
    TmpdirOverride(const TmpdirOverride&) = delete;
    TmpdirOverride& operator=(const TmpdirOverride&) = delete;
    ~TmpdirOverride()
    {
        if (m_old)
            ::setenv("TMPDIR", m_old->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> m_old;
};

std::wstring TempPath()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}
} // namespace

TEST(TempPath, ComesFromTmpdirWithATrailingSlash)
{
    {
        TmpdirOverride tmpdir("/some/where");
        EXPECT_EQ(TempPath(), L"/some/where/");
        wchar_t small[4] = {L'#', L'#', L'#', L'#'};
        EXPECT_EQ(GetTempPathW(4, small), 13u); // the size needed, with the NUL
        EXPECT_EQ(small[0], L'#');
        wchar_t exact[13];
        EXPECT_EQ(GetTempPathW(13, exact), 12u);
    }
    TmpdirOverride tmpdir("/already/");
    EXPECT_EQ(TempPath(), L"/already/");
}

TEST(TempPath, WithoutTmpdirIsThePrivateFolderBelowTmp)
{
    const std::wstring expected = L"/tmp/pictavo-" + std::to_wstring(::geteuid()) + L"/";
    for (const char* value : {static_cast<const char*>(nullptr), ""})
    {
        TmpdirOverride tmpdir(value);
        EXPECT_EQ(TempPath(), expected);
    }
    struct stat info = {};
    ASSERT_EQ(::lstat(testsupport::Narrow(expected).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);
}

TEST(TempPath, PrivateFolderIsCreatedClosedAndChecked)
{
    TempDir base;
    const std::string fresh = base / "fresh";
    EXPECT_EQ(platform::files::PreparePrivateFolder(fresh), ERROR_SUCCESS);
    struct stat info = {};
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string open = base / "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_EQ(platform::files::PreparePrivateFolder(open), ERROR_SUCCESS);
    ASSERT_EQ(::stat(open.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u); // ours, so closed to others

    // A link planted by someone else is refused and its target left alone.
    TempDir victim;
    ASSERT_EQ(::chmod(victim.path().c_str(), 0755), 0);
    const std::string planted = base / "planted";
    ASSERT_EQ(::symlink(victim.path().c_str(), planted.c_str()), 0);
    EXPECT_EQ(platform::files::PreparePrivateFolder(planted), ERROR_ACCESS_DENIED);
    ASSERT_EQ(::stat(victim.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);

    testsupport::WriteFile(base / "file", "x");
    EXPECT_NE(platform::files::PreparePrivateFolder(base / "file"), ERROR_SUCCESS);
}

TEST(TempPath, FolderOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a folder away";
    TempDir base;
    const std::string foreign = base / "foreign";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    EXPECT_EQ(platform::files::PreparePrivateFolder(foreign), ERROR_ACCESS_DENIED);
}
