#pragma once
// A helper program built beside the tests (tests/helpers) run as a real child process, with
// pipes to its standard input and output. The one way a test starts a program and reads what
// it says; a program that is only run to its end goes through RunHelperProgram.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport
{
class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills and reaps a child that is still running.
    ~ChildProcess();

    // Starts <test binary dir>/<helper> with the arguments; false when it cannot be started.
    bool Start(const std::string& helper, const std::vector<std::string>& args);
    pid_t Pid() const { return m_pid; }
    // The next line of its output without the line end; empty after timeoutMs or at its end.
    std::string ReadLine(int timeoutMs = 10000);
    void CloseStdin();
    void Kill(int signal);
    // Waits for the end; the raw waitpid status, or -1.
    int Wait();
    // Waits up to timeoutMs for the end; the raw waitpid status, or -1 when it did not end.
    int WaitFor(int timeoutMs);
    // A child found ended here is reaped: its process id is never signalled again.
    bool IsRunning();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_pending;
};

// Runs <test binary dir>/<name> to its end, its output going to the test's own; the exit code,
// or -1 when it did not exit normally.
int RunHelperProgram(const std::string& name, const std::vector<std::string>& args);
} // namespace testsupport
