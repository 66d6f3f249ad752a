#include "tests/e2e/DisplayTest.h"

#include "tests/e2e/XServer.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
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

POINT DisplayTest::WindowOrigin(const std::string& window)
{
    std::istringstream shell(XServer::Output("xdotool getwindowgeometry --shell " + window));
    POINT origin{-1, -1};
    for (std::string line; std::getline(shell, line);)
    {
        if (line.rfind("X=", 0) == 0)
            origin.x = std::atoi(line.c_str() + 2);
        else if (line.rfind("Y=", 0) == 0)
            origin.y = std::atoi(line.c_str() + 2);
    }
    return origin;
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
