#pragma once
// The base of the end-to-end fixtures: each test runs on the private Xvfb and is skipped, not
// failed, where the server or one of the command-line tools it drives the display with is missing.

#include "platform/WinTypes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e
{
class DisplayTest : public ::testing::Test
{
protected:
    explicit DisplayTest(std::vector<std::string> tools = {"xdotool"}) : m_tools(std::move(tools)) {}

    // A derived SetUp calls this first and returns when IsSkipped().
    void SetUp() override;

    // Where a test keeps a screenshot, for a look after a failure.
    static std::string ShotPath(const char* name);
    // Polls done() without pumping this thread's messages; false after the time.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    // The top left corner of an X window (xdotool's id) on the screen; {-1, -1} when unknown.
    static POINT WindowOrigin(const std::string& window);

private:
    std::vector<std::string> m_tools;
};
} // namespace e2e
