#include "tests/support/Waiting.h"

#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace testsupport
{
namespace
{
// Polls done(), running step() between two looks, until it holds or timeout passed.
::testing::AssertionResult Poll(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                                const std::function<void()>& step, const char* what)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        if (done())
            return ::testing::AssertionSuccess();
        if (std::chrono::steady_clock::now() >= deadline)
            return ::testing::AssertionFailure()
                   << what << ": the awaited condition did not hold within " << timeout.count() << " ms";
        step();
    }
}

// The pause between two looks at a state another thread changes.
void Nap()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The scheduler state of a thread of this process ('S' asleep, 'R' running, ...), 0 once ended.
// A thread may end between the open and the read of its stat file (the read then fails with
// ESRCH), so this reads without throwing.
char StateOf(pid_t thread)
{
    const std::string path = "/proc/self/task/" + std::to_string(thread) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[1024];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got <= 0)
        return 0;
    const std::string stat(buffer, static_cast<size_t>(got));
    // The state follows the name, which is in parentheses and may hold anything.
    const size_t close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

bool IsAsleepOrEnded(char state)
{
    return state == 'S' || state == 'Z' || state == 'X' || state == 0;
}
} // namespace

::testing::AssertionResult WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    return Poll(done, timeout, Nap, "WaitUntil");
}

::testing::AssertionResult PumpUntil(const std::function<bool()>& done, int timeoutMs,
                                     const std::function<void()>& pump)
{
    return Poll(
        done, std::chrono::milliseconds(timeoutMs),
        [&] {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        "PumpUntil");
}

pid_t ThreadId()
{
    return ::gettid();
}

::testing::AssertionResult AwaitBlocked(const std::vector<pid_t>& threads, std::chrono::milliseconds timeout)
{
    return Poll(
        [&] {
            for (const pid_t thread : threads)
                if (!IsAsleepOrEnded(StateOf(thread)))
                    return false;
            return true;
        },
        timeout, Nap, "AwaitBlocked");
}

::testing::AssertionResult AwaitEnded(pid_t thread, std::chrono::milliseconds timeout)
{
    return Poll([&] { return StateOf(thread) == 0; }, timeout, Nap, "AwaitEnded");
}
} // namespace testsupport
