#include "tests/e2e/Watchdog.h"

#include "platform/Kernel.h"
#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace e2e
{
namespace
{
constexpr auto kGrace = std::chrono::seconds(5);
}

Watchdog::Watchdog(int seconds, std::string what)
    : m_what(std::move(what)), m_thread(GetCurrentThreadId()), m_watcher([this, seconds] { Watch(seconds); })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_lock);
        m_ended = true;
    }
    m_done.notify_all();
    m_watcher.join();
}

bool Watchdog::Fired() const
{
    std::lock_guard lock(m_lock);
    return m_fired;
}

void Watchdog::Watch(int seconds)
{
    std::unique_lock lock(m_lock);
    if (m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_ended; }))
        return;
    m_fired = true;
    ADD_FAILURE() << "watchdog: " << m_what << " did not happen within " << seconds << " s";
    PostThreadMessageW(static_cast<DWORD>(m_thread), WM_QUIT, 1, 0);
    if (m_done.wait_for(lock, kGrace, [this] { return m_ended; }))
        return;
    std::fprintf(stderr, "watchdog: %s is stuck; the test process ends here\n", m_what.c_str());
    std::fflush(stderr);
    ::_exit(1);
}
} // namespace e2e
