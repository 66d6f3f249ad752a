#include "ChildProcess.h"

#include "support/TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kerneltest
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
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string path = testsupport::TestBinaryDir() + "/" + helper;
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
    for (;;)
    {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos)
        {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        pollfd pfd{m_stdout, POLLIN, 0};
        if (::poll(&pfd, 1, timeoutMs) <= 0)
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
} // namespace kerneltest
