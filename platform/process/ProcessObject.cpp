#include "platform/process/ProcessObject.h"

#include "platform/CrashReport.h"
#include "platform/Process.h"
#include "platform/UniqueFd.h"
#include "platform/WinError.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace platform
{
// Shared by the handles of one process and by the thread that reaps a child.
struct ProcessState
{
    ProcessState(pid_t id, bool isChild) : pid(id), child(isChild)
    {
        // A pidfd names this very process even after its id is reused. A child needs none: its
        // id stays ours until Reap collects it under the lock.
        if (!child)
            pidfd.reset(static_cast<int>(::syscall(SYS_pidfd_open, id, 0)));
    }
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    const pid_t pid;
    const bool child;
    UniqueFd pidfd;
    std::mutex lock;
    std::condition_variable ended;
    bool exited = false;
    int status = 0;
    std::optional<UINT> terminateCode;
};

namespace
{
using Clock = std::chrono::steady_clock;

// Waits for the child's end without collecting it, then collects it under the lock, so that
// TerminateProcess (which signals under the same lock) never reaches a reused id.
void Reap(const std::shared_ptr<ProcessState>& state)
{
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(state->pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR)
    {
    }
    std::lock_guard<std::mutex> guard(state->lock);
    int status = 0;
    pid_t rc;
    do
        rc = ::waitpid(state->pid, &status, 0);
    while (rc < 0 && errno == EINTR);
    state->exited = true;
    state->status = rc == state->pid ? status : 0;
    state->ended.notify_all();
}

// A process we did not start: its pidfd becomes readable when it ends.
DWORD WaitForPidfd(int pidfd, DWORD milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;)
    {
        int timeout = -1;
        if (milliseconds != INFINITE)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
        }
        pollfd item{pidfd, POLLIN, 0};
        const int rc = ::poll(&item, 1, timeout);
        if (rc > 0)
            return WAIT_OBJECT_0;
        if (rc < 0 && errno != EINTR)
        {
            SetLastErrorFromErrno();
            return WAIT_FAILED;
        }
        if (rc == 0 && timeout != -1 && Clock::now() >= deadline)
            return WAIT_TIMEOUT;
    }
}

bool HasEnded(int pidfd)
{
    return WaitForPidfd(pidfd, 0) == WAIT_OBJECT_0;
}
} // namespace

ProcessObject::ProcessObject(std::shared_ptr<ProcessState> state) : m_state(std::move(state)) {}

ProcessObject::~ProcessObject() = default;

ProcessObject* ProcessObject::ForChild(pid_t pid)
{
    auto state = std::make_shared<ProcessState>(pid, true);
    try
    {
        std::thread([state] {
            PrepareThreadForCrashes();
            Reap(state);
        }).detach();
    }
    catch (const std::system_error&)
    {
        ::kill(pid, SIGKILL);
        Reap(state);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return new ProcessObject(std::move(state));
}

ProcessObject* ProcessObject::ForExisting(pid_t pid)
{
    auto state = std::make_shared<ProcessState>(pid, false);
    if (!state->pidfd)
    {
        SetLastError(errno == ESRCH ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
        return nullptr;
    }
    return new ProcessObject(std::move(state));
}

ProcessObject* ProcessObject::Share() const
{
    return new ProcessObject(m_state);
}

DWORD ProcessObject::Wait(DWORD milliseconds)
{
    ProcessState& state = *m_state;
    if (!state.child)
        return WaitForPidfd(state.pidfd.get(), milliseconds);
    std::unique_lock<std::mutex> guard(state.lock);
    if (milliseconds == INFINITE)
    {
        state.ended.wait(guard, [&] { return state.exited; });
        return WAIT_OBJECT_0;
    }
    const bool ended =
        state.ended.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return state.exited; });
    return ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL ProcessObject::GetExitCode(DWORD& code) const
{
    ProcessState& state = *m_state;
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.child)
    {
        if (!HasEnded(state.pidfd.get()))
        {
            code = STILL_ACTIVE;
            return TRUE;
        }
        if (state.terminateCode)
        {
            code = *state.terminateCode;
            return TRUE;
        }
        SetLastError(ERROR_NOT_SUPPORTED); // only the parent learns how a process ended
        return FALSE;
    }
    if (!state.exited)
        code = STILL_ACTIVE;
    else if (WIFEXITED(state.status))
        code = static_cast<DWORD>(WEXITSTATUS(state.status));
    else if (WIFSIGNALED(state.status))
        code = state.terminateCode ? *state.terminateCode : 128 + static_cast<DWORD>(WTERMSIG(state.status));
    else
        code = 0;
    return TRUE;
}

BOOL ProcessObject::Terminate(UINT exitCode)
{
    ProcessState& state = *m_state;
    std::lock_guard<std::mutex> guard(state.lock);
    const bool ended = state.child ? state.exited : HasEnded(state.pidfd.get());
    if (ended)
    {
        SetLastError(ERROR_ACCESS_DENIED); // as Windows answers for a process that has ended
        return FALSE;
    }
    const long rc = state.child ? ::kill(state.pid, SIGKILL)
                                : ::syscall(SYS_pidfd_send_signal, state.pidfd.get(), SIGKILL, nullptr, 0);
    if (rc != 0 && errno != ESRCH)
    {
        SetLastErrorFromErrno();
        return FALSE;
    }
    state.terminateCode = exitCode;
    return TRUE;
}
} // namespace platform
