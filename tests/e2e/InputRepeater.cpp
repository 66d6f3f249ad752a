#include "tests/e2e/InputRepeater.h"

#include "tests/e2e/XServer.h"

#include <chrono>

namespace e2e
{
std::string WithTimeout(const std::string& command, int seconds)
{
    std::string quoted;
    for (const char c : command)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return "timeout " + std::to_string(seconds) + " sh -c '" + quoted + "'";
}

InputRepeater::InputRepeater(std::vector<std::string> steps, int everyMs, std::function<bool()> ready)
    : m_steps(std::move(steps)), m_ready(std::move(ready)), m_thread([this, everyMs] { Run(everyMs); })
{
}

InputRepeater::~InputRepeater()
{
    Stop();
    m_thread.join();
}

void InputRepeater::Stop()
{
    {
        std::lock_guard lock(m_lock);
        m_stopped = true;
    }
    m_wake.notify_all();
}

void InputRepeater::Run(int everyMs)
{
    std::unique_lock lock(m_lock);
    while (!m_stopped)
    {
        for (const std::string& step : m_ready && !m_ready() ? std::vector<std::string>() : m_steps)
        {
            lock.unlock();
            XServer::Run(WithTimeout(step));
            lock.lock();
            if (m_stopped)
                return;
        }
        ++m_rounds;
        m_wake.wait_for(lock, std::chrono::milliseconds(everyMs), [this] { return m_stopped; });
    }
}
} // namespace e2e
