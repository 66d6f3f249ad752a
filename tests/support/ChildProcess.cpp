#include "tests/support/ChildProcess.h"

#include "tests/support/TestSupport.h"

#include <algorithm>
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
namespace
{
std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

// The test's environment (unless only the given one is wanted) with the setup's changes.
std::vector<std::string> ChildEnvironment(const ChildSetup& setup)
{
    std::vector<std::string> entries;
    for (char** entry = environ; !setup.onlyGivenEnvironment && *entry != nullptr; ++entry)
    {
        bool changed = false;
        for (const std::string& change : setup.environment)
            changed = changed || NameOf(change) == NameOf(*entry);
        if (!changed)
            entries.emplace_back(*entry);
    }
    for (const std::string& change : setup.environment)
    {
        if (change.find('=') != std::string::npos)
            entries.push_back(change);
    }
    return entries;
}

// argv and envp for posix_spawn: the texts' own characters, ending in a null pointer.
std::vector<char*> PointerList(std::vector<std::string>& texts)
{
    std::vector<char*> pointers(texts.size() + 1, nullptr);
    std::transform(texts.begin(), texts.end(), pointers.begin(),
                   [](std::string& text) { return text.data(); });
    return pointers;
}
} // namespace

ChildProcess::~ChildProcess()
{
    if (m_running)
    {
        Kill(SIGKILL);
        Wait();
    }
    CloseStdin();
    if (m_stdout >= 0)
        ::close(m_stdout);
}

bool ChildProcess::Start(const std::string& helper, const std::vector<std::string>& args,
                         const ChildSetup& setup)
{
    return StartProgram(TestBinaryDir() + "/" + helper, args, setup);
}

bool ChildProcess::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                const ChildSetup& setup)
{
    int in[2];
    int out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0)
        return false;
    if (!setup.shareOutput && ::pipe2(out, O_CLOEXEC) != 0)
    {
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    if (!setup.shareOutput)
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> argTexts{program};
    argTexts.insert(argTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = ChildEnvironment(setup);
    const std::vector<char*> argv = PointerList(argTexts);
    const std::vector<char*> envp = PointerList(envTexts);
    // posix_spawn returns once the child runs the program (or has failed to).
    const auto spawn = program.find('/') == std::string::npos ? ::posix_spawnp : ::posix_spawn;
    const int rc = spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    if (out[1] >= 0)
        ::close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    m_running = rc == 0;
    m_status = -1;
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
        if (m_stdout < 0 || left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
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
    if (m_running)
        ::kill(m_pid, signal);
}

bool ChildProcess::Reap(int options)
{
    int status = 0;
    if (m_running && ::waitpid(m_pid, &status, options) == m_pid)
    {
        m_running = false;
        m_status = status;
    }
    return !m_running;
}

int ChildProcess::Wait()
{
    return Reap(0) ? m_status : -1;
}

int ChildProcess::WaitFor(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Reap(WNOHANG))
    {
        if (std::chrono::steady_clock::now() >= end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_status;
}

bool ChildProcess::IsRunning()
{
    return !Reap(WNOHANG);
}

int ExitCode(int status)
{
    if (status == -1)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int RunHelperProgram(const std::string& name, const std::vector<std::string>& args)
{
    ChildProcess child;
    if (!child.Start(name, args, ChildSetup{.shareOutput = true}))
        return -1;
    child.CloseStdin(); // a helper that reads its input meets its end at once
    const int status = child.Wait();
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace testsupport
