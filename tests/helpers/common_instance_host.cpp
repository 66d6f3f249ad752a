// Test helper: one copy of a program as far as the single-instance check goes.
//   common_instance_host <MAIN|SETUP|UNINST|UPDATE> <appname> <shown|hidden|minimized> [seconds]
// Runs the program's CheckSingleInstance; a second copy prints "second" and exits 0. The first
// creates its top-level window with the program's title in the given state, prints "ready",
// pumps messages, and on an activation request prints what became of its window ("shown",
// "restored" or "raised", with "topmost" added if it stayed topmost) and exits 0. It exits 3
// when the time is up without a request. With DISPLAY set the window is a real one, and it
// stays up a moment after the report so that the display can be looked at.
#include "common/dialog/SingleInstance.h"

#include "platform/Display.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
struct Before
{
    bool visible;
    bool iconic;
};

void Report(HWND hwnd, const Before& before)
{
    const char* what = "unchanged";
    if (!before.visible && IsWindowVisible(hwnd))
        what = "shown";
    else if (before.iconic && !IsIconic(hwnd))
        what = "restored";
    else if (before.visible && !before.iconic)
        what = "raised";
    const bool topmost = (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_TOPMOST) != 0;
    std::printf("%s%s\n", what, topmost ? " topmost" : "");
    std::fflush(stdout);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA)
    {
        const Before before{IsWindowVisible(hwnd) != FALSE, IsIconic(hwnd) != FALSE};
        BOOL handled = FALSE;
        const LRESULT result = HandleActivateMessage(hwnd, wParam, lParam, handled);
        Report(hwnd, before);
        if (platform::HasDisplay())
            SetTimer(hwnd, 2, 1500, nullptr);
        else
            PostQuitMessage(0);
        return result;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool ParseProgram(const std::string& name, PictavoProgram* program)
{
    for (const ProgramTraits& row : kProgramTraits)
    {
        const char* names[] = {"MAIN", "SETUP", "UNINST", "UPDATE"};
        if (name == names[static_cast<int>(row.program)])
        {
            *program = row.program;
            return true;
        }
    }
    return false;
}

int ShowCommand(const std::string& state)
{
    if (state == "hidden")
        return SW_HIDE;
    return state == "minimized" ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}
} // namespace

int main(int argc, char** argv)
{
    PictavoProgram program{};
    if (argc < 4 || !ParseProgram(argv[1], &program))
        return 2;
    const std::wstring appName = platform::FromUtf8(argv[2]);
    const int seconds = argc > 4 ? std::atoi(argv[4]) : 20;
    platform::InitDisplayBackend();
    if (CheckSingleInstance(program, appName))
    {
        std::printf("second\n");
        return 0;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = L"InstanceHost";
    RegisterClassExW(&wc);
    const std::wstring title = ProgramWindowTitle(program, appName);
    const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP, 100, 100, 300, 200,
                                      nullptr, nullptr, nullptr, nullptr);
    if (hwnd == nullptr)
        return 1;
    ShowWindow(hwnd, ShowCommand(argv[3]));
    std::printf("ready\n");
    std::fflush(stdout);
    SetTimer(hwnd, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message == WM_TIMER)
            return msg.wParam == 2 ? 0 : 3;
        DispatchMessageW(&msg);
    }
    return 0;
}
