#include "tests/e2e/XdotoolScript.h"

#include "tests/e2e/XServer.h"

#include <chrono>

namespace e2e
{
void XdotoolScript::Start(std::vector<std::string> steps)
{
    Join();
    m_failed = false;
    m_finished = false;
    m_thread = std::thread([this, steps = std::move(steps)] {
        for (const std::string& step : steps)
        {
            if (!XServer::Run(step))
                m_failed = true;
            // Room for the receiving side to see each step as an event of its own.
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
        m_finished = true;
    });
}

bool XdotoolScript::Join()
{
    if (m_thread.joinable())
        m_thread.join();
    return !m_failed;
}
} // namespace e2e
