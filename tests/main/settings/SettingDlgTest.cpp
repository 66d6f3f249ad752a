// The settings window on the main program's embedded skin, over real images made at test
// time: the size edits, the resize slider and the quality slider kept in step by real input,
// confirm and close in the modal loop, and images whose size cannot be read.
#include "tests/main/settings/SettingsKit.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace DuiLib;
using settingstest::OpenSetting;
using testsupport::TempDir;

namespace
{
// A compression row's item for the file at path.
FileItem CompressItem(const std::string& path, int resize = 100, int quality = 80)
{
    FileItem item;
    item.m_nId = 7;
    item.m_strPath = testsupport::Wide(path);
    item.m_strType = L"png";
    item.m_nKind = TAB_COMPRESS;
    item.m_nResize = resize;
    item.m_nQuality = quality;
    return item;
}

class SettingDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(settingstest::MakeImage(1000, 500, m_image)); }

    TempDir m_dir{"settings"};
    const std::string m_image = m_dir / "photo 1000x500.png";
};

// The displayed state: width, height, resize slider and its label.
struct Shown
{
    std::wstring width, height;
    int slider;
    std::wstring rate;
};

void ExpectShown(OpenSetting& open, const Shown& expected, const char* step)
{
    EXPECT_EQ(open.Text(L"width_edit"), expected.width) << step;
    EXPECT_EQ(open.Text(L"height_edit"), expected.height) << step;
    EXPECT_EQ(open.Slider(L"slider_resize"), expected.slider) << step;
    EXPECT_EQ(open.Text(L"resize_rate"), expected.rate) << step;
}
} // namespace

TEST_F(SettingDlgTest, SkinCarriesTheWindowAndItsControls)
{
    OpenSetting open(CompressItem(m_image));
    ASSERT_NE(open.dlg().GetHWND(), nullptr);
    RECT rc{};
    ::GetWindowRect(open.dlg().GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 270);
    EXPECT_EQ(rc.bottom - rc.top, 200);
    EXPECT_EQ(::GetWindow(open.dlg().GetHWND(), GW_OWNER), open.owner());
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(open.dlg().GetHWND(), GWL_STYLE));
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_EQ(open.Text(L"labelTitle"), L"图片压缩");
    EXPECT_EQ(open.Text(L"btnOk"), L"确定");

    struct Place
    {
        LPCTSTR name;
        RECT pos;
    };
    const Place places[] = {{L"closeBtn", {240, 10, 260, 30}},
                            {L"labelTitle", {50, 20, 220, 44}},
                            {L"width_edit", {105, 55, 145, 79}},
                            {L"height_edit", {163, 55, 203, 79}},
                            {L"slider_resize", {105, 91, 205, 104}},
                            {L"resize_rate", {205, 85, 255, 109}},
                            {L"slider_quality", {105, 121, 205, 134}},
                            {L"quality_rate", {205, 115, 255, 139}},
                            {L"btnOk", {60, 150, 200, 180}}};
    for (const Place& place : places)
    {
        CControlUI* control = open.dlg().GetPaintManager().FindControl(place.name);
        ASSERT_NE(control, nullptr) << testsupport::Narrow(place.name);
        const RECT pos = control->GetPos();
        EXPECT_TRUE(pos.left == place.pos.left && pos.top == place.pos.top && pos.right == place.pos.right &&
                    pos.bottom == place.pos.bottom)
            << testsupport::Narrow(place.name) << " at " << pos.left << "," << pos.top << "," << pos.right
            << "," << pos.bottom;
    }
    auto* width = dynamic_cast<CEditUI*>(open.dlg().GetPaintManager().FindControl(L"width_edit"));
    auto* height = dynamic_cast<CEditUI*>(open.dlg().GetPaintManager().FindControl(L"height_edit"));
    ASSERT_TRUE(width && height);
    EXPECT_TRUE(width->IsNumberOnly());
    EXPECT_TRUE(height->IsNumberOnly());
}

TEST_F(SettingDlgTest, PaintsTheSkinsImages)
{
    OpenSetting open(CompressItem(m_image, 50));
    const HWND hwnd = open.dlg().GetHWND();
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    if (const char* dump = std::getenv("PICTAVO_SETTINGS_DUMP"))
        settingstest::SavePainted(hwnd, dump);
    EXPECT_EQ(settingstest::PixelAt(hwnd, 0, 100), 0xAAA6A7u) << "border";
    EXPECT_EQ(settingstest::PixelAt(hwnd, 30, 150), 0xFFFFFFu) << "white background";
    EXPECT_EQ(settingstest::PixelAt(hwnd, 66, 165), 0x5E70C4u) << "confirm button";
    EXPECT_EQ(settingstest::PixelAt(hwnd, 115, 97), 0x5E70C4u) << "resize slider, filled half";
    EXPECT_EQ(settingstest::PixelAt(hwnd, 195, 97), 0xE3E6EFu) << "resize slider, empty half";
}

TEST_F(SettingDlgTest, OpensWithTheItemsSizeAndSettings)
{
    OpenSetting full(CompressItem(m_image));
    ExpectShown(full, {L"1000", L"500", 100, L"100%"}, "resize 100");
    EXPECT_EQ(full.Slider(L"slider_quality"), 80);
    EXPECT_EQ(full.Text(L"quality_rate"), L"80%");
    EXPECT_EQ(full.dlg().m_nImageWidth, 1000);
    EXPECT_EQ(full.dlg().m_nImageHeight, 500);
    EXPECT_TRUE(full.dlg().m_bInited);

    OpenSetting shrunk(CompressItem(m_image, 33, 60));
    ExpectShown(shrunk, {L"330", L"165", 33, L"33%"}, "resize 33");
    EXPECT_EQ(shrunk.Text(L"quality_rate"), L"60%");
}

TEST_F(SettingDlgTest, ResizeSliderDrivesTheEditsAndTheItemCopy)
{
    OpenSetting open(CompressItem(m_image));
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_resize", 35));
    ExpectShown(open, {L"350", L"175", 35, L"35%"}, "slid to 35");
    EXPECT_EQ(open.dlg().m_item.m_nResize, 35);

    // Below 10 % the slider snaps back to 10.
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_resize", 4));
    ExpectShown(open, {L"100", L"50", 10, L"10%"}, "slid to 4");
    EXPECT_EQ(open.dlg().m_item.m_nResize, 10);

    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_resize", 100));
    ExpectShown(open, {L"1000", L"500", 100, L"100%"}, "slid to 100");
}

TEST_F(SettingDlgTest, QualitySliderSnapsToFiveAndReachesTheItemOnlyOnConfirm)
{
    OpenSetting open(CompressItem(m_image));
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_quality", 0));
    EXPECT_EQ(open.Slider(L"slider_quality"), 5);
    EXPECT_EQ(open.Text(L"quality_rate"), L"5%");
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_quality", 64));
    EXPECT_EQ(open.Text(L"quality_rate"), L"64%");
    EXPECT_EQ(open.dlg().m_item.m_nQuality, 80);
    // The quality slider leaves the size alone.
    ExpectShown(open, {L"1000", L"500", 100, L"100%"}, "after quality");
}

TEST_F(SettingDlgTest, LeavingAnEditClampsItAndKeepsTheRatio)
{
    OpenSetting open(CompressItem(m_image));
    struct Case
    {
        LPCTSTR edit;
        const wchar_t* typed;
        Shown shown;
    };
    const Case cases[] = {
        {L"width_edit", L"2000", {L"1000", L"500", 100, L"100%"}}, // above the size
        {L"width_edit", L"50", {L"100", L"50", 10, L"10%"}},       // below 10 %
        {L"width_edit", L"333", {L"333", L"166", 33, L"33%"}},     // 500 x 33.3 / 100
        {L"width_edit", L"", {L"100", L"50", 10, L"10%"}},         // empty reads 0
        {L"height_edit", L"100", {L"200", L"100", 20, L"20%"}},
        {L"height_edit", L"9999999999", {L"1000", L"500", 100, L"100%"}}, // beyond int
        {L"height_edit", L"10", {L"100", L"50", 10, L"10%"}},
    };
    for (const Case& c : cases)
    {
        const std::string step = testsupport::Narrow(c.edit) + " <- '" + testsupport::Narrow(c.typed) + "'";
        ASSERT_TRUE(settingstest::TypeAndLeave(&open.dlg(), c.edit, c.typed)) << step;
        ExpectShown(open, c.shown, step.c_str());
    }
    // The edits move the slider only; the item copy takes it on confirm.
    EXPECT_EQ(open.dlg().m_item.m_nResize, 100);
}

TEST_F(SettingDlgTest, EditsAcceptDigitsOnly)
{
    OpenSetting open(CompressItem(m_image));
    ASSERT_TRUE(settingstest::TypeAndLeave(&open.dlg(), L"width_edit", L"4x0-0"));
    ExpectShown(open, {L"400", L"200", 40, L"40%"}, "letters dropped");
}

TEST_F(SettingDlgTest, ConfirmWritesTheItemCopyAndReturnsTwo)
{
    OpenSetting open(CompressItem(m_image));
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_resize", 35));
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_quality", 64));
    // A width typed last still counts: leaving the edit for the button moves the slider.
    ASSERT_TRUE(settingstest::TypeAndLeave(&open.dlg(), L"width_edit", L"500"));
    ASSERT_TRUE(dialogtest::ClickControl(&open.dlg(), L"btnOk"));
    EXPECT_EQ(open.dlg().ShowModal(), 2u);
    EXPECT_EQ(open.dlg().m_item.m_nResize, 50);
    EXPECT_EQ(open.dlg().m_item.m_nQuality, 64);
    EXPECT_EQ(open.dlg().m_item.m_nId, 7);
    EXPECT_FALSE(::IsWindow(open.dlg().GetHWND()));
    EXPECT_TRUE(::IsWindowEnabled(open.owner()));
}

TEST_F(SettingDlgTest, CloseButtonLeavesTheSettingsAndKeysDoNotCloseIt)
{
    OpenSetting open(CompressItem(m_image, 70, 90));
    ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_quality", 20));
    const HWND hwnd = open.dlg().GetHWND();
    platform::headless::InjectMessage(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    platform::headless::InjectMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(dialogtest::ClickControl(&open.dlg(), L"closeBtn"));
    EXPECT_EQ(open.dlg().ShowModal(), 0u);
    // The resize slider was not moved, so the copy still holds the row's values.
    EXPECT_EQ(open.dlg().m_item.m_nResize, 70);
    EXPECT_EQ(open.dlg().m_item.m_nQuality, 90);
}

// A file ImageMagick cannot read: the size is unknown, the edits stay 0 and nothing divides
// by it; the sliders still work and confirm still writes them. A FIFO named like an image
// is refused at once instead of freezing the window.
TEST(SettingDlgUnknownSize, EditsStayZeroAndTheSliderKeepsItsValue)
{
    TempDir dir("broken");
    const std::string broken = dir / "broken.png";
    testsupport::WriteFile(broken, std::string("\x89PNG\r\n\x1a\n not really a picture", 30));
    const std::string fifo = dir / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Should the size query block on the FIFO, a writer releases it after a while and the
    // test fails instead of hanging.
    std::atomic<bool> opened{false};
    std::atomic<bool> blocked{false};
    std::thread watchdog([&] {
        for (int waited = 0; waited < 1000 && !opened; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!opened)
        {
            blocked = true;
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
    });
    for (const std::string& path : {fifo, broken, dir / "missing.jpg"})
    {
        OpenSetting open(CompressItem(path, 60));
        opened = true;
        EXPECT_FALSE(blocked) << path;
        EXPECT_EQ(open.dlg().m_nImageWidth, 0);
        EXPECT_EQ(open.dlg().m_nImageHeight, 0);
        ExpectShown(open, {L"0", L"0", 60, L"60%"}, "opened");

        ASSERT_TRUE(settingstest::TypeAndLeave(&open.dlg(), L"width_edit", L"500"));
        ExpectShown(open, {L"0", L"0", 60, L"60%"}, "width typed");
        ASSERT_TRUE(settingstest::TypeAndLeave(&open.dlg(), L"height_edit", L""));
        ExpectShown(open, {L"0", L"0", 60, L"60%"}, "height emptied");

        ASSERT_TRUE(settingstest::SlideTo(&open.dlg(), L"slider_resize", 35));
        ExpectShown(open, {L"0", L"0", 35, L"35%"}, "slid");
        ASSERT_TRUE(dialogtest::ClickControl(&open.dlg(), L"btnOk"));
        EXPECT_EQ(open.dlg().ShowModal(), 2u);
        EXPECT_EQ(open.dlg().m_item.m_nResize, 35);
        EXPECT_EQ(open.dlg().m_item.m_nQuality, 80);
    }
    watchdog.join();
}
