// One copy per program, between real processes: a second copy ends at once with 0 and the first
// one's window comes forward (tests/helpers/common_instance_host.cpp).
#include "common/dialog/SingleInstance.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/wait.h>

namespace
{
using Clock = std::chrono::steady_clock;

// The first copy, with its standard output read line by line.
class Host
{
public:
    explicit Host(const std::vector<std::string>& args) { m_child.Start("common_instance_host", args); }
    // The next line, or "" when none comes within the time.
    std::string ReadLine(int timeoutMs = 5000) { return m_child.ReadLine(timeoutMs); }
    int Wait()
    {
        const int status = m_child.Wait();
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    testsupport::ChildProcess m_child;
};

// The second copy's exit code, which must come at once.
int RunSecondCopy(const std::vector<std::string>& args)
{
    const auto start = Clock::now();
    const int code = testsupport::RunHelperProgram("common_instance_host", args);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    return code;
}
} // namespace

TEST(SingleInstance, ASecondCopyBringsTheFirstForwardAndEnds)
{
    struct Case
    {
        const char* program;
        const char* state;
        const char* answer;
    };
    const Case cases[] = {{"MAIN", "hidden", "shown"},
                          {"UNINST", "minimized", "restored"},
                          {"UPDATE", "shown", "raised"},
                          {"SETUP", "shown", "raised"}};
    for (const Case& c : cases)
    {
        Host first({c.program, "Pictavo", c.state});
        ASSERT_EQ(first.ReadLine(), "ready") << c.program;
        EXPECT_EQ(RunSecondCopy({c.program, "Pictavo", c.state}), 0) << c.program;
        EXPECT_EQ(first.ReadLine(), c.answer) << c.program << " (not topmost)";
        EXPECT_EQ(first.Wait(), 0);
    }
}

TEST(SingleInstance, ProgramsDoNotStopEachOther)
{
    Host main({"MAIN", "Pictavo", "shown", "3"});
    ASSERT_EQ(main.ReadLine(), "ready");
    Host update({"UPDATE", "Pictavo", "shown", "1"});
    EXPECT_EQ(update.ReadLine(), "ready") << "another program's mutex";
    EXPECT_EQ(update.Wait(), 3) << "and nobody asked it to come forward";
}

TEST(SingleInstance, ASetupWithAnotherAppNameFindsNoWindowButStillEnds)
{
    Host first({"SETUP", "产品甲", "shown", "2"});
    ASSERT_EQ(first.ReadLine(), "ready");
    EXPECT_EQ(RunSecondCopy({"SETUP", "产品乙", "shown"}), 0);
    EXPECT_EQ(first.Wait(), 3) << "its window was not asked";
}

TEST(SingleInstance, TheTitleIsTheProductNameAndTheProgramsSuffix)
{
    EXPECT_EQ(ProgramWindowTitle(PictavoProgram::MAIN, L"Pictavo"), L"Pictavo");
    EXPECT_EQ(ProgramWindowTitle(PictavoProgram::SETUP, L"Pictavo"), L"Pictavo安装程序");
    EXPECT_EQ(ProgramWindowTitle(PictavoProgram::UNINST, L"Pictavo"), L"Pictavo卸载程序");
    EXPECT_EQ(ProgramWindowTitle(PictavoProgram::UPDATE, L"Pictavo"), L"Pictavo升级程序");
}

TEST(SingleInstance, InOneProcessTheSecondCheckReportsRunningEvenAfterAnEarlierError)
{
    const LPCWSTR name = L"{A0000000-0000-0000-0000-00000000DA1A}";
    EXPECT_FALSE(CheckSingleInstance(name, L"nobody"));
    EXPECT_TRUE(CheckSingleInstance(name, L"nobody"));
    // A stale "already exists" is not taken for this name's answer.
    ::SetLastError(ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CheckSingleInstance(L"{A0000000-0000-0000-0000-00000000DA1B}", L"nobody"));
    // A copy on its way out lets the next one in, for every name it held.
    ReleaseSingleInstance();
    EXPECT_FALSE(CheckSingleInstance(name, L"nobody"));
    EXPECT_FALSE(CheckSingleInstance(L"{A0000000-0000-0000-0000-00000000DA1B}", L"nobody"));
    ReleaseSingleInstance();
}
