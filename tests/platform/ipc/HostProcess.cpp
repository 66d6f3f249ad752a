#include "HostProcess.h"

#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ipctest
{
HostProcess::~HostProcess()
{
    Kill();
    if (m_output >= 0)
        ::close(m_output);
}

bool HostProcess::Start(const std::string& title, const std::string& report, long answer, bool pump,
                        int seconds)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    const std::string program = testsupport::TestBinaryDir() + "/ipc_window_host";
    std::vector<std::string> args{
        program, title, report, std::to_string(answer), pump ? "pump" : "block", std::to_string(seconds)};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const bool spawned = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    m_output = pipe[0];
    if (!spawned)
        m_pid = -1;
    return spawned && AwaitReady(10000);
}

bool HostProcess::AwaitReady(int timeoutMs)
{
    std::string seen;
    char buffer[64];
    pollfd pfd{m_output, POLLIN, 0};
    while (seen.find("ready\n") == std::string::npos && ::poll(&pfd, 1, timeoutMs) > 0)
    {
        const ssize_t n = ::read(m_output, buffer, sizeof(buffer));
        if (n <= 0)
            return false;
        seen.append(buffer, static_cast<size_t>(n));
    }
    return seen.find("ready\n") != std::string::npos;
}

bool HostProcess::IsRunning()
{
    return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0;
}

void HostProcess::Kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

int HostProcess::WaitExit(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (m_pid > 0 && std::chrono::steady_clock::now() < end)
    {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_pid = -1;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

std::string RegistryFolder()
{
    return std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows";
}
} // namespace ipctest
