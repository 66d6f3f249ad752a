#include "tests/e2e/RecordingWindow.h"

#include "platform/Gdi.h"
#include "platform/Input.h"

#include <chrono>

namespace e2e
{
namespace
{
constexpr wchar_t kClass[] = L"PictavoE2eWindow";

void RegisterOnce()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &DefWindowProcW;
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

void SetSource(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                         ((color >> 16) & 0xFF) / 255.0);
}
} // namespace

RecordingWindow::RecordingWindow(const std::wstring& title, int x, int y, int width, int height,
                                 COLORREF fill, DWORD exStyle, DWORD style)
    : m_fill(fill)
{
    RegisterOnce();
    m_hwnd = CreateWindowExW(exStyle, kClass, title.c_str(), style, x, y, width, height, nullptr, nullptr,
                             nullptr, nullptr);
    if (m_hwnd == nullptr)
        return;
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingWindow::Proc));
}

RecordingWindow::~RecordingWindow()
{
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    PumpFor(50); // lets GTK take the native window down
}

const Received* RecordingWindow::Find(UINT msg, size_t from) const
{
    for (size_t i = from; i < m_received.size(); ++i)
    {
        if (m_received[i].msg == msg)
            return &m_received[i];
    }
    return nullptr;
}

size_t RecordingWindow::Count(UINT msg) const
{
    size_t count = 0;
    for (const Received& r : m_received)
        count += r.msg == msg ? 1 : 0;
    return count;
}

std::wstring RecordingWindow::Typed() const
{
    std::wstring text;
    for (const Received& r : m_received)
    {
        if (r.msg == WM_CHAR)
            text += static_cast<wchar_t>(r.wParam);
    }
    return text;
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self != nullptr ? self->Handle(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT RecordingWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    m_received.push_back(Received{msg, wParam, lParam});
    switch (msg)
    {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_NCHITTEST: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(m_hwnd, &point);
        return point.y < m_captionHeight ? HTCAPTION : HTCLIENT;
    }
    default:
        return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
}

void RecordingWindow::Paint()
{
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(m_hwnd, &ps);
    if (dc == nullptr)
        return;
    cairo_t* cr = platform::CairoOf(dc);
    SetSource(cr, m_fill);
    cairo_paint(cr);
    EndPaint(m_hwnd, &ps);
}

namespace
{
// Waits in GetMessageW for the next message and delivers it. One at a time: a timer slower than
// its period is always due again, so draining the queue would never end.
void PumpNext()
{
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}
} // namespace

::testing::AssertionResult PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    // A thread timer keeps GetMessageW from sleeping past the deadline.
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    auto result = testsupport::PumpUntil(done, timeoutMs, PumpNext);
    KillTimer(nullptr, timer);
    return result;
}

void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}
} // namespace e2e
