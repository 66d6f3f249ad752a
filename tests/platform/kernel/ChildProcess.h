#pragma once
// A helper program run as a real child process, with pipes to its standard input and output.

#include <string>
#include <sys/types.h>
#include <vector>

namespace kerneltest
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
    // The next line of its output without the line end; empty after timeoutMs or at its end.
    std::string ReadLine(int timeoutMs = 10000);
    void CloseStdin();
    void Kill(int signal);
    // Waits for the end; the raw waitpid status, or -1.
    int Wait();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_pending;
};
} // namespace kerneltest
