#pragma once
// A program run as a real child process of a test: a helper built beside the tests
// (tests/helpers) or any program by its path, with pipes to its standard input and output. The
// one way a test starts a program; one that is only run to its end goes through RunHelperProgram.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport
{
// How a child starts besides its program and arguments.
struct ChildSetup
{
    // Changes to the test's environment: "NAME=value" sets NAME, "NAME" alone removes it.
    std::vector<std::string> environment = {};
    // The child gets the entries of environment and nothing of the test's own.
    bool onlyGivenEnvironment = false;
    // The child writes to the test's standard output instead of a pipe read by ReadLine: for a
    // program whose output nobody reads, and whose own children may outlive this object.
    bool shareOutput = false;
};

class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills and reaps a child that is still running.
    ~ChildProcess();

    // Starts <test binary dir>/<helper> with the arguments; false when it cannot be started.
    bool Start(const std::string& helper, const std::vector<std::string>& args, const ChildSetup& setup = {});
    // Starts a program by its path, or found on PATH when the name holds no "/". It is running
    // the program when this returns true.
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      const ChildSetup& setup = {});
    // The process id it was started with, also once it has ended (for what a process leaves
    // under its id); -1 before a start.
    pid_t Pid() const { return m_pid; }
    // The next line of its output without the line end; empty after timeoutMs or at its end.
    std::string ReadLine(int timeoutMs = 10000);
    void CloseStdin();
    // Signals the child while it runs; an ended child is never signalled.
    void Kill(int signal);
    // Waits for the end; the raw waitpid status, or -1.
    int Wait();
    // Waits up to timeoutMs (0: only looks) for the end; the raw waitpid status, or -1 when it
    // did not end.
    int WaitFor(int timeoutMs);
    // A child found ended here is reaped; Wait and WaitFor then give its status.
    bool IsRunning();

private:
    bool Reap(int options);

    pid_t m_pid = -1;
    bool m_running = false;
    int m_status = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_pending;
};

// The exit code in a raw waitpid status, 128 + the signal that ended the process, or -1.
int ExitCode(int status);

// Runs <test binary dir>/<name> to its end, its output going to the test's own; the exit code,
// or -1 when it did not exit normally.
int RunHelperProgram(const std::string& name, const std::vector<std::string>& args);
} // namespace testsupport
