#include "tests/support/ControlHost.h"

#include "main/LinkButtonUI.h"

#include "ui/ControlFactory.h"

#include "platform/Input.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace DuiLib;

namespace
{
// Link and plain buttons of the same size side by side: font 1 is underlined and larger,
// so a change of font shows in the pixels.
constexpr const wchar_t* kMarkup =
    L"<Window><Font id=\"0\" name=\"Microsoft YaHei\" size=\"14\" default=\"true\"/>"
    L"<Font id=\"1\" name=\"Microsoft YaHei\" size=\"18\" underline=\"true\"/>"
    L"<VerticalLayout bkcolor=\"#FFFFFFFF\">"
    L"<LinkButton name=\"link\" text=\"查看详情\" height=\"40\" textcolor=\"#FF5E70C4\" hFont=\"1\"/>"
    L"<LinkButton name=\"plainlink\" text=\"查看详情\" height=\"40\" textcolor=\"#FF5E70C4\"/>"
    L"<Button name=\"normal\" text=\"查看详情\" height=\"40\" textcolor=\"#FF5E70C4\" font=\"0\"/>"
    L"<Button name=\"hover\" text=\"查看详情\" height=\"40\" textcolor=\"#FF5E70C4\" font=\"1\"/>"
    L"<Control/></VerticalLayout></Window>";

class LinkButton : public ::testing::Test
{
protected:
    LinkButton() : host(200, 200) { host.Load(kMarkup); }

    CLinkButtonUI* Link(const wchar_t* name)
    {
        CControlUI* control = host.Manager().FindControl(name);
        return control ? static_cast<CLinkButtonUI*>(control->GetInterface(L"LinkButton")) : nullptr;
    }
    // The control's pixels, without its position.
    std::vector<unsigned> Pixels(const wchar_t* name)
    {
        const RECT rc = host.Manager().FindControl(name)->GetPos();
        cairo_surface_t* surface = host.Paint();
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        std::vector<unsigned> pixels;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                pixels.push_back(*reinterpret_cast<const unsigned*>(data + y * stride + x * 4));
        return pixels;
    }
    void PointAt(const wchar_t* name)
    {
        const RECT rc = host.Manager().FindControl(name)->GetPos();
        host.Move((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    ControlHost host;
};
} // namespace

TEST_F(LinkButton, TheSkinTagMakesItAndHFontIsItsOnlyOwnAttribute)
{
    CLinkButtonUI* link = Link(L"link");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(std::wstring(link->GetClass()), L"LinkButton");
    EXPECT_NE(link->GetInterface(L"Button"), nullptr);
    EXPECT_EQ(link->GetHoverFont(), 1);
    EXPECT_EQ(Link(L"plainlink")->GetHoverFont(), -1);
    EXPECT_TRUE(link->GetIgnoreCaption());

    link->SetAttribute(L"hFont", L"3");
    EXPECT_EQ(link->GetHoverFont(), 3);
    link->SetAttribute(L"hFont", L"none");
    EXPECT_EQ(link->GetHoverFont(), 0);
    link->SetAttribute(L"hfont", L"5"); // the name is case-sensitive: a button attribute
    EXPECT_EQ(link->GetHoverFont(), 0);
    // Everything else is the button's.
    link->SetAttribute(L"cursor", L"hand");
    EXPECT_EQ(link->GetCursorId(), IDC_HAND);
    link->SetAttribute(L"font", L"1");
    EXPECT_EQ(link->GetFont(), 1);

    std::unique_ptr<CControlUI> made(CControlFactory::GetInstance().CreateControl(L"linkbutton"));
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made->GetInterface(L"LinkButton"), nullptr);
}

TEST_F(LinkButton, PaintsWithTheHoverFontWhileHotOrHeldDown)
{
    const auto normal = Pixels(L"normal");
    const auto hover = Pixels(L"hover");
    ASSERT_NE(normal, hover);
    EXPECT_EQ(Pixels(L"link"), normal);

    PointAt(L"link");
    EXPECT_EQ(Pixels(L"link"), hover);

    // Held down and dragged off: pushed but not hot still shows the hover font.
    const RECT rc = host.Manager().FindControl(L"link")->GetPos();
    host.Move(rc.left + 10, rc.top + 10);
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON,
                                      MAKELPARAM(rc.left + 10, rc.top + 10));
    host.Pump();
    EXPECT_EQ(Pixels(L"link"), hover);

    // Released elsewhere: no click, and the normal font again.
    host.Move(100, 190);
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(100, 190));
    host.Pump();
    EXPECT_EQ(host.Count(L"click"), 0);
    EXPECT_EQ(Pixels(L"link"), normal);
}

TEST_F(LinkButton, WithoutHFontItPaintsAndClicksLikeAPlainButton)
{
    const auto normal = Pixels(L"normal");
    EXPECT_EQ(Pixels(L"plainlink"), normal);
    PointAt(L"plainlink");
    EXPECT_EQ(Pixels(L"plainlink"), normal);

    const RECT rc = host.Manager().FindControl(L"plainlink")->GetPos();
    host.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ASSERT_EQ(host.Count(L"click"), 1);
    EXPECT_EQ(host.notes.back().sender, host.Manager().FindControl(L"plainlink"));

    // Disabled: no click.
    Link(L"link")->SetEnabled(false);
    const RECT link = host.Manager().FindControl(L"link")->GetPos();
    host.Click((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    EXPECT_EQ(host.Count(L"click"), 1);
}
