// The desktop's own file chooser and a real XDND drop, driven with xdotool on a private X server.
#include "RecordingWindow.h"
#include "XServer.h"
#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "platform/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace e2e;

namespace
{
class ShellE2eTest : public ::testing::Test
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
        if (m_driver.joinable())
            m_driver.join();
    }

    // Runs the xdotool steps on another thread: the UI thread is busy in a modal loop or a drag.
    void Drive(std::vector<std::string> steps)
    {
        m_driver = std::thread([this, steps = std::move(steps)] {
            for (const std::string& step : steps)
            {
                if (!XServer::Run(step))
                    m_driverFailed = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(60));
            }
        });
    }

    std::thread m_driver;
    std::atomic<bool> m_driverFailed{false};
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

    Drive({"xdotool search --sync --onlyvisible --name 'Pick a picture' windowfocus --sync",
           "xdotool sleep 1 key --clearmodifiers ctrl+l",
           "xdotool sleep 0.5 type --delay 15 '" + picked + "'", "xdotool sleep 0.5 key Return"});
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
    m_driver.join();
    KillTimer(owner.hwnd(), 7);

    EXPECT_FALSE(m_driverFailed);
    ASSERT_TRUE(chosen) << "error " << CommDlgExtendedError();
    EXPECT_EQ(testsupport::Narrow(buffer.data()), picked);
    EXPECT_EQ(ofn.nFileOffset, picked.rfind('/') + 1);
    EXPECT_GT(owner.Count(WM_TIMER), timersBefore + 5) << "the owner's timer stopped while the dialog was up";
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

// A drag source of our own: a plain GTK window offering a URI list.
class DragSource
{
public:
    DragSource(int x, int y, std::vector<std::string> uris) : m_uris(std::move(uris))
    {
        m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(m_window), FALSE);
        gtk_window_set_default_size(GTK_WINDOW(m_window), 120, 120);
        gtk_window_move(GTK_WINDOW(m_window), x, y);
        GtkWidget* box = gtk_event_box_new();
        gtk_container_add(GTK_CONTAINER(m_window), box);
        GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
        gtk_drag_source_set(box, GDK_BUTTON1_MASK, &target, 1, GDK_ACTION_COPY);
        g_signal_connect(box, "drag-data-get", G_CALLBACK(&DragSource::OnGet), this);
        gtk_widget_show_all(m_window);
    }
    ~DragSource() { gtk_widget_destroy(m_window); }
    DragSource(const DragSource&) = delete;
    DragSource& operator=(const DragSource&) = delete;

private:
    static void OnGet(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint, gpointer self)
    {
        auto* source = static_cast<DragSource*>(self);
        std::vector<gchar*> uris;
        for (std::string& uri : source->m_uris)
            uris.push_back(uri.data());
        uris.push_back(nullptr);
        gtk_selection_data_set_uris(data, uris.data());
    }

    GtkWidget* m_window;
    std::vector<std::string> m_uris;
};

std::string UriOf(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri != nullptr ? uri : "";
    g_free(uri);
    return text;
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
    DragSource source(20, 100, {UriOf(spaced), "https://example.org/x.png", UriOf(plain)});
    ASSERT_TRUE(PumpUntil([&] { return target.Count(WM_PAINT) > 0; }));
    PumpFor(300);

    Drive({"xdotool mousemove 80 160", "xdotool mousedown 1", "xdotool mousemove 90 165",
           "xdotool mousemove 120 170", "xdotool mousemove 250 180", "xdotool mousemove 400 190",
           "xdotool mousemove 420 200", "xdotool sleep 0.3 mouseup 1"});
    const bool dropped = PumpUntil([&] { return target.Find(WM_DROPFILES) != nullptr; }, 10000);
    m_driver.join();
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
