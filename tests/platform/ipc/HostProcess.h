#pragma once
// A window host (tests/helpers/ipc_window_host.cpp) running as a real child process.

#include "tests/support/ChildProcess.h"

#include <string>
#include <sys/types.h>

namespace ipctest
{
class HostProcess
{
public:
    HostProcess() = default;
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;
    // A host still running is killed and collected.
    ~HostProcess();

    // Starts the host and waits until its window can be found; false when it never says so.
    bool Start(const std::string& title, const std::string& report, long answer, bool pump = true,
               int seconds = 30);
    pid_t Pid() const { return m_child.Pid(); }
    bool IsRunning();
    // Kills with SIGKILL and collects the process.
    void Kill();
    // Waits up to timeoutMs for the end; the exit status, or -1 when it did not end.
    int WaitExit(int timeoutMs);

private:
    testsupport::ChildProcess m_child;
};

// The registry folder the hosts of this test process use.
std::string RegistryFolder();
} // namespace ipctest
