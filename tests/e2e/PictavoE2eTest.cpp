// The real Pictavo program on the test display: images added through its add-file dialog, or
// dropped from a file manager onto its list, converted with "开始转换"; a screenshot of the
// finished window, and a second copy that ends with 0 while the first comes forward.
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/DragSource.h"
#include "tests/e2e/InputRepeater.h"
#include "tests/e2e/RecordingWindow.h"
#include "tests/e2e/Screenshot.h"
#include "tests/e2e/XServer.h"
#include "tests/e2e/XdotoolScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{

// Centres of controls in window coordinates, as the main skin lays them out (1000 x 640).
constexpr int kAddFileX = 75, kAddFileY = 137;
constexpr int kStartX = 889, kStartY = 591;
// The list area of the normal tab, in window coordinates.
constexpr RECT kList{22, 172, 978, 512};
// The 1000 x 640 window centred on the 1280 x 800 test screen: X, Y, width, height.
constexpr RECT kCentred{140, 80, 1000, 640};

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

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

    // The test's own copy of the program folder: what the program keeps beside itself
    // (config.ini, its log) belongs to this test alone.
    static std::string Program()
    {
        const fs::path folder = fs::path(testsupport::TestRoot()) / "Pictavo";
        if (!fs::exists(folder / "Pictavo"))
        {
            EXPECT_TRUE(testsupport::PlaceFile(PICTAVO_PROGRAM, (folder / "Pictavo").string()));
            EXPECT_TRUE(testsupport::PlaceFile(PICTAVO_UI_LIBRARY, (folder / "libDuiLib.so").string()));
            EXPECT_TRUE(testsupport::PlaceFile(PICTAVO_MAGICK_CONFIG_DIR, (folder / "magick").string()));
        }
        return (folder / "Pictavo").string();
    }

    // Starts the program and waits until its window is mapped, centred on the screen.
    static std::string StartPictavo(const std::string& out)
    {
        XServer::Run("(" + Program() + "; echo exit=$?) >'" + out + "' 2>&1 &");
        std::string window;
        WaitUntil(
            [&] {
                window = XServer::Output("xdotool search --onlyvisible --name '^Pictavo$' | tail -1");
                while (!window.empty() && (window.back() == '\n'))
                    window.pop_back();
                return !window.empty() && Geometry(window) == kCentred;
            },
            20000);
        return Geometry(window) == kCentred ? window : std::string();
    }

    // The process ids running this test's copy of the program.
    static std::vector<std::string> ProgramProcesses()
    {
        std::vector<std::string> pids;
        std::error_code ec;
        const fs::path program = fs::canonical(Program(), ec);
        for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec))
        {
            std::error_code linkError;
            if (fs::read_symlink(entry.path() / "exe", linkError) == program)
                pids.push_back(entry.path().filename().string());
        }
        return pids;
    }

    // X, Y, width and height of the window as the display has it.
    static RECT Geometry(const std::string& window)
    {
        std::istringstream shell(XServer::Output("xdotool getwindowgeometry --shell " + window));
        RECT rect{-1, -1, -1, -1};
        for (std::string line; std::getline(shell, line);)
        {
            const int value = std::atoi(line.c_str() + line.find('=') + 1);
            if (line.rfind("X=", 0) == 0)
                rect.left = value;
            else if (line.rfind("Y=", 0) == 0)
                rect.top = value;
            else if (line.rfind("WIDTH=", 0) == 0)
                rect.right = value;
            else if (line.rfind("HEIGHT=", 0) == 0)
                rect.bottom = value;
        }
        return rect;
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

    void WaitForStillScreen()
    {
        std::vector<COLORREF> last = ListPixels();
        WaitUntil(
            [&] {
                std::vector<COLORREF> now = ListPixels();
                const bool still = now == last;
                last = std::move(now);
                return still;
            },
            5000);
    }

    void ClickAt(int x, int y)
    {
        XServer::Run("xdotool mousemove --window " + m_window + " " + std::to_string(x) + " " +
                     std::to_string(y) + " click 1");
    }

    static std::string OpenDialog()
    {
        std::string dialog =
            XServer::Output("xdotool search --onlyvisible --name '添加文件|打开|Open' | tail -1");
        while (!dialog.empty() && dialog.back() == '\n')
            dialog.pop_back();
        return dialog;
    }

    // Picks one file in the add-file dialog by typing its path; a click or a path that went
    // nowhere is given again. The list shows a change when the file is in.
    void AddThroughDialog(const std::string& path)
    {
        const std::vector<COLORREF> before = ListPixels();
        std::string dialog;
        ASSERT_TRUE(WaitUntil(
            [&] {
                ClickAt(kAddFileX, kAddFileY);
                return WaitUntil([&] { return !(dialog = OpenDialog()).empty(); }, 3000);
            },
            20000))
            << "the add-file dialog did not open";
        ASSERT_TRUE(WaitUntil(
            [&] {
                XServer::Run(WithTimeout("xdotool windowfocus --sync " + dialog +
                                         " key --clearmodifiers ctrl+l "
                                         "type --delay 5 '" +
                                         path + "'"));
                XServer::Run("xdotool key --clearmodifiers Return");
                return WaitUntil([&] { return OpenDialog().empty(); }, 3000);
            },
            20000))
            << "the dialog did not close";
        EXPECT_TRUE(WaitUntil([&] { return ListPixels() != before; }, 10000)) << "no row for " << path;
    }

    // Starts the conversion and waits for each named output in the output folder. A click
    // that went nowhere is given again; one that started the run is not, since the same
    // place then cancels.
    void ConvertInto(const std::vector<std::string>& outputs)
    {
        const auto started = [&] {
            return std::any_of(outputs.begin(), outputs.end(),
                               [&](const std::string& name) { return fs::exists(OutDir() / name); });
        };
        ASSERT_TRUE(WaitUntil(
            [&] {
                ClickAt(kStartX, kStartY);
                return WaitUntil(started, 5000);
            },
            30000))
            << "the conversion never started";
        for (const std::string& name : outputs)
        {
            const fs::path out = OutDir() / name;
            EXPECT_TRUE(WaitUntil([&] { return fs::exists(out) && fs::file_size(out) > 8; }, 30000))
                << out.string();
            EXPECT_EQ(testsupport::ReadFile(out).substr(0, 4), "\x89PNG") << out.string();
        }
    }

    testsupport::TempDir m_dir{"pictavo-e2e"};
    std::string m_window;
};
} // namespace

TEST_F(PictavoE2eTest, ConvertsThreeImagesAddedByDialogAndASecondCopyEndsAtOnce)
{
    // The program restarted itself at launch and is still called by its name.
    const std::vector<std::string> pids = ProgramProcesses();
    ASSERT_EQ(pids.size(), 1u);
    EXPECT_EQ(testsupport::ReadFile("/proc/" + pids[0] + "/comm"), "Pictavo\n");
    EXPECT_NE(("\n" + XServer::Output("pgrep -x Pictavo")).find("\n" + pids[0] + "\n"), std::string::npos);

    for (const char* name : {"sunrise.jpg", "harbour.jpg", "forest.bmp"})
        AddThroughDialog(MakeImage(name));

    ConvertInto({"sunrise.png", "harbour.png", "forest.png"});
    // The last row's 100% is painted after its file is written: the look is taken once the
    // screen stops changing.
    WaitForStillScreen();

    Screenshot shot;
    const std::string png = m_dir / "main-window.png";
    ASSERT_TRUE(shot.Take(png));
    if (const char* repo = std::getenv("PICTAVO_SCREENSHOT_DIR"))
        fs::copy_file(png, fs::path(repo) / "main-window.png", fs::copy_options::overwrite_existing);

    // A second copy signals the first and ends with 0.
    XServer::Run("xdotool windowminimize " + m_window);
    const std::string second = XServer::Output("(" + WithTimeout(Program(), 20) + "; echo exit=$?) 2>&1");
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
    WaitForStillScreen();
    EXPECT_FALSE(fs::exists(OutDir() / "photo.png"));

    Screenshot shot;
    EXPECT_TRUE(shot.Take(ShotPath("main-window-drop")));
}
