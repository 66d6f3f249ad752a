// Special folders: XDG user folders through xdg-user-dir or user-dirs.dirs, the fixed folders,
// creation on request and the MAX_PATH buffers.
#include "platform/Shell.h"
#include "platform/WinError.h"
#include "platform/shell/UserDirs.h"
#include "tests/platform/shell/ShellTestEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

using shelltest::ScopedEnv;
using testsupport::TempDir;
using testsupport::Wide;

namespace
{
class SpecialFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Set("HOME", m_home.path());
        m_env.Set("XDG_CONFIG_HOME", m_config.path());
        m_env.Set("XDG_DATA_HOME", m_home.path() + "/.local/share");
        UseTool(false);
    }

    // Without the tool PATH holds only an empty folder; with it, the system's xdg-user-dir.
    void UseTool(bool real) { m_env.Set("PATH", real ? m_bin.path() + ":/usr/bin:/bin" : m_bin.path()); }

    void WriteDirsFile(const std::string& text) { testsupport::WriteFile(m_config / "user-dirs.dirs", text); }

    std::wstring Folder(int csidl, BOOL create = FALSE)
    {
        WCHAR path[MAX_PATH] = L"unchanged";
        EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, csidl, create)) << csidl;
        return path;
    }

    TempDir m_home{"home"};
    TempDir m_config{"config"};
    TempDir m_bin{"bin"};
    ScopedEnv m_env;
};

TEST_F(SpecialFolderTest, UserFoldersFallBackToTheUsualNamesBelowHome)
{
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY), m_home.wpath() + L"/Desktop");
    EXPECT_EQ(Folder(CSIDL_DESKTOP), m_home.wpath() + L"/Desktop");
    EXPECT_EQ(Folder(CSIDL_COMMON_DOCUMENTS), m_home.wpath() + L"/Documents");
    EXPECT_EQ(Folder(CSIDL_PERSONAL), m_home.wpath() + L"/Documents");
}

TEST_F(SpecialFolderTest, UserDirsFileIsReadWithoutTheTool)
{
    WriteDirsFile("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                  "XDG_DOCUMENTS_DIR=\"/srv/docs with \\\"quotes\\\"\"\n");
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY), m_home.wpath() + L"/Schreibtisch");
    EXPECT_EQ(Folder(CSIDL_COMMON_DOCUMENTS), L"/srv/docs with \"quotes\"");
}

TEST_F(SpecialFolderTest, RealToolAndFileAgree)
{
    if (access("/usr/bin/xdg-user-dir", X_OK) != 0)
        GTEST_SKIP() << "xdg-user-dir is not installed";
    UseTool(true);
    WriteDirsFile("XDG_DESKTOP_DIR=\"$HOME/桌面\"\nXDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY), m_home.wpath() + L"/桌面");
    // A user folder set to home itself means "none": the usual name is used.
    EXPECT_EQ(Folder(CSIDL_COMMON_DOCUMENTS), m_home.wpath() + L"/Documents");
}

TEST_F(SpecialFolderTest, ToolAnswerComesBeforeTheFile)
{
    shelltest::WriteScript(m_bin / "xdg-user-dir", "[ \"$1\" = DESKTOP ] && echo /from/tool || exit 1\n");
    WriteDirsFile("XDG_DESKTOP_DIR=\"/from/file\"\nXDG_DOCUMENTS_DIR=\"/docs/file\"\n");
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY), L"/from/tool");
    // The tool failed for DOCUMENTS: the file answers.
    EXPECT_EQ(Folder(CSIDL_COMMON_DOCUMENTS), L"/docs/file");
}

TEST_F(SpecialFolderTest, FixedFoldersFollowTheUser)
{
    const bool root = geteuid() == 0;
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES), root ? L"/opt" : m_home.wpath() + L"/.local/opt");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILESX86), Folder(CSIDL_PROGRAM_FILES));
    EXPECT_EQ(Folder(CSIDL_APPDATA), m_config.wpath());
    EXPECT_EQ(Folder(CSIDL_COMMON_APPDATA), m_config.wpath());
    const std::wstring apps =
        root ? L"/usr/share/applications" : m_home.wpath() + L"/.local/share/applications";
    EXPECT_EQ(Folder(CSIDL_PROGRAMS), apps);
    EXPECT_EQ(Folder(CSIDL_COMMON_PROGRAMS), apps);
    m_env.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(Folder(CSIDL_APPDATA), m_home.wpath() + L"/.config");
    // The applications folder follows XDG_DATA_HOME when it is absolute.
    if (!root)
    {
        m_env.Set("XDG_DATA_HOME", m_config.path() + "/data/");
        EXPECT_EQ(Folder(CSIDL_COMMON_STARTMENU), m_config.wpath() + L"/data/applications");
        m_env.Set("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(Folder(CSIDL_COMMON_STARTMENU), apps);
    }
}

TEST_F(SpecialFolderTest, CreateMakesTheFolderOnlyWhenAsked)
{
    const std::string desktop = m_home / "Desktop";
    Folder(CSIDL_DESKTOPDIRECTORY, FALSE);
    EXPECT_FALSE(testsupport::Exists(desktop));
    Folder(CSIDL_DESKTOPDIRECTORY, TRUE);
    EXPECT_TRUE(testsupport::Exists(desktop));

    WCHAR path[MAX_PATH];
    EXPECT_EQ(
        SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
        S_OK);
    EXPECT_TRUE(testsupport::Exists(testsupport::Narrow(path)));
}

TEST_F(SpecialFolderTest, UnknownIdsAndOverlongFoldersFailWithoutOverrun)
{
    WCHAR path[MAX_PATH + 8];
    std::fill(std::begin(path), std::end(path), L'#');
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, 0x7F, FALSE));
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7F, nullptr, 0, path), E_INVALIDARG);

    // A home so deep that the desktop folder needs more than MAX_PATH characters.
    m_env.Set("HOME", "/" + std::string(MAX_PATH - 9, 'h'));
    std::fill(std::begin(path), std::end(path), L'#');
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(path[0], L'\0');
    EXPECT_EQ(path[MAX_PATH], L'#');
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path), E_FAIL);
    // One that just fits: 259 characters and the zero.
    m_env.Set("HOME", "/" + std::string(MAX_PATH - 10, 'h'));
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY).size(), MAX_PATH - 1);
}

TEST(UserDirsFileTest, LastSettingWinsAndOnlyAbsoluteFoldersCount)
{
    using platform::UserDirs;
    const std::string home = "/home/u";
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOP_DIR=\"/a\"\n  XDG_DESKTOP_DIR=\"/b\"\n", "DESKTOP", home),
              "/b");
    EXPECT_EQ(UserDirs::ParseDirsFile("#XDG_DESKTOP_DIR=\"/a\"\n", "DESKTOP", home), "");
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOP_DIR=\"Desktop\"\n", "DESKTOP", home), "");
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOP_DIR=\"/unclosed\n", "DESKTOP", home), "");
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOP_DIR=$HOME/plain\r\n", "DESKTOP", home), "/home/u/plain");
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOPX_DIR=\"/x\"\n", "DESKTOP", home), "");
    EXPECT_EQ(UserDirs::ParseDirsFile("XDG_DESKTOP_DIR=\"$HOMEWORK\"\n", "DESKTOP", home), "");
}
} // namespace
