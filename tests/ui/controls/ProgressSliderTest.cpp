#include "tests/support/ControlHost.h"

#include "ui/SliderUI.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
// A skin folder holding one opaque single-colour PNG.
class SkinImage
{
public:
    SkinImage() : m_dir("skin")
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(surface, (m_dir / "fore.png").c_str());
        cairo_surface_destroy(surface);
        CPaintManagerUI::SetResourcePath((m_dir.wpath() + L"/").c_str());
    }

private:
    testsupport::TempDir m_dir;
};

bool IsRed(unsigned pixel)
{
    return pixel == 0xFFFF0000u;
}
} // namespace

TEST(ProgressTest, ForeImageCoversTheValuesShareOfTheBar)
{
    SkinImage skin;
    ControlHost host;
    host.Load(L"<Container><Progress name=\"p\" pos=\"0,0,200,20\" float=\"true\" min=\"0\" max=\"100\" "
              L"value=\"25\" "
              L"foreimage=\"fore.png\" bkcolor=\"#FF00FF00\"/></Container>");
    auto* progress = static_cast<CProgressUI*>(host.Manager().FindControl(L"p"));
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(IsRed(host.Pixel(10, 10)));
    EXPECT_TRUE(IsRed(host.Pixel(48, 10)));
    EXPECT_EQ(host.Pixel(52, 10), 0xFF00FF00u);

    progress->SetValue(100);
    EXPECT_TRUE(IsRed(host.Pixel(198, 10)));
    progress->SetValue(250);
    EXPECT_EQ(progress->GetValue(), 100) << "kept within the range";
    progress->SetValue(-5);
    EXPECT_EQ(progress->GetValue(), 0);
    EXPECT_EQ(host.Pixel(2, 10), 0xFF00FF00u);
    // An empty range paints no fore image instead of dividing by zero.
    progress->SetMaxValue(0);
    EXPECT_EQ(host.Pixel(2, 10), 0xFF00FF00u);
}

TEST(SliderTest, ClickAndDragSetTheValueAndReportIt)
{
    ControlHost host;
    host.Load(
        L"<Container><Slider name=\"s\" pos=\"0,0,110,13\" float=\"true\" min=\"0\" max=\"100\" value=\"50\" "
        L"thumbsize=\"10,13\"/></Container>");
    auto* slider = static_cast<CSliderUI*>(host.Manager().FindControl(L"s"));
    ASSERT_NE(slider, nullptr);
    host.Click(5 + 20, 6); // thumb centre at 20 of a 100-pixel track
    EXPECT_EQ(slider->GetValue(), 20);
    ASSERT_EQ(host.Count(DUI_MSGTYPE_VALUECHANGED), 1);
    EXPECT_EQ(host.notes.back().sender, slider);

    // Dragging the thumb follows the pointer; one report when released.
    const RECT thumb = slider->GetThumbRect();
    const int x = (thumb.left + thumb.right) / 2;
    host.Move(x, 6);
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 6));
    platform::headless::InjectMessage(host.GetHWND(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, 6));
    host.Pump();
    EXPECT_EQ(slider->GetValue(), 60);
    EXPECT_EQ(host.Count(DUI_MSGTYPE_VALUECHANGED), 1);
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(x + 500, 6));
    host.Pump();
    EXPECT_EQ(slider->GetValue(), 100) << "past the end is the maximum";
    EXPECT_EQ(host.Count(DUI_MSGTYPE_VALUECHANGED), 2);

    // A value set by the program sends nothing; a click on the thumb that moves nothing neither.
    slider->SetValue(40);
    const RECT now = slider->GetThumbRect();
    host.Click((now.left + now.right) / 2, 6);
    EXPECT_EQ(host.Count(DUI_MSGTYPE_VALUECHANGED), 2);
}

TEST(SliderTest, StepAndEmptyRange)
{
    ControlHost host;
    host.Load(L"<Container><Slider name=\"s\" pos=\"0,0,110,13\" float=\"true\" step=\"10\" "
              L"thumbsize=\"10,13\"/></Container>");
    auto* slider = static_cast<CSliderUI*>(host.Manager().FindControl(L"s"));
    host.Click(5 + 33, 6);
    EXPECT_EQ(slider->GetValue(), 30);
    host.Wheel(50, 6, -1); // up
    EXPECT_EQ(slider->GetValue(), 40);
    slider->SetMinValue(50);
    slider->SetMaxValue(50);
    host.Click(80, 6);
    EXPECT_EQ(slider->GetValue(), 50);
}
