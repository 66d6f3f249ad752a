// The desktop's own file chooser and a real XDND drop, driven with xdotool on a private X server.
#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "platform/Input.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/DragSource.h"
#include "tests/e2e/InputRepeater.h"
#include "tests/e2e/RecordingWindow.h"
#include "tests/e2e/Watchdog.h"
#include "tests/e2e/XdotoolScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace e2e;

namespace
{
class ShellE2eTest : public DisplayTest
{
protected:
    // The UI thread is busy in a modal loop or a drag while these run.
    XdotoolScript m_driver;
};

TEST_F(ShellE2eTest, FileChooserReturnsTheFileTypedIntoItWhileTimersRun)
{
    testsupport::TempDir dir("chooser");
    const std::string picked = dir / "picked one.png";
    testsupport::WriteFile(picked, "png");
    testsupport::WriteFile(dir / "other.jpg", "jpg");
    RecordingWindow owner(L"Pictavo e2e owner", 60, 60, 400, 300, 0xFFFFFF);
    ShowWindow(owner.hwnd(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_PAINT) > 0; }));
    SetTimer(owner.hwnd(), 7, 20, nullptr);

    // The keys go to the dialog once it is mapped and focused; GTK handles them in order, so
    // the location entry that Ctrl+L opens takes the path that follows.
    Watchdog watchdog(30, "the file chooser's answer");
    m_driver.Start(
        {WithTimeout("xdotool search --sync --onlyvisible --name 'Pick a picture' windowfocus --sync "
                     "key --clearmodifiers ctrl+l type --delay 15 '" +
                     picked + "'"),
         "xdotool key --clearmodifiers Return"});
    std::vector<wchar_t> buffer(4096, L'\0');
    const std::wstring initial = dir.wpath();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner.hwnd();
    ofn.lpstrFilter = L"PNG(*.png;*.jpg)\0*.png;*.jpg\0";
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = initial.c_str();
    ofn.lpstrTitle = L"Pick a picture";
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    const size_t timersBefore = owner.Count(WM_TIMER);
    const BOOL chosen = GetOpenFileNameW(&ofn);
    const bool driven = m_driver.Join();
    KillTimer(owner.hwnd(), 7);

    EXPECT_TRUE(driven);
    ASSERT_TRUE(chosen) << "error " << CommDlgExtendedError();
    EXPECT_EQ(testsupport::Narrow(buffer.data()), picked);
    EXPECT_EQ(ofn.nFileOffset, picked.rfind('/') + 1);
    EXPECT_GT(owner.Count(WM_TIMER), timersBefore + 5) << "the owner's timer stopped while the dialog was up";
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

// GLib and GTK complaints (criticals, warnings) counted while the object lives.
class GtkComplaints
{
public:
    GtkComplaints()
    {
        for (const char* domain : kDomains)
            m_handlers.push_back(g_log_set_handler(domain, kLevels, &Count, &m_count));
    }
    ~GtkComplaints()
    {
        for (size_t i = 0; i < m_handlers.size(); ++i)
            g_log_remove_handler(kDomains[i], m_handlers[i]);
    }
    int count() const { return m_count; }

private:
    static constexpr const char* kDomains[] = {"Gtk", "Gdk", "GLib", "GLib-GObject"};
    static constexpr auto kLevels =
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_FLAG_FATAL);
    static void Count(const gchar*, GLogLevelFlags, const gchar*, gpointer count)
    {
        ++*static_cast<int*>(count);
    }

    int m_count = 0;
    std::vector<guint> m_handlers;
};

PIDLIST_ABSOLUTE BrowseFolder(HWND owner, const wchar_t* title)
{
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNFSANCESTORS;
    return SHBrowseForFolderW(&info);
}

// The folder dialog starts in the home folder, where a typed name is found; Escape ends it
// without an answer, and the dialog is destroyed once, without a complaint from GTK.
TEST_F(ShellE2eTest, FolderDialogStartsAtHomeTakesATypedNameAndEscapeClosesItOnce)
{
    const std::string home = std::getenv("HOME");
    std::filesystem::create_directories(home + "/picked folder");
    RecordingWindow owner(L"Pictavo e2e folder owner", 60, 60, 400, 300, 0xFFFFFF);
    ShowWindow(owner.hwnd(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_PAINT) > 0; }));
    GtkComplaints complaints;
    Watchdog watchdog(40, "the folder dialogs' answers");

    const std::string focus =
        "xdotool search --sync --onlyvisible --name 'Pick a folder' windowfocus --sync ";
    m_driver.Start({WithTimeout(focus + "key --clearmodifiers ctrl+l type --delay 15 'picked folder'"),
                    "xdotool key --clearmodifiers Return"});
    PIDLIST_ABSOLUTE typed = BrowseFolder(owner.hwnd(), L"Pick a folder");
    m_driver.Join();
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(typed, nullptr) << "the typed folder was not taken";
    EXPECT_TRUE(SHGetPathFromIDListW(typed, path));
    CoTaskMemFree(typed);
    EXPECT_EQ(testsupport::Narrow(path), home + "/picked folder");

    m_driver.Start({WithTimeout(focus + "key Escape")});
    EXPECT_EQ(BrowseFolder(owner.hwnd(), L"Pick a folder"), nullptr);
    m_driver.Join();
    PumpFor(100); // the destroyed dialog's last events
    EXPECT_EQ(complaints.count(), 0) << "GTK complained about the dialog's end";
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST_F(ShellE2eTest, XdndDropOfFilesArrivesAsDropFiles)
{
    testsupport::TempDir dir("drop");
    const std::string spaced = dir / "a b 图片 photo.png";
    const std::string plain = dir / "plain.jpg";
    testsupport::WriteFile(spaced, "png");
    testsupport::WriteFile(plain, "jpg");
    RecordingWindow target(L"Pictavo e2e drop", 300, 100, 300, 200, 0xFFFFFF);
    DragAcceptFiles(target.hwnd(), TRUE);
    ShowWindow(target.hwnd(), SW_SHOW);
    DragSource source(20, 100,
                      {DragSource::UriOf(spaced), "https://example.org/x.png", DragSource::UriOf(plain)});
    ASSERT_TRUE(PumpUntil([&] { return target.Count(WM_PAINT) > 0 && source.Shown(); }));

    m_driver.Start(source.DragTo(420, 200));
    const bool dropped = PumpUntil([&] { return target.Find(WM_DROPFILES) != nullptr; }, 10000);
    m_driver.Join();
    ASSERT_TRUE(dropped) << "no WM_DROPFILES arrived";

    const HDROP drop = reinterpret_cast<HDROP>(target.Find(WM_DROPFILES)->wParam);
    ASSERT_EQ(DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0), 2u);
    WCHAR name[MAX_PATH];
    ASSERT_GT(DragQueryFileW(drop, 0, name, MAX_PATH), 0u);
    EXPECT_EQ(testsupport::Narrow(name), spaced);
    ASSERT_GT(DragQueryFileW(drop, 1, name, MAX_PATH), 0u);
    EXPECT_EQ(testsupport::Narrow(name), plain);
    POINT point{};
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_NEAR(point.x, 120, 2);
    EXPECT_NEAR(point.y, 100, 2);
    DragFinish(drop);
    EXPECT_EQ(DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0), 0u);
}
} // namespace
