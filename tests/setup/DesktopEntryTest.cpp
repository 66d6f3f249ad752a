// Desktop entries for an install folder whose name holds a blank, a "%", a quote and a
// backslash: accepted by desktop-file-validate, and started by gio launch in the right folder.
#include "common/install/Shortcut.h"
#include "tests/support/SetupKit.h"

#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

using testsupport::Exists;
using testsupport::Wide;
namespace fs = std::filesystem;

namespace
{
void Fill(wchar_t (&field)[MAX_PATH], const std::string& text)
{
    const std::wstring wide = Wide(text);
    wide.copy(field, wide.size());
}

bool WaitForFile(const std::string& path)
{
    for (int i = 0; i < 500 && !Exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Exists(path);
}

int Shell(const std::string& command)
{
    return std::system(command.c_str());
}
} // namespace

TEST(DesktopEntry, OddInstallFolderValidatesAndLaunches)
{
    if (Shell("command -v desktop-file-validate >/dev/null && command -v gio >/dev/null") != 0)
        GTEST_SKIP() << "desktop-file-validate or gio missing";
    setuptest::SetupFolder setup({});
    const std::string home = std::getenv("HOME");
    fs::create_directories(home + "/Desktop");
    const std::string folder = setup.path() + "/My Apps/100% \"new\" \\Pictavo";
    fs::create_directories(folder);
    for (const char* program : {"Pictavo", "Uninst"})
    {
        testsupport::WriteFile(folder + "/" + program,
                               // Renamed into place, so the test never reads it half written.
                               std::string("#!/bin/sh\necho \"$0\" > .started-") + program +
                                   " && mv .started-" + program + " started-" + program + "\n");
        ::chmod((folder + "/" + program).c_str(), 0755);
    }
    ShortcutInfo info;
    Fill(info.name, "Pictavo");
    Fill(info.target, folder + "/Pictavo");
    Fill(info.uninstallTarget, folder + "/Uninst");
    Fill(info.workingFolder, folder);

    ASSERT_TRUE(CreateShortcut(info, CSIDL_DESKTOP));
    ASSERT_TRUE(CreateShortcut(info, CSIDL_COMMON_STARTMENU));
    EXPECT_FALSE(CreateShortcut(info, CSIDL_APPDATA)) << "there is no Quick Launch";

    const std::string desktopEntry = home + "/Desktop/Pictavo.desktop";
    const std::string menuEntry = home + "/.local/share/applications/Pictavo/Pictavo.desktop";
    const std::string uninstallEntry = home + "/.local/share/applications/Pictavo/卸载 Pictavo.desktop";
    struct stat status
    {
    };
    ASSERT_EQ(::stat(desktopEntry.c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IXUSR, 0u) << "a launcher on the desktop is executable";
    for (const std::string& entry : {desktopEntry, menuEntry, uninstallEntry})
        EXPECT_EQ(Shell("desktop-file-validate '" + entry + "' >&2"), 0) << testsupport::ReadFile(entry);

    ASSERT_EQ(Shell("gio launch '" + menuEntry + "' >&2"), 0);
    ASSERT_TRUE(WaitForFile(folder + "/started-Pictavo")) << testsupport::ReadFile(menuEntry);
    EXPECT_EQ(testsupport::ReadFile(folder + "/started-Pictavo"), folder + "/Pictavo\n");
    ASSERT_EQ(Shell("gio launch '" + uninstallEntry + "' >&2"), 0);
    EXPECT_TRUE(WaitForFile(folder + "/started-Uninst"));
}

// Without a desktop folder no entry is written and no folder is made.
TEST(DesktopEntry, NoDesktopFolderNoEntry)
{
    setuptest::SetupFolder setup({});
    ShortcutInfo info;
    Fill(info.name, "Pictavo");
    Fill(info.target, "/opt/x/Pictavo");
    EXPECT_FALSE(CreateShortcut(info, CSIDL_DESKTOP));
    EXPECT_FALSE(fs::exists(std::string(std::getenv("HOME")) + "/Desktop"));
}
