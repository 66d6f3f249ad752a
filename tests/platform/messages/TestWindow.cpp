#include "tests/platform/messages/TestWindow.h"

#include <algorithm>
#include <unistd.h>

namespace
{
const wchar_t* const kClassName = L"PictavoTestWindow";

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
    {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* window = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    window->seen.push_back(msg);
    if (window->handler)
        return window->handler(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterOnce()
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    (void)atom;
}
} // namespace

HWND TestWindow::Create(HWND parent, DWORD style, DWORD exStyle)
{
    RegisterOnce();
    hwnd = CreateWindowExW(exStyle, kClassName, L"test", style, 10, 20, 300, 200, parent, nullptr, nullptr,
                           this);
    return hwnd;
}

size_t TestWindow::Count(UINT msg) const
{
    return static_cast<size_t>(std::count(seen.begin(), seen.end(), msg));
}

int RunLoop()
{
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int PumpPending()
{
    int count = 0;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        DispatchMessageW(&msg);
        ++count;
    }
    return count;
}

DWORD ThisThreadId()
{
    return static_cast<DWORD>(::gettid());
}
