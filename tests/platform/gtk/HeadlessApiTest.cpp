// Without a display the window services keep their state as data, for the framework's tests.
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/Layered.h"
#include "platform/MessageBox.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<UINT> g_seen;

LRESULT CALLBACK Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back(msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class HeadlessApiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &Record;
            wc.lpszClassName = L"PictavoHeadlessApi";
            return RegisterClassExW(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_seen.clear();
        platform::headless::ClearMessageBoxCalls();
        platform::headless::SetMessageBoxAnswer(0);
    }

    HWND Make(DWORD exStyle = 0, int x = 100, int y = 50)
    {
        HWND hwnd = CreateWindowExW(exStyle, L"PictavoHeadlessApi", L"t", WS_POPUP, x, y, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
        m_windows.push_back(hwnd);
        return hwnd;
    }

    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            DestroyWindow(hwnd);
    }

    std::vector<HWND> m_windows;
};

TEST_F(HeadlessApiTest, NoDisplayMeansHeadless)
{
    EXPECT_FALSE(platform::InitDisplayBackend()) << "the test main unsets DISPLAY";
    EXPECT_FALSE(platform::HasDisplay());
    EXPECT_FALSE(platform::IsCompositing());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right, 1920);
    EXPECT_EQ(work.bottom, 1080);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
    EXPECT_FALSE(SystemParametersInfoW(0x1234, 0, &work, 0));
}

TEST_F(HeadlessApiTest, MessageBoxesAreRecordedAndAnswerTheirDefaultButton)
{
    const HWND owner = Make();
    EXPECT_EQ(MessageBoxW(owner, L"完成", L"Pictavo", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"again?", nullptr, MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, L"sure?", nullptr, MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, L"x", nullptr, MB_OKCANCEL | MB_DEFBUTTON3), IDCANCEL)
        << "a default past the last button is the last one";
    EXPECT_EQ(MessageBoxW(nullptr, L"x", nullptr, 0xF), 0) << "unknown button sets are refused";
    platform::headless::SetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, L"x", nullptr, MB_OKCANCEL), IDCANCEL);

    const auto calls = platform::headless::MessageBoxCalls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].owner, owner);
    EXPECT_EQ(calls[0].text, L"完成");
    EXPECT_EQ(calls[0].caption, L"Pictavo");
    EXPECT_EQ(calls[1].caption, L"Error") << "Windows' caption for a null one";
    EXPECT_EQ(calls[1].type, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(HeadlessApiTest, LayeredAttributesNeedALayeredWindowAndAreKept)
{
    const HWND plain = Make();
    EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 100, LWA_ALPHA));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    const HWND layered = Make(WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 99;
    ASSERT_TRUE(GetLayeredWindowAttributes(layered, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(flags, 0u);
    ASSERT_TRUE(SetLayeredWindowAttributes(layered, 0x00FF00, 77, LWA_ALPHA | LWA_COLORKEY));
    COLORREF key = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(layered, &key, &alpha, &flags));
    EXPECT_EQ(key, 0x00FF00u);
    EXPECT_EQ(alpha, 77);
    EXPECT_EQ(flags, LWA_ALPHA | LWA_COLORKEY);
    EXPECT_FALSE(GetLayeredWindowAttributes(reinterpret_cast<HWND>(0x7777), nullptr, &alpha, nullptr));
}

TEST_F(HeadlessApiTest, CaptureMovesBetweenWindowsAndEndsWithThem)
{
    const HWND first = Make();
    const HWND second = Make();
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(GetCapture(), first);
    g_seen.clear();
    EXPECT_EQ(SetCapture(second), first);
    EXPECT_EQ(g_seen, std::vector<UINT>{WM_CAPTURECHANGED}) << "the loser hears of it";
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    SetCapture(second);
    DestroyWindow(second);
    EXPECT_EQ(GetCapture(), nullptr) << "a destroyed window holds nothing";
    EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(0x7777)), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(HeadlessApiTest, TrackingIsQueriedAndCancelled)
{
    const HWND hwnd = Make();
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_HOVER, hwnd, HOVER_DEFAULT};
    ASSERT_TRUE(TrackMouseEvent(&track));
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, hwnd, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.dwFlags, TME_LEAVE | TME_HOVER);
    EXPECT_EQ(query.dwHoverTime, 400u);
    TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_HOVER, hwnd, 0};
    ASSERT_TRUE(TrackMouseEvent(&cancel));
    query.dwFlags = TME_QUERY; // a query overwrites the flags with the answer
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.dwFlags, TME_LEAVE);
    TRACKMOUSEEVENT wrong{0, TME_LEAVE, hwnd, 0};
    EXPECT_FALSE(TrackMouseEvent(&wrong));
    EXPECT_FALSE(TrackMouseEvent(nullptr));
}

TEST_F(HeadlessApiTest, CursorsCoordinatesAndIcons)
{
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(arrow, nullptr);
    EXPECT_NE(arrow, hand);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(hand), arrow);
    EXPECT_EQ(GetCursor(), hand);

    ASSERT_TRUE(SetCursorPos(321, 123));
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 321);
    EXPECT_EQ(cursor.y, 123);

    const HWND hwnd = Make(0, 100, 50);
    POINT point{130, 70};
    ASSERT_TRUE(ScreenToClient(hwnd, &point));
    EXPECT_EQ(point.x, 30);
    EXPECT_EQ(point.y, 20);
    ASSERT_TRUE(ClientToScreen(hwnd, &point));
    EXPECT_EQ(point.x, 130);
    EXPECT_FALSE(ScreenToClient(reinterpret_cast<HWND>(0x7777), &point));

    const unsigned char junk[] = {0x89, 'P', 'N', 'G', 0, 1, 2};
    EXPECT_FALSE(platform::SetWindowIconFromImage(hwnd, junk, sizeof junk));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(platform::SetWindowIconFromImage(hwnd, nullptr, 0));
    EXPECT_TRUE(SetForegroundWindow(hwnd));
}
} // namespace
