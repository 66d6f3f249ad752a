// The real Pictavo in a real XEmbed tray (trayer) on the test display: its icon stands in the
// tray, a right click on it opens the tray menu at the pointer, and "退出" ends the program.
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/Screenshot.h"
#include "tests/e2e/XServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace e2e;
namespace fs = std::filesystem;

namespace
{
struct Geometry
{
    int x = -1, y = -1, width = 0, height = 0;
};

Geometry GeometryOf(const std::string& window)
{
    std::istringstream shell(XServer::Output("xdotool getwindowgeometry --shell " + window + " 2>/dev/null"));
    Geometry geometry;
    for (std::string line; std::getline(shell, line);)
    {
        const int value = std::atoi(line.c_str() + line.find('=') + 1);
        if (line.rfind("X=", 0) == 0)
            geometry.x = value;
        else if (line.rfind("Y=", 0) == 0)
            geometry.y = value;
        else if (line.rfind("WIDTH=", 0) == 0)
            geometry.width = value;
        else if (line.rfind("HEIGHT=", 0) == 0)
            geometry.height = value;
    }
    return geometry;
}

// The visible windows with that name, as xdotool lists them.
std::vector<std::string> Windows(const std::string& namePattern)
{
    std::istringstream list(
        XServer::Output("xdotool search --onlyvisible --name '" + namePattern + "' 2>/dev/null"));
    std::vector<std::string> windows;
    for (std::string line; std::getline(list, line);)
    {
        if (!line.empty())
            windows.push_back(line);
    }
    return windows;
}

class TrayE2eTest : public DisplayTest
{
protected:
    TrayE2eTest() : DisplayTest({"xdotool", "trayer", "import"}) {}

    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        // The tray first: the program picks the XEmbed road only when a tray owns the screen.
        ASSERT_TRUE(
            XServer::Run("trayer --edge bottom --align right --widthtype pixel --width 120 --height 28 "
                         "--SetDockType true --transparent false >/dev/null 2>&1 & echo $! >'" +
                         (m_dir / "trayer.pid") + "'"));
        ASSERT_TRUE(WaitUntil([] { return !Windows("^panel$").empty(); }, 10000)) << "trayer did not start";
        fs::copy_file(PICTAVO_PROGRAM, m_dir / "Pictavo");
        fs::permissions(m_dir / "Pictavo", fs::perms::owner_all);
    }

    void TearDown() override
    {
        const std::string trayer = testsupport::ReadFile(m_dir / "trayer.pid");
        if (!trayer.empty())
            XServer::Run("kill " + trayer + " 2>/dev/null");
        if (!m_pictavoPid.empty())
            XServer::Run("kill " + m_pictavoPid + " 2>/dev/null");
    }

    testsupport::TempDir m_dir{"tray"};
    std::string m_pictavoPid;
};
} // namespace

TEST_F(TrayE2eTest, IconStandsInTheTrayAndItsMenuEndsTheProgram)
{
    const std::string out = m_dir / "pictavo.out";
    ASSERT_TRUE(XServer::Run("('" + (m_dir / "Pictavo") + "' & echo $! >'" + (m_dir / "pictavo.pid") +
                             "'; wait $!; echo exit=$?) >'" + out + "' 2>&1 &"));
    ASSERT_TRUE(WaitUntil(
        [&] { return !(m_pictavoPid = testsupport::ReadFile(m_dir / "pictavo.pid")).empty(); }, 5000));
    // The main window and the icon both carry the program's name; the icon is the small one.
    std::string icon;
    std::string main;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string& window : Windows("^Pictavo$"))
                (GeometryOf(window).height < 64 ? icon : main) = window;
            return !icon.empty() && !main.empty();
        },
        15000))
        << testsupport::ReadFile(out);
    const Geometry iconAt = GeometryOf(icon);
    const Geometry panel = GeometryOf(Windows("^panel$").front());
    EXPECT_GE(iconAt.x, panel.x);
    EXPECT_GE(iconAt.y, panel.y);

    // A real right click on the icon: the menu opens upward from the pointer at the screen's
    // bottom right, inside the screen.
    const int clickX = iconAt.x + iconAt.width / 2;
    const int clickY = iconAt.y + iconAt.height / 2;
    ASSERT_TRUE(XServer::Run("xdotool mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) +
                             " click 3"));
    std::string menu;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const std::string& window : Windows("^Menu$"))
                menu = window;
            return !menu.empty();
        },
        10000))
        << "no tray menu";
    const Geometry menuAt = GeometryOf(menu);
    EXPECT_EQ(100, menuAt.width);
    EXPECT_EQ(48, menuAt.height);
    EXPECT_EQ(clickY, menuAt.y + menuAt.height);
    std::istringstream screen(XServer::Output("xdotool getdisplaygeometry"));
    int screenWidth = 0;
    screen >> screenWidth;
    EXPECT_LE(menuAt.x + menuAt.width, screenWidth);

    Screenshot shot;
    ASSERT_TRUE(shot.Take(ShotPath("tray-menu")));
    // The menu's white face is on the screen where its window is.
    EXPECT_EQ(0xFFFFFFu, shot.Pixel(menuAt.x + 12, menuAt.y + 24) & 0xFFFFFFu);

    // A click outside, on the main window's "图片压缩" tab: the menu closes and the click still
    // chooses the tab, as with any desktop menu.
    const Geometry mainAt = GeometryOf(main);
    const int tabX = mainAt.x + 356 + 150;
    const int tabY = mainAt.y + 59 + 22;
    ASSERT_TRUE(
        XServer::Run("xdotool mousemove " + std::to_string(tabX) + " " + std::to_string(tabY) + " click 1"));
    EXPECT_TRUE(WaitUntil([] { return Windows("^Menu$").empty(); }, 10000)) << "the menu stayed open";
    EXPECT_TRUE(WaitUntil(
        [&] {
            Screenshot after;
            return after.Take(ShotPath("tray-outside-click")) &&
                   after.Pixel(tabX, tabY) == RGB(0x5e, 0x70, 0xc4); // the chosen tab's face
        },
        10000))
        << "the click did not reach the tab";

    // The menu again, for its last row.
    ASSERT_TRUE(XServer::Run("xdotool mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) +
                             " click 3"));
    ASSERT_TRUE(WaitUntil([] { return !Windows("^Menu$").empty(); }, 10000)) << "no tray menu";

    // "退出", the second row, ends the program with 0 and its icon goes from the tray.
    ASSERT_TRUE(XServer::Run("xdotool mousemove " + std::to_string(menuAt.x + 50) + " " +
                             std::to_string(menuAt.y + 35) + " click 1"));
    EXPECT_TRUE(
        WaitUntil([&] { return testsupport::ReadFile(out).find("exit=0") != std::string::npos; }, 15000))
        << testsupport::ReadFile(out);
    EXPECT_TRUE(Windows("^Pictavo$").empty());
    m_pictavoPid.clear();
}
