#include "DisplayTest.h"

#include "XServer.h"
#include "support/TestSupport.h"

#include <chrono>
#include <thread>

namespace e2e
{
void DisplayTest::SetUp()
{
    if (!XServer::Ensure())
        GTEST_SKIP() << "Xvfb is not installed";
    for (const std::string& tool : m_tools)
    {
        if (!XServer::HasTool(tool.c_str()))
            GTEST_SKIP() << tool << " is missing";
    }
}

std::string DisplayTest::ShotPath(const char* name)
{
    return testsupport::TestRoot() + "/" + name + ".png";
}

bool DisplayTest::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
} // namespace e2e
