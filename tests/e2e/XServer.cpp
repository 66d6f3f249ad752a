#include "tests/e2e/XServer.h"

#include "platform/Display.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e
{
namespace
{
// Xvfb picks a free display itself and tells us its number (-displayfd): choosing one here
// would race with the other test processes that start their servers at the same moment.
// The server dies with the thread that started it, even when a test crashes.
int SpawnOnFreeDisplay()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(fds[0]);
        std::freopen("/dev/null", "w", stderr);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                 nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    ::close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

bool Start()
{
    if (!XServer::HasTool("Xvfb"))
        return false;
    const int number = SpawnOnFreeDisplay();
    if (number < 0)
        return false;
    ::setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
    // No accessibility bus and the plain input method: fast and the same everywhere.
    ::setenv("NO_AT_BRIDGE", "1", 1);
    ::setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
    return platform::InitDisplayBackend();
}
} // namespace

bool XServer::Ensure()
{
    static const bool started = Start();
    return started;
}

bool XServer::HasTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool XServer::Run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string XServer::Output(const std::string& command)
{
    return testsupport::CommandOutput(command + " 2>/dev/null");
}
} // namespace e2e
