#include "ChildProcess.h"

#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport
{
ChildProcess::~ChildProcess()
{
    if (m_pid > 0)
    {
        Kill(SIGKILL);
        Wait();
    }
    CloseStdin();
    if (m_stdout >= 0)
        ::close(m_stdout);
}

bool ChildProcess::Start(const std::string& helper, const std::vector<std::string>& args)
{
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(out, O_CLOEXEC) != 0)
    {
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string path = TestBinaryDir() + "/" + helper;
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    if (rc != 0)
        m_pid = -1;
    return rc == 0;
}

std::string ChildProcess::ReadLine(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        const size_t lineEnd = m_pending.find('\n');
        if (lineEnd != std::string::npos)
        {
            std::string line = m_pending.substr(0, lineEnd);
            m_pending.erase(0, lineEnd + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd pfd{m_stdout, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char buffer[256];
        const ssize_t n = ::read(m_stdout, buffer, sizeof(buffer));
        if (n <= 0)
            return {};
        m_pending.append(buffer, static_cast<size_t>(n));
    }
}

void ChildProcess::CloseStdin()
{
    if (m_stdin >= 0)
        ::close(m_stdin);
    m_stdin = -1;
}

void ChildProcess::Kill(int signal)
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

int ChildProcess::Wait()
{
    int status = -1;
    if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid)
        m_pid = -1;
    return status;
}

int ChildProcess::WaitFor(int timeoutMs)
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

bool ChildProcess::IsRunning()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t ended = ::waitpid(m_pid, &status, WNOHANG);
    if (ended == 0)
        return true;
    if (ended == m_pid)
        m_pid = -1;
    return false;
}

int RunHelperProgram(const std::string& name, const std::vector<std::string>& args)
{
    const std::string program = TestBinaryDir() + "/" + name;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace testsupport
