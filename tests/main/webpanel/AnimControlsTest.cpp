// The animated controls built from skin markup in a real paint manager: frame lists, timers,
// turning and scrolling, and what a damaged skin value does to them.
#include "main/AccProgress.h"
#include "main/AnimImg.h"
#include "main/CircleImageUI.h"
#include "main/MainControls.h"
#include "main/ScrollTextUI.h"
#include "tests/support/ControlHost.h"

#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "ui/PaintManagerUI.h"

#include "tests/support/TestSupport.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <functional>

using namespace DuiLib;

namespace
{
class AnimControls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterMainControls();
        const auto zip = platform::FindResourceData(L"ZIPRES", 103);
        ASSERT_FALSE(zip.empty());
        ASSERT_TRUE(CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned int>(zip.size())));
    }

    template <typename T> T* Find(LPCTSTR name) { return static_cast<T*>(host.Manager().FindControl(name)); }
    static void Tick(CControlUI* control, UINT timer)
    {
        TEventUI event;
        event.Type = UIEVENT_TIMER;
        event.pSender = control;
        event.wParam = timer;
        control->Event(event);
    }

    ControlHost host{400, 300};
};

std::wstring FrameName(const CAnimImg* anim, size_t index)
{
    return anim->GetFrames().at(index).sImageName.GetData();
}
} // namespace

TEST_F(AnimControls, FrameListsFollowTheSkinValueAndSurviveDamagedOnes)
{
    ASSERT_NE(host.Load(L"<VerticalLayout>"
                        L"<animimg name='ping' speed='10' anim='ping_loading/%d.png|12' height='80'/>"
                        L"<AnimImg name='odd' anim='%s%n%x_%d_%d.png|3' height='10'/>"
                        L"<AnimImg name='huge' anim='f%d.png|4294967299' height='10'/>"
                        L"<AnimImg name='nobar' anim='f%d.png' bkimage='btn_normal.png' height='10'/>"
                        L"<Control name='plain' bkimage='btn_normal.png' height='10'/>"
                        L"<AccProgress name='acc' accpro='p%d.png|5' height='10'/>"
                        L"</VerticalLayout>"),
              nullptr);
    auto* ping = Find<CAnimImg>(L"ping");
    ASSERT_NE(ping, nullptr) << "the tag is matched without regard to case";
    EXPECT_STREQ(ping->GetClass(), L"AnimImg");
    EXPECT_EQ(ping->GetInterface(L"AnimImg"), ping);
    ASSERT_EQ(ping->GetFrames().size(), 12u);
    EXPECT_EQ(FrameName(ping, 0), L"ping_loading/1.png");
    EXPECT_EQ(FrameName(ping, 11), L"ping_loading/12.png");

    // Skin text is never a printf format: only the first "%d" takes the number.
    auto* odd = Find<CAnimImg>(L"odd");
    ASSERT_EQ(odd->GetFrames().size(), 3u);
    EXPECT_EQ(FrameName(odd, 2), L"%s%n%x_3_%d.png");
    EXPECT_EQ(Find<CAnimImg>(L"huge")->GetFrames().size(), 256u) << "capped, and no wrap-around to 3";
    auto* nobar = Find<CAnimImg>(L"nobar");
    EXPECT_TRUE(nobar->GetFrames().empty());
    EXPECT_EQ(nobar->GetFrameCount(), 1);

    // Setting the list again replaces it.
    ping->SetAttribute(L"anim", L"g%d.png|2");
    ASSERT_EQ(ping->GetFrames().size(), 2u);
    EXPECT_EQ(FrameName(ping, 1), L"g2.png");

    // Without frames nothing is painted, not even the control's own background image.
    host.Paint();
    auto centre = [&](LPCTSTR name) {
        const RECT rc = host.Manager().FindControl(name)->GetPos();
        return host.Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    };
    EXPECT_NE(centre(L"plain"), centre(L"nobar"));

    auto* acc = Find<CAccProgress>(L"acc");
    EXPECT_EQ(acc->ShownFrame(), 0) << "the value never moves, so the first frame shows";
    acc->SetAttribute(L"accpro", L"p.png");
    EXPECT_EQ(acc->ShownFrame(), -1);
}

TEST_F(AnimControls, TheAnimationStepsEverySpeedTicksAndRestartsFromTheFirstFrame)
{
    host.Load(L"<VerticalLayout><AnimImg name='ping' speed='3' anim='ping_loading/%d.png|4' height='80'/>"
              L"</VerticalLayout>");
    auto* anim = Find<CAnimImg>(L"ping");
    ASSERT_NE(anim, nullptr);
    std::vector<int> frames;
    for (int i = 0; i < 13; ++i)
    {
        Tick(anim, ANIM_TIMER_ID);
        frames.push_back(anim->GetCurFrame());
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0, 0}));
    Tick(anim, ANIM_TIMER_ID + 1);
    EXPECT_EQ(anim->GetCurFrame(), 0) << "other timers do not count";

    // Start runs on the paint manager's real timer from frame 0.
    anim->Start();
    EXPECT_EQ(anim->GetCurFrame(), 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return anim->GetCurFrame() == 2; }))
        << "the real timer advances the frames";
    host.Manager().KillTimer(anim, ANIM_TIMER_ID);
}

TEST_F(AnimControls, TheCircleTurnsBySpeedAndItsAngleStaysInOneTurn)
{
    host.Load(
        L"<VerticalLayout><CircleImage name='circle' speed='30' bkimage='ping_loading/1.png' height='80'/>"
        L"<CircleImage name='fast' height='10'/></VerticalLayout>");
    auto* circle = Find<CCircleImageUI>(L"circle");
    ASSERT_NE(circle, nullptr);
    std::vector<int> angles;
    for (int i = 0; i < 13; ++i)
    {
        Tick(circle, CIRCLE_TIMER_ID);
        angles.push_back(circle->GetAngle());
    }
    EXPECT_EQ(angles, (std::vector<int>{30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330, 360, 30}));
    host.Paint(); // a missing picture draws nothing and is not tried again

    auto* fast = Find<CCircleImageUI>(L"fast");
    fast->SetAttribute(L"speed", L"4294967295");
    for (int i = 0; i < 1000; ++i)
    {
        Tick(fast, CIRCLE_TIMER_ID);
        ASSERT_GE(fast->GetAngle(), 0);
        ASSERT_LE(fast->GetAngle(), 360);
    }
}

TEST_F(AnimControls, TheScrollingTextReentersFromTheRightAndClicksOnlyOnItsText)
{
    host.Load(L"<VerticalLayout><ScrollTextUI name='news' width='200' height='30' speed='2' "
              L"text='一条很长很长的滚动新闻标题，从右向左移动' hfont='0'/><Control/></VerticalLayout>");
    auto* news = Find<CScrollTextUI>(L"news");
    ASSERT_NE(news, nullptr);
    const int width = news->GetTextWidth();
    ASSERT_GT(width, 200) << "the text is wider than the control";
    EXPECT_EQ(news->GetOffset(), 0);
    int steps = 0;
    while (news->GetOffset() >= 0 && steps < 10000)
    {
        news->ScrollStep();
        ++steps;
    }
    EXPECT_EQ(steps, width / 2 + 1) << "two pixels a step until the offset passes the width";
    EXPECT_EQ(news->GetOffset(), -200) << "in again from the right edge";

    // Speeds beyond any text still wrap in range, backwards too.
    for (const wchar_t* speed : {L"2147483647", L"-2147483648"})
    {
        news->SetAttribute(L"speed", speed);
        for (int i = 0; i < 50; ++i)
        {
            news->ScrollStep();
            ASSERT_GE(news->GetOffset(), -200);
            ASSERT_LE(news->GetOffset(), width + 4096);
        }
    }
    news->SetText(L"短");
    EXPECT_EQ(news->GetOffset(), 0) << "a new text starts over";

    // A click on the text notifies; one below it, in the control's own area, does not.
    host.Paint();
    const RECT rc = news->GetPos();
    host.Click(rc.left + 5, (rc.top + rc.bottom) / 2);
    EXPECT_EQ(host.Count(L"click"), 1);
    host.Click(rc.right - 5, (rc.top + rc.bottom) / 2);
    EXPECT_EQ(host.Count(L"click"), 1);

    // The pointer leaves the window straight from the text: the leave comes with a point still
    // on the text, so the control waits for another one, which ends the pause.
    host.Move(rc.left + 5, (rc.top + rc.bottom) / 2);
    ASSERT_TRUE(news->IsHot());
    ::SendMessageW(host.GetHWND(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(news->IsHot()) << "scrolling resumes once the pointer is gone";
}
