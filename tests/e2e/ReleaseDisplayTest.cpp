#include "tests/e2e/ReleaseDisplayTest.h"

#include "tests/e2e/XServer.h"

#include "common/install/RegSettings.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace e2e
{
std::string Trim(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

int RunningFrom(const std::string& path)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        std::error_code error;
        const std::string exe = fs::read_symlink(entry.path() / "exe", error).string();
        if (!error && (exe == path || exe == path + " (deleted)"))
            ++count;
    }
    return count;
}

std::wstring ProductValue(const wchar_t* name)
{
    wchar_t buffer[1024] = {};
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, false).GetValue(name, buffer, 1024 * 2);
    return buffer;
}
void ReleaseDisplayTest::SetUp()
{
    DisplayTest::SetUp();
    if (IsSkipped())
        return;
    ::setenv("PICTAVO_USER_FOLDERS", "1", 1);
    // A HOME and a state folder of this test's own, which the programs it starts inherit.
    m_home = m_dir / "home";
    fs::create_directories(m_home);
    fs::create_directories(m_dir / "state");
    m_previousHome = std::getenv("HOME");
    m_previousState = std::getenv("PICTAVO_STATE_DIR");
    m_previousData = std::getenv("XDG_DATA_HOME");
    ::setenv("HOME", m_home.c_str(), 1);
    ::setenv("PICTAVO_STATE_DIR", (m_dir / "state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_home + "/.local/share").c_str(), 1);
    m_dist = m_dir / "dist";
    ASSERT_EQ(std::system(("'" + std::string(PICTAVO_CMAKE) + "' --install '" + PICTAVO_BUILD_DIR +
                           "' --prefix '" + m_dist + "' >/dev/null")
                              .c_str()),
              0);
    fs::create_directories(m_home + "/Desktop");
}

void ReleaseDisplayTest::TearDown()
{
    for (const std::string& window : {m_setup, m_pictavo})
        if (!window.empty())
        {
            XServer::Run("xdotool windowclose " + window + " 2>/dev/null");
            // Gone before the next test of this process looks for its own windows.
            WaitUntil([&] { return IsGone(window); }, 5000);
        }
    if (!m_previousHome.empty())
    {
        ::setenv("HOME", m_previousHome.c_str(), 1);
        ::setenv("PICTAVO_STATE_DIR", m_previousState.c_str(), 1);
        ::setenv("XDG_DATA_HOME", m_previousData.c_str(), 1);
    }
}
std::string ReleaseDisplayTest::FindWindow(const std::string& pattern, int timeoutMs)
{
    std::string window;
    WaitUntil(
        [&] {
            window = Trim(XServer::Output("xdotool search --onlyvisible --name '" + pattern +
                                          "' 2>/dev/null | tail -1"));
            return !window.empty();
        },
        timeoutMs);
    if (window.empty())
        return window;
    // A window is made at one size and then given its skin's, centred again: clicks are aimed
    // only once its place and size have settled.
    std::string last;
    WaitUntil(
        [&] {
            const std::string now = XServer::Output("xdotool getwindowgeometry --shell " + window);
            const bool settled = !now.empty() && now == last;
            last = now;
            if (!settled)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return settled;
        },
        std::max(timeoutMs, 2000));
    return window;
}

bool ReleaseDisplayTest::IsGone(const std::string& window)
{
    return !XServer::Run("xdotool getwindowname " + window);
}

bool ReleaseDisplayTest::ClickUntil(const std::string& window, int x, int y,
                                    const std::function<bool()>& done)
{
    return WaitUntil(
        [&] {
            Click(window, x, y);
            return WaitUntil(done, 3000);
        },
        30000);
}

std::pair<int, int> ReleaseDisplayTest::Size(const std::string& window)
{
    std::istringstream shell(XServer::Output("xdotool getwindowgeometry --shell " + window));
    int width = 0, height = 0;
    for (std::string line; std::getline(shell, line);)
    {
        if (line.rfind("WIDTH=", 0) == 0)
            width = std::atoi(line.c_str() + 6);
        else if (line.rfind("HEIGHT=", 0) == 0)
            height = std::atoi(line.c_str() + 7);
    }
    return {width, height};
}

void ReleaseDisplayTest::Click(const std::string& window, int x, int y)
{
    XServer::Run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
                 " sleep 0.2 click 1 sleep 0.2");
}

void ReleaseDisplayTest::Shoot(const std::string& window, const char* name)
{
    const std::string path = ShotPath(name);
    // import waits for the window to be viewable: bounded, so a window that never comes back
    // cannot hold the test.
    XServer::Run("timeout 10 import -window " + window + " '" + path + "'");
    if (const char* keep = std::getenv("PICTAVO_SCREENSHOT_DIR"))
        fs::copy_file(path, std::string(keep) + "/" + name + ".png", fs::copy_options::overwrite_existing);
}

COLORREF ReleaseDisplayTest::PixelAt(const std::string& window, int x, int y)
{
    std::istringstream shell(XServer::Output("xdotool getwindowgeometry --shell " + window));
    int left = 0, top = 0;
    for (std::string line; std::getline(shell, line);)
    {
        if (line.rfind("X=", 0) == 0)
            left = std::atoi(line.c_str() + 2);
        else if (line.rfind("Y=", 0) == 0)
            top = std::atoi(line.c_str() + 2);
    }
    Screenshot shot;
    return shot.Take(ShotPath("screen")) ? shot.Pixel(left + x, top + y) : Screenshot::kNone;
}
} // namespace e2e
