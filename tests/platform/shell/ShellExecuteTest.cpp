// ShellExecuteW and the default-program opener against real child processes: a recording opener
// script stands in for xdg-open, so every argument can be compared byte for byte.
#include "platform/Shell.h"
#include "platform/WinError.h"
#include "tests/platform/shell/ShellTestEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

using shelltest::WaitForFile;
using shelltest::WriteScript;
using testsupport::TempDir;
using testsupport::Wide;

namespace
{
// Each argument followed by a zero, the folder it ran in, and its process id, written in one go.
constexpr const char* kRecorder =
    "out=\"$0.out\"\n"
    "{ for a in \"$@\"; do printf '%s\\0' \"$a\"; done; printf 'pwd=%s\\0pid=%s\\0' "
    "\"$PWD\" \"$$\"; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n";

std::vector<std::string> Fields(const std::string& bytes)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t zero; (zero = bytes.find('\0', start)) != std::string::npos; start = zero + 1)
        fields.push_back(bytes.substr(start, zero - start));
    return fields;
}

INT_PTR Code(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result);
}

class ShellExecuteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteScript(m_opener, kRecorder);
        platform::SetShellOpener(Wide(m_opener));
    }

    void TearDown() override { platform::SetShellOpener(L""); }

    // The arguments the opener got (without the pwd and pid fields).
    std::vector<std::string> OpenerArguments(const std::string& script)
    {
        std::vector<std::string> fields = Fields(WaitForFile(script + ".out"));
        EXPECT_GE(fields.size(), 2u);
        m_lastPid = fields.empty() ? "" : fields.back().substr(4);
        m_lastPwd = fields.size() < 2 ? "" : fields[fields.size() - 2].substr(4);
        fields.resize(fields.size() >= 2 ? fields.size() - 2 : 0);
        return fields;
    }

    TempDir m_dir{"shell exec"};
    std::string m_opener = m_dir / "opener";
    std::string m_lastPid;
    std::string m_lastPwd;
};

TEST_F(ShellExecuteTest, HostilePathReachesTheOpenerAsOneArgument)
{
    const std::string name = m_dir / "-rf \"q\" $(touch pwned); x `id` 'a'.png";
    testsupport::WriteFile(name, "x");
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", Wide(name).c_str(), nullptr, nullptr, SW_SHOW);
    EXPECT_GT(Code(result), 32);
    EXPECT_EQ(OpenerArguments(m_opener), std::vector<std::string>{name});
    EXPECT_FALSE(testsupport::Exists(m_dir / "pwned"));
    EXPECT_FALSE(testsupport::Exists("pwned"));
}

TEST_F(ShellExecuteTest, FoldersRelativePathsAndWebAddressesAreOpened)
{
    EXPECT_GT(Code(ShellExecuteW(nullptr, nullptr, m_dir.wpath().c_str(), nullptr, nullptr, SW_SHOW)), 32);
    EXPECT_EQ(OpenerArguments(m_opener), std::vector<std::string>{m_dir.path()});
    std::remove((m_opener + ".out").c_str());

    // Relative to the folder given; an option-like name becomes an absolute path.
    testsupport::WriteFile(m_dir / "-x.png", "x");
    EXPECT_GT(Code(ShellExecuteW(nullptr, L"open", L"-x.png", nullptr, m_dir.wpath().c_str(), SW_SHOW)), 32);
    EXPECT_EQ(OpenerArguments(m_opener), std::vector<std::string>{m_dir / "-x.png"});
    std::remove((m_opener + ".out").c_str());

    const std::wstring address = L"https://example.org/help?a=1&b=\"2\" 3;$(x)";
    EXPECT_TRUE(platform::OpenWithDefaultApplication(address));
    EXPECT_EQ(OpenerArguments(m_opener), std::vector<std::string>{testsupport::Narrow(address)});
}

TEST_F(ShellExecuteTest, OtherSchemesAndMissingTargetsAreRefused)
{
    struct Case
    {
        const wchar_t* target;
        INT_PTR result;
        DWORD error;
    };
    const Case cases[] = {
        {L"javascript:alert(1)", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"file:///etc/passwd", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"JavaScript:alert(1)", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"ftp://example.org/", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"http:///nohost", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"https://example.org/\nsecond", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"", SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER},
        {L"/no/such/file.png", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {L"no-such-relative.png", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases)
    {
        SetLastError(0);
        EXPECT_EQ(Code(ShellExecuteW(nullptr, L"open", c.target, nullptr, nullptr, SW_SHOW)), c.result)
            << testsupport::Narrow(c.target);
        EXPECT_EQ(GetLastError(), c.error) << testsupport::Narrow(c.target);
        EXPECT_FALSE(platform::OpenWithDefaultApplication(c.target));
    }
    EXPECT_EQ(Code(ShellExecuteW(nullptr, L"print", m_dir.wpath().c_str(), nullptr, nullptr, SW_SHOW)),
              SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(testsupport::Exists(m_opener + ".out"));
}

TEST_F(ShellExecuteTest, MissingOpenerFailsCleanly)
{
    shelltest::ScopedEnv env;
    TempDir emptyBin("bin");
    env.Set("PATH", emptyBin.path());
    env.Set("PICTAVO_SHELL_OPENER", "");
    platform::SetShellOpener(L"");
    EXPECT_EQ(Code(ShellExecuteW(nullptr, L"open", m_dir.wpath().c_str(), nullptr, nullptr, SW_SHOW)),
              SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    EXPECT_FALSE(platform::OpenWithDefaultApplication(L"https://example.org/"));

    // The variable names an opener when no program was set.
    env.Set("PATH", "/usr/bin:/bin");
    env.Set("PICTAVO_SHELL_OPENER", m_opener);
    EXPECT_TRUE(platform::OpenWithDefaultApplication(L"https://example.org/"));
    EXPECT_EQ(OpenerArguments(m_opener), std::vector<std::string>{"https://example.org/"});
}

TEST_F(ShellExecuteTest, ProgramGetsItsParametersSplitByWindowsRulesAndIsReaped)
{
    const std::string program = m_dir / "tool with space";
    WriteScript(program, kRecorder);
    TempDir work("work dir");
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", Wide(program).c_str(), L"\"a b\" c\\\"d \"\" \"$(id);e\" \\\\server",
                      work.wpath().c_str(), SW_HIDE);
    ASSERT_GT(Code(result), 32);
    EXPECT_EQ(OpenerArguments(program),
              (std::vector<std::string>{"a b", "c\"d", "", "$(id);e", "\\\\server"}));
    EXPECT_EQ(m_lastPwd, work.path());
    EXPECT_FALSE(testsupport::Exists(m_opener + ".out")); // run itself, not opened

    // Nobody waits for it, yet it leaves no zombie behind.
    const std::string stat = "/proc/" + m_lastPid + "/stat";
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i)
    {
        gone = testsupport::ReadFile(stat).empty(); // a zombie keeps its /proc entry
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << testsupport::ReadFile(stat);
}

TEST(LibraryTest, WindowsNamesAreNotFoundAndRealLibrariesResolve)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(L"user32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleA("kernel32"), nullptr);

    HMODULE libc = LoadLibraryW(L"libc.so.6");
    ASSERT_NE(libc, nullptr);
    using GetPid = int (*)();
    auto getpidByName = reinterpret_cast<GetPid>(GetProcAddress(libc, "getpid"));
    ASSERT_NE(getpidByName, nullptr);
    EXPECT_EQ(getpidByName(), static_cast<int>(::getpid()));
    EXPECT_EQ(GetProcAddress(libc, "ChangeWindowMessageFilter"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleW(L"libc.so.6"), libc);
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(FreeLibrary(libc));
    EXPECT_FALSE(FreeLibrary(nullptr));
}
} // namespace
