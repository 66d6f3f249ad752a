// The desktop's own file chooser and a real XDND drop, driven with xdotool on a private X server.
#include "DisplayTest.h"
#include "DragSource.h"
#include "InputRepeater.h"
#include "RecordingWindow.h"
#include "Watchdog.h"
#include "XdotoolScript.h"
#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "platform/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
