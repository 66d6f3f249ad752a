#pragma once
// The base of the end-to-end tests that run the programs of a release layout: the layout
// installed from this build (cmake --install) into the test's folder, a HOME (with a desktop
// folder and its XDG_DATA_HOME) and a state folder of the test's own that the started programs inherit, and
// the xdotool and screenshot steps that drive their windows.

#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/Screenshot.h"
#include "tests/support/TestSupport.h"

#include <functional>
#include <string>
#include <utility>

namespace e2e
{
std::string Trim(std::string text);
// Processes whose program file is path (also when it was replaced since); zombies have none.
int RunningFrom(const std::string& path);
// A text value of the product's registry key, empty when missing.
std::wstring ProductValue(const wchar_t* name);

class ReleaseDisplayTest : public DisplayTest
{
protected:
    explicit ReleaseDisplayTest(const char* hint) : DisplayTest({"xdotool", "import"}), m_dir(hint) {}

    void SetUp() override;
    // Closes the windows of m_setup and m_pictavo that are still open and restores HOME.
    void TearDown() override;

    static std::string FindWindow(const std::string& pattern, int timeoutMs = 15000);
    // Whether the server has destroyed the window: a program that has ended may still have its
    // windows for a moment, until the server has seen its connection close.
    static bool IsGone(const std::string& window);
    static std::pair<int, int> Size(const std::string& window);
    static void Click(const std::string& window, int x, int y);
    // Clicks until done() holds: a click given before the window could take it is given again.
    static bool ClickUntil(const std::string& window, int x, int y, const std::function<bool()>& done);
    // The window as a PNG: kept with the test's files, and in $PICTAVO_SCREENSHOT_DIR when set.
    static void Shoot(const std::string& window, const char* name);
    // The colour at a point of the window, from a screenshot of the whole screen.
    static COLORREF PixelAt(const std::string& window, int x, int y);

    testsupport::TempDir m_dir;
    std::string m_home;
    std::string m_dist;
    std::string m_setup;
    std::string m_pictavo;
    std::string m_previousHome;
    std::string m_previousState;
    std::string m_previousData;
};
} // namespace e2e
