// The real Pictavo program on the test display: images added through its add-file dialog, or
// dropped from a file manager onto its list, converted with "开始转换"; a screenshot of the
// finished window, and a second copy that ends with 0 while the first comes forward.
#include "DisplayTest.h"
#include "DragSource.h"
#include "RecordingWindow.h"
#include "Screenshot.h"
#include "XServer.h"
#include "XdotoolScript.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{
using Clock = std::chrono::steady_clock;

// Centres of controls in window coordinates, as the main skin lays them out (1000 x 640).
constexpr int kAddFileX = 75, kAddFileY = 137;
constexpr int kStartX = 889, kStartY = 591;
// The list area of the normal tab, in window coordinates.
constexpr RECT kList{22, 172, 978, 512};

class PictavoE2eTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        // The default output folder lies in the documents folder, which a fresh HOME lacks.
        fs::create_directories(OutDir().parent_path());
        m_window = StartPictavo(m_dir / "first.out");
        ASSERT_FALSE(m_window.empty()) << testsupport::ReadFile(m_dir / "first.out");
    }

    void TearDown() override
    {
        if (!m_window.empty())
            XServer::Run("xdotool windowclose " + m_window + " 2>/dev/null");
    }

    // The default output folder: the documents folder of the private HOME.
    static fs::path OutDir() { return fs::path(std::getenv("HOME")) / "Documents" / "Pictavo"; }

    static std::string StartPictavo(const std::string& out)
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

    std::string MakeImage(const std::string& name)
    {
        const std::string path = m_dir / name;
        EXPECT_EQ(std::system(("convert -size 320x240 plasma: '" + path + "'").c_str()), 0) << path;
        return path;
    }

    // The window's top left corner on the screen.
    POINT Origin() const { return WindowOrigin(m_window); }

    // A grid of the list area's pixels as the screen shows them now.
    std::vector<COLORREF> ListPixels() const
    {
        Screenshot shot;
        std::vector<COLORREF> pixels;
        if (!shot.Take(m_dir / "list.png"))
            return pixels;
        const POINT origin = Origin();
        for (int y = kList.top; y < kList.bottom; y += 8)
        {
            for (int x = kList.left; x < kList.right; x += 8)
                pixels.push_back(shot.Pixel(origin.x + x, origin.y + y));
        }
        return pixels;
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

    // Starts the conversion and waits for each named output in the output folder.
    void ConvertInto(const std::vector<std::string>& outputs)
    {
        ClickAt(kStartX, kStartY);
        const auto end = Clock::now() + std::chrono::seconds(15);
        for (const std::string& name : outputs)
        {
            const fs::path out = OutDir() / name;
            EXPECT_TRUE(WaitUntil(
                [&] { return fs::exists(out) && fs::file_size(out) > 8; },
                static_cast<int>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count())))
                << out.string();
            EXPECT_EQ(testsupport::ReadFile(out).substr(0, 4), "\x89PNG") << out.string();
        }
        // The last row's 100% is painted after its file is written.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }

    testsupport::TempDir m_dir{"pictavo-e2e"};
    std::string m_window;
};
} // namespace

TEST_F(PictavoE2eTest, ConvertsThreeImagesAddedByDialogAndASecondCopyEndsAtOnce)
{
    for (const char* name : {"sunrise.jpg", "harbour.jpg", "forest.bmp"})
        AddThroughDialog(MakeImage(name));

    ConvertInto({"sunrise.png", "harbour.png", "forest.png"});

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

TEST_F(PictavoE2eTest, ConvertsThreeImagesDroppedFromAFileManagerInOneDrag)
{
    // Dropped names keep their case: the upper-case one is converted under its own stem.
    const std::vector<std::string> inputs{MakeImage("a b 图片 photo.jpg"), MakeImage("PHOTO.JPG"),
                                          MakeImage("forest.bmp")};
    const POINT origin = Origin();
    ASSERT_GE(origin.x, 10 + DragSource::kSize) << "no room for the drag source left of the window";
    std::vector<COLORREF> before;
    ASSERT_TRUE(WaitUntil(
        [&] {
            before = ListPixels();
            return !before.empty() && before.front() != 0 && before.front() != Screenshot::kNone;
        },
        5000))
        << "the list area was never painted";
    {
        std::vector<std::string> uris;
        for (const std::string& input : inputs)
            uris.push_back(DragSource::UriOf(input));
        DragSource source(10, origin.y + 200, uris);
        ASSERT_TRUE(PumpUntil([&] { return source.Shown(); }));
        XdotoolScript drag;
        drag.Start(source.DragTo(origin.x + (kList.left + kList.right) / 2, origin.y + 340));
        // The source answers the drop only while this thread pumps.
        ASSERT_TRUE(PumpUntil([&] { return drag.Finished(); }, 10000));
        EXPECT_TRUE(drag.Join());
        ASSERT_TRUE(PumpUntil([&] { return ListPixels() != before; }, 10000)) << "the list never changed";
    }

    ConvertInto({"a b 图片 photo.png", "PHOTO.png", "forest.png"});
    EXPECT_FALSE(fs::exists(OutDir() / "photo.png"));

    Screenshot shot;
    EXPECT_TRUE(shot.Take(ShotPath("main-window-drop")));
}
