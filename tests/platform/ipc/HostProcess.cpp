#include "tests/platform/ipc/HostProcess.h"

#include <csignal>
#include <cstdlib>

namespace ipctest
{
HostProcess::~HostProcess()
{
    Kill();
}

bool HostProcess::Start(const std::string& title, const std::string& report, long answer, bool pump,
                        int seconds)
{
    if (!m_child.Start("ipc_window_host", {title, report, std::to_string(answer), pump ? "pump" : "block",
                                           std::to_string(seconds)}))
        return false;
    // The host says "ready" once its window can be found.
    for (std::string line = m_child.ReadLine(10000); !line.empty(); line = m_child.ReadLine(10000))
    {
        if (line == "ready")
            return true;
    }
    return false;
}

bool HostProcess::IsRunning()
{
    return m_child.IsRunning();
}

void HostProcess::Kill()
{
    m_child.Kill(SIGKILL);
    m_child.Wait();
}

int HostProcess::WaitExit(int timeoutMs)
{
    return m_child.WaitFor(timeoutMs);
}

std::string RegistryFolder()
{
    return std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pictavo/windows";
}
} // namespace ipctest
