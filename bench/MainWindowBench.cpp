// The main window under load: 200 photos converted on one tab while the UI thread's longest
// single message is measured (goal: at most 16 ms), and the time from process start to the
// main window's first painted frame. Headless unless DISPLAY is set.
//   bench_main_window [photos=200] [width=2400] [height=1600]
#include "common/base/StringHelper.h"
#include "main/MagickDriver.h"
#include "main/MainDlg.h"
#include "main/RuntimeStart.h"

#include "platform/Display.h"
#include "platform/Win32.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace
{
// Milliseconds since the process started, from its start time in /proc (clock-tick resolution).
double SinceProcessStartMs()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const size_t close = text.rfind(')');
    std::vector<std::string> fields;
    std::string field;
    for (char c : text.substr(close + 2))
    {
        if (c == ' ')
        {
            fields.push_back(field);
            field.clear();
        }
        else
            field += c;
    }
    const double startTicks = std::stod(fields[19]); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Longest
{
    double ms = 0;
    UINT message = 0;
};

// One message through the window, timed.
bool DispatchTimed(Longest& longest, bool* painted = nullptr, HWND hwnd = nullptr)
{
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT)
        return true;
    const auto start = Clock::now();
    if (!DuiLib::CPaintManagerUI::TranslateMessage(&msg))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (ms > longest.ms)
        longest = Longest{ms, msg.message};
    if (painted != nullptr && msg.message == WM_PAINT && msg.hwnd == hwnd)
        *painted = true;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    StartWithRuntimeSettings(argv); // as the program starts, so that the start-up time includes it
    const int photos = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::string size = std::string(argc > 2 ? argv[2] : "2400") + "x" + (argc > 3 ? argv[3] : "1600");

    const bool display = platform::InitDisplayBackend();
    MagickStartup(PICTAVO_MAGICK_CONFIG_DIR);
    auto* dlg = new CMainDlg;
    dlg->Create(nullptr, L"Pictavo", 0x10CF0000, 0x60000, 0, 0, 720, 470);
    dlg->CenterWindow();
    dlg->ShowWindow(true, true);
    Longest startup;
    bool painted = false;
    while (!painted)
    {
        if (!DispatchTimed(startup, &painted, dlg->GetHWND()))
            Sleep(1);
    }
    std::printf("backend: %s\nprocess start to first painted frame: %.1f ms\n", display ? "gtk" : "headless",
                SinceProcessStartMs());

    const fs::path dir = fs::temp_directory_path() / ("pictavo-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "out");
    const std::string first = (dir / "photo0.jpg").string();
    std::system(("convert -size " + size + " plasma: -blur 0x2 -quality 92 '" + first + "'").c_str());
    std::vector<std::wstring> paths{AnsiToWide(first)};
    for (int i = 1; i < photos; ++i)
    {
        const fs::path copy = dir / ("photo" + std::to_string(i) + ".jpg");
        fs::copy_file(first, copy);
        paths.push_back(AnsiToWide(copy.string()));
    }
    dlg->SetOutDir(AnsiToWide((dir / "out").string()));
    dlg->AddFiles(TAB_NORMAL, paths);

    Longest longest;
    const auto start = Clock::now();
    size_t messages = 0;
    dlg->StartConvert(TAB_NORMAL);
    while (dlg->IsConverting(TAB_NORMAL))
    {
        if (DispatchTimed(longest))
            ++messages;
        else
            Sleep(1);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d photos of %s: %.1f s, %zu UI messages; longest message %.2f ms (message 0x%X)\n", photos,
                size.c_str(), seconds, messages, longest.ms, longest.message);
    std::printf("goal: longest message <= 16 ms: %s\n", longest.ms <= 16.0 ? "met" : "MISSED");

    DestroyWindow(dlg->GetHWND());
    fs::remove_all(dir);
    MagickShutdown();
    return 0;
}
