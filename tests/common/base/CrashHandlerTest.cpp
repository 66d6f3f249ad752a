// The crash handler in a real crashing program and in the three shipped programs that install
// it: each run uses its own copy of the program in a folder of its own, a recorder script in
// place of the message copy, and ends with the signal.
#include "common/base/CrashHandler.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/InstallKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace testsupport;

namespace
{
constexpr int kDeadlineMs = 20000;
constexpr auto kDeadline = std::chrono::milliseconds(kDeadlineMs);

struct CrashRun
{
    pid_t pid = -1;
    int status = 0;
    bool ended = false;
};

class CrashProgram
{
public:
    // program: a copy placed by the caller; empty: the crasher helper, copied here.
    explicit CrashProgram(const std::string& program = {})
        : m_program(program.empty() ? m_dir / "Crasher" : program), m_record(m_dir / "notice.txt")
    {
        if (program.empty())
            std::filesystem::copy_file(TestBinaryDir() + "/common_crasher", m_program);
        const std::string recorder = m_dir / "record.sh";
        WriteFile(recorder, "#!/bin/sh\nenv | grep '^" + std::string(CCrashHandler::kNoticeVariable) +
                                "=' > '" + m_record + ".tmp'\nmv '" + m_record + ".tmp' '" + m_record +
                                "'\n");
        ::chmod(recorder.c_str(), 0755);
        m_environment = {std::string(CCrashHandler::kNoticeProgramVariable) + "=" + recorder};
    }

    const std::string& Program() const { return m_program; }
    std::string Report() const { return m_program + ".dmp"; }
    const std::string& Record() const { return m_record; }
    void AddEnvironment(const std::string& entry) { m_environment.push_back(entry); }

    // Starts the copy with the sanitizer's own handlers off for the signals the handler takes.
    // The message process it starts outlives it: the output is the test's, not a pipe of ours.
    bool Start(ChildProcess& child, const std::vector<std::string>& args) const
    {
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::vector<std::string> environment = m_environment;
        environment.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
                              ":handle_segv=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0:"
                              "detect_leaks=0");
        return child.StartProgram(m_program, args, {.environment = environment, .shareOutput = true});
    }

    // Runs the copy to its end (or kills it after the deadline).
    CrashRun Run(const std::string& mode) const
    {
        CrashRun run;
        ChildProcess child;
        if (!Start(child, {mode}))
            return run;
        run.pid = child.Pid();
        run.status = child.WaitFor(kDeadlineMs);
        run.ended = run.status != -1;
        return run;
    }

    // The recorder's line, once the detached message process has written it.
    std::string AwaitRecord() const
    {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        while (std::chrono::steady_clock::now() < until && !Exists(m_record))
            ::usleep(5000);
        return ReadFile(m_record);
    }

private:
    TempDir m_dir{"crash"};
    std::string m_program;
    std::string m_record;
    std::vector<std::string> m_environment;
};

// Waits until the process has published its window (so it runs its message loop, long after
// its main began) or has ended.
bool AwaitWindow(ChildProcess& child)
{
    const std::string entry = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows/" +
                              std::to_string(child.Pid()) + ".win";
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < until && !Exists(entry) && child.IsRunning())
        ::usleep(5000);
    return Exists(entry) && child.IsRunning();
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
} // namespace

TEST(CrashHandlerTest, EachCrashLeavesItsReportStartsTheMessageAndEndsWithTheSignal)
{
    struct Case
    {
        const char* mode;
        int signal;
        const char* function; // the faulting function, as the backtrace must name it
    };
    const Case cases[] = {
        {"null", SIGSEGV, "CrasherWriteThroughNull"},   {"abort", SIGABRT, "CrasherAbort"},
        {"purevirtual", SIGABRT, "CrasherCallCorners"}, {"thread", SIGSEGV, "CrasherWriteThroughNull"},
        {"overflow", SIGSEGV, "CrasherRecurse"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        CrashProgram program;
        const CrashRun run = program.Run(c.mode);
        ASSERT_TRUE(run.ended);
        ASSERT_TRUE(WIFSIGNALED(run.status)) << "status " << run.status;
        EXPECT_EQ(c.signal, WTERMSIG(run.status));

        const std::string report = ReadFile(program.Report());
        EXPECT_NE(std::string::npos, report.find("signal: " + std::to_string(c.signal) + " ("));
        EXPECT_NE(std::string::npos, report.find("program: " + program.Program()));
        EXPECT_NE(std::string::npos, report.find(c.function)) << report.substr(0, 3000);
        EXPECT_NE(std::string::npos, report.find("memory map:\n"));
        if (std::string(c.mode) == "null" || std::string(c.mode) == "thread")
        {
            EXPECT_NE(std::string::npos, report.find("address: 0x0\n"));
        }
        if (std::string(c.mode) == "thread" || std::string(c.mode) == "overflow")
        {
            EXPECT_EQ(std::string::npos, report.find("thread: " + std::to_string(run.pid) + " "));
        }
        EXPECT_EQ(std::string(CCrashHandler::kNoticeVariable) + "=1\n", program.AwaitRecord());
    }
}

TEST(CrashHandlerTest, ReportThatCannotBeCreatedStartsNoMessageAndASecondCrashEndsAtOnce)
{
    {
        // A folder where the report belongs: nothing can be written, nothing is announced.
        CrashProgram program;
        std::filesystem::create_directory(program.Report());
        const CrashRun run = program.Run("null");
        ASSERT_TRUE(run.ended);
        ASSERT_TRUE(WIFSIGNALED(run.status));
        EXPECT_EQ(SIGSEGV, WTERMSIG(run.status));
        EXPECT_FALSE(Exists(program.Record()));
    }
    {
        // A link planted where the report belongs, to a file or to nowhere: never written
        // through, nothing created where it points.
        CrashProgram program;
        const std::string decoy = program.Program() + ".decoy";
        const std::string nowhere = program.Program() + ".nowhere";
        WriteFile(decoy, "the user's own file\n");
        for (const std::string& target : {decoy, nowhere})
        {
            std::filesystem::remove(program.Report());
            ASSERT_EQ(0, ::symlink(target.c_str(), program.Report().c_str()));
            const CrashRun run = program.Run("null");
            ASSERT_TRUE(run.ended);
            ASSERT_TRUE(WIFSIGNALED(run.status));
            EXPECT_EQ(SIGSEGV, WTERMSIG(run.status));
            EXPECT_FALSE(Exists(program.Record()));
        }
        EXPECT_EQ("the user's own file\n", ReadFile(decoy));
        EXPECT_FALSE(Exists(nowhere));
    }
    {
        // The report is a pipe that this test holds full while the handler writes; a second
        // crash signal then must end the process without a second report or a message.
        CrashProgram program;
        ASSERT_EQ(0, ::mkfifo(program.Report().c_str(), 0600));
        const int reader = ::open(program.Report().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        ::fcntl(reader, F_SETPIPE_SZ, 4096);
        ChildProcess child;
        ASSERT_TRUE(program.Start(child, {"abort"}));
        pollfd waiting{reader, POLLIN, 0};
        ASSERT_EQ(1, ::poll(&waiting, 1, kDeadlineMs));
        child.Kill(SIGSEGV);

        std::string written;
        int status = -1;
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        while (status == -1 && std::chrono::steady_clock::now() < until)
        {
            char buffer[4096];
            for (ssize_t got; (got = ::read(reader, buffer, sizeof(buffer))) > 0;)
                written.append(buffer, static_cast<size_t>(got));
            status = child.WaitFor(2);
        }
        const bool ended = status != -1;
        ::close(reader);
        ASSERT_TRUE(ended);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(SIGSEGV, WTERMSIG(status));
        EXPECT_EQ(1, Occurrences(written, "crash report\n"));
        EXPECT_FALSE(Exists(program.Record()));
    }
}

TEST(CrashHandlerTest, MessageCopyShowsTheTextAndRunsNothingOfTheProgram)
{
    CrashProgram program;
    const std::string out = program.Program() + ".out";
    for (const char* written : {"1", "0"})
    {
        SCOPED_TRACE(written);
        // "null" would crash if anything after the handler's construction ran.
        const std::string command = "env -u DISPLAY " + std::string(CCrashHandler::kNoticeVariable) + "=" +
                                    written + " '" + program.Program() + "' null 2>'" + out + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
        const std::string expected = std::string(written) == "1"
                                         ? "本程序遇到未处理的异常，MiniDump文件已经生成在程序的运行目录。\n"
                                         : "本程序遇到未处理的异常，生成MiniDump文件失败\n";
        EXPECT_EQ(expected, ReadFile(out));
        EXPECT_FALSE(Exists(program.Report()));
    }
}

// Pictavo, PictavoSetup and Update, each from its own copy of its program folder (the updater
// as Pictavo starts it, from a folder of its own with the registered install as its argument):
// a fault while the window is up leaves the program's own report and starts its notice.
TEST(CrashHandlerTest, EachShippedProgramLeavesItsReportAndStartsItsNotice)
{
    const TempDir root{"shipped"};
    const std::string install = root / "install";
    updatekit::MakeInstall(install, "1.0.0.0", "", false);
    const std::string setup = root / "setup";
    const std::string update = root / "update";
    ASSERT_TRUE(PlaceFile(PICTAVO_SETUP_PROGRAM, setup + "/PictavoSetup"));
    ASSERT_TRUE(PlaceFile(updatekit::BuiltUiLibrary(), setup + "/libDuiLib.so"));
    ASSERT_TRUE(PlaceFile(updatekit::BuiltUpdate(), update + "/Update"));
    ASSERT_TRUE(PlaceFile(updatekit::BuiltUiLibrary(), update + "/libDuiLib.so"));

    const std::pair<std::string, std::vector<std::string>> programs[] = {
        {install + "/Pictavo", {}}, {setup + "/PictavoSetup", {}}, {update + "/Update", {install}}};
    for (const auto& [path, args] : programs)
    {
        SCOPED_TRACE(path);
        CrashProgram program(path);
        ChildProcess child;
        ASSERT_TRUE(program.Start(child, args));
        ASSERT_TRUE(AwaitWindow(child)) << "no window, status " << child.WaitFor(0);
        child.Kill(SIGSEGV);
        const int status = child.WaitFor(kDeadlineMs);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(SIGSEGV, WTERMSIG(status));
        const std::string report = ReadFile(path + ".dmp");
        EXPECT_NE(std::string::npos, report.find("signal: 11 (")) << report.substr(0, 500);
        EXPECT_NE(std::string::npos, report.find("program: " + path));
        EXPECT_EQ(std::string(CCrashHandler::kNoticeVariable) + "=1\n", program.AwaitRecord());
    }
}
