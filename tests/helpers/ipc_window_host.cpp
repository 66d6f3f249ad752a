// Test helper: a headless top-level window of another process.
//   ipc_window_host <title> <report file> <answer> <pump|block> [seconds to live]
// Creates a window titled <title>, prints "ready" once the window can be found, then pumps
// messages (or, with "block", sleeps without pumping) until WM_CLOSE or the time is up. Each
// WM_COPYDATA is answered with <answer> and appended to the report file as one line:
// "wParam=<n> lParam=<null|set> dwData=<n> cbData=<n> lpData=<null|set> data=<bytes>".
#include "platform/Messages.h"
#include "platform/Utf.h"
#include "platform/Window.h"
#include "platform/WindowFinder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace
{
std::string g_report;
LRESULT g_answer = 0;

void Report(WPARAM wParam, const COPYDATASTRUCT* copy)
{
    std::FILE* file = std::fopen(g_report.c_str(), "a");
    if (file == nullptr)
        return;
    std::fprintf(file, "wParam=%lu lParam=%s", static_cast<unsigned long>(wParam), copy ? "set" : "null");
    if (copy != nullptr)
    {
        std::fprintf(file, " dwData=%lu cbData=%u lpData=%s data=", static_cast<unsigned long>(copy->dwData),
                     copy->cbData, copy->lpData ? "set" : "null");
        if (copy->lpData != nullptr)
            std::fwrite(copy->lpData, 1, copy->cbData, file);
    }
    std::fputc('\n', file);
    std::fclose(file);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA)
    {
        Report(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return g_answer;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    g_report = argv[2];
    g_answer = std::atol(argv[3]);
    const bool pump = std::string(argv[4]) == "pump";
    const int seconds = argc > 5 ? std::atoi(argv[5]) : 30;
    const std::wstring title = platform::FromUtf8(argv[1]);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = L"PictavoHostWindow";
    RegisterClassExW(&wc);
    const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      nullptr, nullptr, nullptr, nullptr);
    if (hwnd == nullptr || FindWindowW(nullptr, title.c_str()) != hwnd)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    if (!pump)
    {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        return 0;
    }
    SetTimer(hwnd, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message == WM_TIMER)
            DestroyWindow(hwnd);
        DispatchMessageW(&msg);
    }
    return 0;
}
