// Painting headless windows: update regions become exactly one WM_PAINT, and what the window
// procedure paints is readable through the window's surface.
#include "tests/platform/gdi/Canvas.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace
{
struct PaintLog
{
    std::vector<RECT> painted;
    std::vector<UINT> order;
    bool validate = true;
    COLORREF fill = RGB(0, 128, 0);
};
PaintLog* g_log = nullptr;

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_log != nullptr && (msg == WM_PAINT || msg == WM_TIMER || msg == WM_USER))
        g_log->order.push_back(msg);
    if (msg != WM_PAINT || g_log == nullptr || !g_log->validate)
        return msg == WM_PAINT ? 0 : DefWindowProcW(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(hwnd, &ps);
    g_log->painted.push_back(ps.rcPaint);
    cairo_t* cr = platform::CairoOf(dc);
    const COLORREF c = g_log->fill;
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
    cairo_paint(cr); // clipped to the update region
    EndPaint(hwnd, &ps);
    return 0;
}

class Paint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_log = &m_log;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PaintProc;
        wc.lpszClassName = L"GdiPaintTestWindow";
        RegisterClassExW(&wc); // once per process; later calls find it registered
        m_hwnd = CreateWindowExW(0, L"GdiPaintTestWindow", L"", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hwnd);
        Pump();
        m_log = PaintLog{};
    }
    void TearDown() override
    {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
        Pump();
        g_log = nullptr;
    }
    // Dispatches what is there; a WM_PAINT that never gets validated stops it at the limit.
    int Pump(int limit = 100)
    {
        MSG msg;
        int count = 0;
        while (count < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            DispatchMessageW(&msg);
            ++count;
        }
        return count;
    }
    uint32_t Pixel(int x, int y) { return gditest::PixelAt(platform::headless::WindowSurface(m_hwnd), x, y); }

    PaintLog m_log;
    HWND m_hwnd = nullptr;
};

TEST_F(Paint, InvalidRectangleGivesExactlyOnePaint)
{
    const RECT a{10, 10, 30, 20};
    const RECT b{20, 15, 50, 40};
    ASSERT_TRUE(InvalidateRect(m_hwnd, &a, FALSE));
    ASSERT_TRUE(InvalidateRect(m_hwnd, &b, FALSE));
    Pump();
    ASSERT_EQ(1u, m_log.painted.size());
    const RECT& paint = m_log.painted[0];
    EXPECT_EQ(10, paint.left);
    EXPECT_EQ(10, paint.top);
    EXPECT_EQ(50, paint.right);
    EXPECT_EQ(40, paint.bottom);
    // Nothing invalid: no more WM_PAINT, and the queue stays empty.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(1u, m_log.painted.size());
}

TEST_F(Paint, PaintedPixelsAreClippedToTheUpdateRegion)
{
    const RECT a{10, 10, 20, 20};
    const RECT b{40, 40, 50, 50};
    m_log.fill = RGB(0, 0, 255); // the first (whole-window) paint at showing was green
    InvalidateRect(m_hwnd, &a, FALSE);
    InvalidateRect(m_hwnd, &b, FALSE);
    Pump();
    cairo_surface_t* surface = platform::headless::WindowSurface(m_hwnd);
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(120, cairo_image_surface_get_width(surface));
    EXPECT_EQ(80, cairo_image_surface_get_height(surface));
    EXPECT_EQ(0xFF0000FFu, Pixel(15, 15));
    EXPECT_EQ(0xFF0000FFu, Pixel(45, 45));
    // Inside the bounding box but outside both rectangles.
    EXPECT_EQ(0xFF008000u, Pixel(30, 30));
}

TEST_F(Paint, WholeWindowAndClientClipping)
{
    InvalidateRect(m_hwnd, nullptr, TRUE);
    const RECT outside{100, 60, 500, 500};
    InvalidateRect(m_hwnd, &outside, FALSE);
    Pump();
    ASSERT_EQ(1u, m_log.painted.size());
    EXPECT_EQ(120, m_log.painted[0].right);
    EXPECT_EQ(80, m_log.painted[0].bottom);
    // A rectangle entirely outside the client area invalidates nothing.
    const RECT far{200, 200, 300, 300};
    InvalidateRect(m_hwnd, &far, FALSE);
    EXPECT_EQ(0, Pump());
}

TEST_F(Paint, ValidateRectRemovesThePaint)
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    const RECT left{0, 0, 60, 80};
    ValidateRect(m_hwnd, &left);
    Pump();
    ASSERT_EQ(1u, m_log.painted.size());
    EXPECT_EQ(60, m_log.painted[0].left);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    ValidateRect(m_hwnd, nullptr);
    EXPECT_EQ(0, Pump());
}

TEST_F(Paint, PaintComesAfterPostedMessagesAndBeforeTimers)
{
    SetTimer(m_hwnd, 1, 10, nullptr);
    MSG due;
    ASSERT_TRUE(
        testsupport::WaitUntil([&] { return PeekMessageW(&due, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE); }));
    InvalidateRect(m_hwnd, nullptr, FALSE);
    PostMessageW(m_hwnd, WM_USER, 0, 0);
    MSG msg;
    for (int i = 0; i < 3 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&msg);
    KillTimer(m_hwnd, 1);
    ASSERT_EQ(3u, m_log.order.size());
    EXPECT_EQ(WM_USER, m_log.order[0]);
    EXPECT_EQ(WM_PAINT, m_log.order[1]);
    EXPECT_EQ(WM_TIMER, m_log.order[2]);
}

TEST_F(Paint, UnpaintedWindowKeepsAskingAndPeekNoRemoveLeavesIt)
{
    m_log.validate = false;
    InvalidateRect(m_hwnd, nullptr, FALSE);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m_hwnd, msg.hwnd);
    EXPECT_EQ(WM_PAINT, msg.message);
    // As on Windows, WM_PAINT stays until the window is validated.
    EXPECT_EQ(5, Pump(5));
    ValidateRect(m_hwnd, nullptr);
    EXPECT_EQ(0, Pump());
}

TEST_F(Paint, FiltersApply)
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_TRUE(PeekMessageW(&msg, m_hwnd, 0, 0, PM_NOREMOVE));
    ValidateRect(m_hwnd, nullptr);
}

TEST_F(Paint, UpdateWindowPaintsNow)
{
    EXPECT_TRUE(UpdateWindow(m_hwnd));
    EXPECT_TRUE(m_log.painted.empty());
    InvalidateRect(m_hwnd, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(m_hwnd));
    EXPECT_EQ(1u, m_log.painted.size());
    EXPECT_EQ(0, Pump());
}

TEST_F(Paint, ResizedWindowPaintsAtItsNewSize)
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    Pump();
    ASSERT_TRUE(SetWindowPos(m_hwnd, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER));
    Pump();
    m_log.painted.clear();
    m_log.fill = RGB(0, 0, 255);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    Pump();
    ASSERT_EQ(1u, m_log.painted.size());
    EXPECT_EQ(200, m_log.painted[0].right);
    EXPECT_EQ(150, m_log.painted[0].bottom);
    cairo_surface_t* surface = platform::headless::WindowSurface(m_hwnd);
    EXPECT_EQ(200, cairo_image_surface_get_width(surface));
    EXPECT_EQ(0xFF0000FFu, Pixel(190, 140));
    // Shrinking keeps what fits.
    SetWindowPos(m_hwnd, nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER);
    const HDC dc = GetDC(m_hwnd);
    EXPECT_EQ(1, ReleaseDC(m_hwnd, dc));
    EXPECT_EQ(50, cairo_image_surface_get_width(platform::headless::WindowSurface(m_hwnd)));
    EXPECT_EQ(0xFF0000FFu, Pixel(10, 10));
}

TEST_F(Paint, GetDcDrawsOutsidePaint)
{
    const HDC dc = GetDC(m_hwnd);
    ASSERT_NE(nullptr, dc);
    SetBkMode(dc, TRANSPARENT);
    RECT rect{0, 0, 120, 80};
    DrawTextW(dc, L"转换失败", -1, &rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    ReleaseDC(m_hwnd, dc);
    const gditest::Ink ink = gditest::InkOf(platform::headless::WindowSurface(m_hwnd));
    EXPECT_TRUE(ink.any);
    EXPECT_NEAR(60, (ink.left + ink.right) / 2, 3);
    // The screen device context measures.
    const HDC screen = GetDC(nullptr);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(screen, L"abc", 3, &size));
    EXPECT_GT(size.cx, 0);
    ReleaseDC(nullptr, screen);
}

TEST_F(Paint, DestroyedWindowLeavesNoPaintBehind)
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    DestroyWindow(m_hwnd);
    EXPECT_EQ(nullptr, platform::headless::WindowSurface(m_hwnd));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
    EXPECT_FALSE(InvalidateRect(m_hwnd, nullptr, FALSE));
    PAINTSTRUCT ps;
    EXPECT_EQ(nullptr, BeginPaint(m_hwnd, &ps));
}

TEST_F(Paint, InvalidationFromAnotherThreadWakesTheOwner)
{
    // The invalidation comes once the owner sleeps in GetMessageW.
    std::thread other([&, owner = testsupport::ThreadId()] {
        testsupport::AwaitBlocked({owner});
        InvalidateRect(m_hwnd, nullptr, FALSE);
    });
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_PAINT, msg.message);
    DispatchMessageW(&msg);
    other.join();
    EXPECT_EQ(1u, m_log.painted.size());
}

TEST_F(Paint, EraseAsksTheWindowFirst)
{
    InvalidateRect(m_hwnd, nullptr, TRUE);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
    PAINTSTRUCT ps{};
    BeginPaint(m_hwnd, &ps);
    // DefWindowProcW leaves WM_ERASEBKGND unanswered, so painting must erase.
    EXPECT_TRUE(ps.fErase);
    EndPaint(m_hwnd, &ps);
}
} // namespace

TEST_F(Paint, ShowingOrResizingPaintsTheWholeWindow)
{
    const HWND hidden = CreateWindowExW(0, L"GdiPaintTestWindow", L"", WS_POPUP, 0, 0, 60, 40, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hidden);
    Pump();
    ShowWindow(hidden, SW_SHOW);
    Pump();
    ASSERT_EQ(1u, m_log.painted.size());
    EXPECT_EQ(60, m_log.painted[0].right);
    EXPECT_EQ(40, m_log.painted[0].bottom);
    SetWindowPos(hidden, nullptr, 0, 0, 90, 70, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    ASSERT_EQ(2u, m_log.painted.size());
    EXPECT_EQ(90, m_log.painted[1].right);
    SetWindowPos(hidden, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER); // a move alone: nothing
    Pump();
    EXPECT_EQ(2u, m_log.painted.size());
    DestroyWindow(hidden);
}

namespace
{
LRESULT CALLBACK DefaultPaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

TEST_F(Paint, DefaultWindowProcedureEndsThePaint)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefaultPaintProc;
    wc.lpszClassName = L"GdiDefaultPaintWindow";
    RegisterClassExW(&wc);
    const HWND hwnd = CreateWindowExW(0, L"GdiDefaultPaintWindow", L"", WS_POPUP | WS_VISIBLE, 0, 0, 30, 30,
                                      nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hwnd);
    Pump();
    InvalidateRect(hwnd, nullptr, FALSE);
    EXPECT_EQ(1, Pump()); // one WM_PAINT, then no more
    DestroyWindow(hwnd);
}
