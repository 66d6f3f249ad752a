// Adding 10,000 files to one tab of the real main window (headless, real skin): the time from
// AddFiles until the rows are built, sorted and the window painted, then painting the list
// while it scrolls. The files need not exist: nothing is opened when files are added.

#include "main/LineListUI.h"
#include "main/MainDlg.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr int kFiles = 10000;
constexpr int kFrames = 500;
constexpr DWORD kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Paint(HWND hwnd)
{
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
}

// The default output folder is made below HOME: keep it away from the user's documents.
void UsePrivateHome()
{
    char pattern[] = "/tmp/pictavo-bench-XXXXXX";
    if (::mkdtemp(pattern) != nullptr)
    {
        ::setenv("HOME", pattern, 1);
        ::setenv("XDG_CONFIG_HOME", (std::string(pattern) + "/.config").c_str(), 1);
    }
    ::unsetenv("DISPLAY");
}
} // namespace

int main()
{
    UsePrivateHome();
    auto* dlg = new CMainDlg; // deletes itself when its window is gone
    const HWND hwnd = dlg->Create(nullptr, L"Pictavo", kMainStyle, 0, 0, 0, 1000, 640);
    if (hwnd == nullptr)
    {
        std::fprintf(stderr, "main window not created\n");
        return 1;
    }
    Paint(hwnd);
    std::vector<std::wstring> paths;
    paths.reserve(kFiles);
    for (int i = 0; i < kFiles; ++i)
        paths.push_back(L"/home/user/Pictures/camera/IMG_" + std::to_wstring(100000 + i) + L".JPG");

    auto start = std::chrono::steady_clock::now();
    dlg->AddFiles(TAB_NORMAL, paths);
    const double added = Milliseconds(std::chrono::steady_clock::now() - start);
    Paint(hwnd);
    const double painted = Milliseconds(std::chrono::steady_clock::now() - start);

    CLineListUI* list = dlg->GetTabList(TAB_NORMAL);
    const int rows = list->GetCount();
    start = std::chrono::steady_clock::now();
    int position = 0;
    for (int frame = 0; frame < kFrames; ++frame)
    {
        position = (position + 37) % (list->GetScrollRange() + 1);
        list->SetScrollPos(position);
        ::UpdateWindow(hwnd);
    }
    const double frames = Milliseconds(std::chrono::steady_clock::now() - start);

    start = std::chrono::steady_clock::now();
    dlg->ClearList(TAB_NORMAL);
    Paint(hwnd);
    const double cleared = Milliseconds(std::chrono::steady_clock::now() - start);

    std::printf("files %d, one tab, window 1000x640 headless\n", kFiles);
    std::printf("AddFiles (items, rows, sort): %.1f ms\n", added);
    std::printf("AddFiles until painted: %.1f ms\n", painted);
    std::printf("scroll + paint: %.3f ms per frame over %d frames\n", frames / kFrames, kFrames);
    std::printf("ClearList until painted: %.1f ms\n", cleared);
    std::printf("rows after AddFiles: %d\n", rows);
    ::DestroyWindow(hwnd);
    return 0;
}
