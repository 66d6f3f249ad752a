// Pixels of rendered controls: button state images and nine-patch drawing, rendered by the
// paint manager into a cairo image surface and, once, through a headless window's paint.
#include "tests/ui/SkinKit.h"

#include "tests/support/TestSupport.h"
#include "ui/UIlib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace DuiLib;

namespace
{
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kGray = 0xFF808080;

class Canvas
{
public:
    Canvas(int w, int h) : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), m_w(w), m_h(h) {}
    ~Canvas() { cairo_surface_destroy(m_surface); }
    void Render(CPaintManagerUI& pm)
    {
        cairo_t* cr = cairo_create(m_surface);
        pm.RenderTo(cr, RECT{0, 0, m_w, m_h});
        cairo_destroy(cr);
    }
    std::uint32_t At(int x, int y) const { return uitest::PixelAt(m_surface, x, y); }

private:
    cairo_surface_t* m_surface;
    int m_w;
    int m_h;
};

void Send(CControlUI* control, int type, POINT pt)
{
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = pt;
    control->Event(event);
}
} // namespace

TEST(ButtonPaint, ShowsTheImageOfEachState)
{
    uitest::ScopedSkinZip skin({{"n.png", uitest::SolidPng(8, 8, kRed)},
                                {"h.png", uitest::SolidPng(8, 8, kGreen)},
                                {"p.png", uitest::SolidPng(8, 8, kBlue)},
                                {"d.png", uitest::SolidPng(8, 8, kGray)}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(LR"(<HorizontalLayout><Button name="b" normalimage="n.png"
        hotimage="file='h.png'" pushedimage="p.png" disabledimage="d.png"/></HorizontalLayout>)",
                                      nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    root->SetPos(RECT{0, 0, 40, 20});
    auto* button = static_cast<CButtonUI*>(pm.FindControl(L"b"));
    Canvas canvas(40, 20);

    canvas.Render(pm);
    EXPECT_EQ(canvas.At(20, 10), kRed);
    Send(button, UIEVENT_MOUSEENTER, POINT{5, 5});
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(20, 10), kGreen);
    Send(button, UIEVENT_BUTTONDOWN, POINT{5, 5});
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(20, 10), kBlue);
    // Dragged out while pressed: hot again, no longer pushed.
    Send(button, UIEVENT_MOUSEMOVE, POINT{60, 5});
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(20, 10), kGreen);
    Send(button, UIEVENT_BUTTONUP, POINT{60, 5});
    button->SetEnabled(false);
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(20, 10), kGray);
}

TEST(ButtonPaint, FallsBackToTheNormalImageWhenAStateImageIsMissing)
{
    uitest::ScopedSkinZip skin({{"n.png", uitest::SolidPng(4, 4, kRed)}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Button name=\"b\" normalimage=\"n.png\" hotimage=\"gone.png\"/>",
                                      nullptr, nullptr, &pm);
    pm.AttachDialog(root);
    root->SetPos(RECT{0, 0, 10, 10});
    Send(root, UIEVENT_MOUSEENTER, POINT{1, 1});
    Canvas canvas(10, 10);
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(5, 5), kRed);
}

TEST(ImageMarkup, NinePatchKeepsCornersUnscaledAndHonoursHoleSourceAndDest)
{
    uitest::ScopedSkinZip skin({{"frame.png", uitest::FramedPng(30, 30, 5, kRed, kBlue)},
                                {"strip.png", uitest::FramedPng(20, 10, 0, kGreen, kGreen)}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(LR"(<VerticalLayout>
        <Control name="a" height="60" bkimage="file='frame.png' corner='5,5,5,5'"/>
        <Control name="b" height="60" bkimage="file='frame.png' corner='5,5,5,5' hole='true'"/>
        <Control name="c" height="20" bkimage="file='frame.png' source='10,10,20,20' dest='10,5,30,15'"/>
      </VerticalLayout>)",
                                      nullptr, nullptr, &pm);
    pm.AttachDialog(root);
    root->SetPos(RECT{0, 0, 100, 140});
    Canvas canvas(100, 140);
    canvas.Render(pm);

    // The 5-pixel border stays 5 pixels wide, the middle stretches without bleeding.
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(4, 4), kRed);
    EXPECT_EQ(canvas.At(5, 5), kBlue);
    EXPECT_EQ(canvas.At(50, 30), kBlue);
    EXPECT_EQ(canvas.At(94, 54), kBlue);
    EXPECT_EQ(canvas.At(95, 55), kRed);
    EXPECT_EQ(canvas.At(99, 59), kRed);
    EXPECT_EQ(canvas.At(50, 2), kRed);
    // hole: the middle is left out.
    EXPECT_EQ(canvas.At(2, 62), kRed);
    EXPECT_EQ(canvas.At(50, 90), 0u);
    // source part (all blue) into the dest rectangle only.
    EXPECT_EQ(canvas.At(15, 130), kBlue);
    EXPECT_EQ(canvas.At(5, 130), 0u);
    EXPECT_EQ(canvas.At(35, 130), 0u);
}

TEST(ImageMarkup, FadeScalesTheAlpha)
{
    uitest::ScopedSkinZip skin({{"w.png", uitest::SolidPng(4, 4, 0xFFFFFFFF)}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root =
        builder.Create(L"<Control bkimage=\"file='w.png' fade='128'\"/>", nullptr, nullptr, &pm);
    pm.AttachDialog(root);
    root->SetPos(RECT{0, 0, 10, 10});
    Canvas canvas(10, 10);
    canvas.Render(pm);
    const std::uint32_t alpha = canvas.At(5, 5) >> 24;
    EXPECT_NEAR(static_cast<int>(alpha), 128, 1);
}

TEST(ImageMarkup, ParsesEveryField)
{
    TDrawInfo info;
    ASSERT_TRUE(info.Parse(L"file='a.png' source='1,2,3,4' dest='5,6,7,8' corner='1,1,1,1' fade='300' "
                           L"hole='true' xtiled='true' ytiled='false'"));
    EXPECT_EQ(info.sImageName, L"a.png");
    EXPECT_EQ(info.rcSource.right, 3);
    EXPECT_EQ(info.rcDest.bottom, 8);
    EXPECT_EQ(info.uFade, 255) << "clamped";
    EXPECT_TRUE(info.bHole);
    EXPECT_TRUE(info.bTiledX);
    EXPECT_FALSE(info.bTiledY);
    ASSERT_TRUE(info.Parse(L"plain.png"));
    EXPECT_EQ(info.sImageName, L"plain.png");
    EXPECT_FALSE(info.Parse(L"dest='0,0,1,1'"));
}

TEST(ImageCache, APictureOfTheDiskWrittenAgainIsReadAgain)
{
    // A downloaded avatar keeps its name: the new file must show, not the first one read.
    testsupport::TempDir dir("disk-image");
    const std::string path = dir.path() + "/avatar.png";
    // Two sizes: two writes within one tick of the file clock still differ in length.
    const std::string red = uitest::SolidPng(6, 6, kRed);
    const std::string blue = uitest::SolidPng(9, 9, kBlue);
    ASSERT_NE(red.size(), blue.size());
    auto write = [&](const std::string& png) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(png.data(), static_cast<long>(png.size()));
    };
    const std::wstring markup = L"file='" + testsupport::Wide(path) + L"'";
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Control name=\"c\"/>", nullptr, nullptr, &pm);
    pm.AttachDialog(root);
    root->SetPos(RECT{0, 0, 6, 6});
    Canvas canvas(6, 6);

    root->SetBkImage(markup.c_str());
    canvas.Render(pm);
    EXPECT_NE(canvas.At(3, 3), kRed) << "no file yet: nothing drawn";
    write(red);
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(3, 3), kRed);
    std::filesystem::remove(path);
    write(blue);
    canvas.Render(pm);
    EXPECT_EQ(canvas.At(3, 3), kBlue);
}
