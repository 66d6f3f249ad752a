// The real Pictavo program on the test display: three images added through its add-file
// dialog, converted with "开始转换", a screenshot of the finished window, and a second copy
// that ends with 0 while the first comes forward.
#include "Screenshot.h"
#include "XServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{
using Clock = std::chrono::steady_clock;

// Centres of controls in window coordinates, as the main skin lays them out (1000 x 640).
constexpr int kAddFileX = 75, kAddFileY = 137;
constexpr int kStartX = 889, kStartY = 591;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done())
    {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class PictavoE2eTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XServer::Ensure())
            GTEST_SKIP() << "Xvfb is not installed";
        if (!XServer::HasTool("xdotool"))
            GTEST_SKIP() << "xdotool is missing";
    }
    void TearDown() override
    {
        if (!m_window.empty())
            XServer::Run("xdotool windowclose " + m_window + " 2>/dev/null");
    }

    std::string StartPictavo(const std::string& out)
    {
        XServer::Run("(" + std::string(PICTAVO_PROGRAM) + "; echo exit=$?) >'" + out + "' 2>&1 &");
        std::string window;
        WaitUntil(
            [&] {
                window =
                    XServer::Output("xdotool search --onlyvisible --name '^Pictavo$' 2>/dev/null | tail -1");
                return !window.empty();
            },
            15000);
        while (!window.empty() && (window.back() == '\n'))
            window.pop_back();
        return window;
    }

    void ClickAt(int x, int y)
    {
        XServer::Run("xdotool mousemove --window " + m_window + " " + std::to_string(x) + " " +
                     std::to_string(y) + " sleep 0.2 click 1");
    }

    // Picks one file in the add-file dialog by typing its path.
    void AddThroughDialog(const std::string& path)
    {
        ClickAt(kAddFileX, kAddFileY);
        std::string dialog;
        ASSERT_TRUE(WaitUntil(
            [&] {
                dialog = XServer::Output(
                    "xdotool search --onlyvisible --name '添加文件|打开|Open' 2>/dev/null | tail -1");
                return !dialog.empty();
            },
            10000))
            << "the add-file dialog did not open";
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        XServer::Run("xdotool key ctrl+l sleep 0.3 type --delay 5 '" + path + "'");
        XServer::Run("xdotool sleep 0.3 key Return");
        ASSERT_TRUE(WaitUntil(
            [&] {
                return XServer::Output("xdotool search --onlyvisible --name '添加文件|打开|Open' 2>/dev/null")
                    .empty();
            },
            10000))
            << "the dialog did not close";
    }

    testsupport::TempDir m_dir{"pictavo-e2e"};
    std::string m_window;
};
} // namespace

TEST_F(PictavoE2eTest, ConvertsThreeImagesAndASecondCopyEndsAtOnce)
{
    // The default output folder lies in the documents folder, which a fresh HOME lacks.
    fs::create_directories(fs::path(std::getenv("HOME")) / "Documents");
    const std::string first = m_dir / "first.out";
    m_window = StartPictavo(first);
    ASSERT_FALSE(m_window.empty()) << testsupport::ReadFile(first);

    std::vector<std::string> inputs;
    for (const char* name : {"sunrise.jpg", "harbour.jpg", "forest.bmp"})
    {
        inputs.push_back(m_dir / name);
        ASSERT_EQ(std::system(("convert -size 320x240 plasma: '" + inputs.back() + "'").c_str()), 0);
        AddThroughDialog(inputs.back());
    }

    ClickAt(kStartX, kStartY);
    // The default output folder: the documents folder of the private HOME.
    const fs::path outDir = fs::path(std::getenv("HOME")) / "Documents" / "Pictavo";
    for (const char* stem : {"sunrise", "harbour", "forest"})
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(outDir / (std::string(stem) + ".png")); }, 30000))
            << (outDir / stem).string();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    Screenshot shot;
    const std::string png = m_dir / "main-window.png";
    ASSERT_TRUE(shot.Take(png));
    if (const char* repo = std::getenv("PICTAVO_SCREENSHOT_DIR"))
        fs::copy_file(png, fs::path(repo) / "main-window.png", fs::copy_options::overwrite_existing);

    // A second copy signals the first and ends with 0.
    XServer::Run("xdotool windowminimize " + m_window);
    const auto start = Clock::now();
    const std::string second = XServer::Output("(" + std::string(PICTAVO_PROGRAM) + "; echo exit=$?) 2>&1");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
    EXPECT_NE(second.find("exit=0"), std::string::npos) << second;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return XServer::Output("xdotool search --onlyvisible --name '^Pictavo$' 2>/dev/null")
                       .find(m_window) != std::string::npos;
        },
        5000))
        << "the first copy came forward";
}
