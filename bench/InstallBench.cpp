// Installs the release payload (dist/PictavoInstaller and the library beside it) with the
// setup's install worker into a fresh folder, five times, each with its own HOME and state
// folder, and prints each time and the median: copy, machine id, library, registry values,
// rule and desktop entries, without the window. Usage: bench_install <dist folder>
#include "setup/InstallMgr.h"

#include "platform/Utf.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 2 || !fs::is_directory(fs::path(argv[1]) / "PictavoInstaller"))
    {
        std::fprintf(stderr, "usage: bench_install <dist folder with PictavoInstaller/>\n");
        return 2;
    }
    const fs::path dist = fs::absolute(argv[1]);
    const fs::path work = fs::temp_directory_path() / ("pictavo-bench-install-" + std::to_string(::getpid()));
    ::setenv("PICTAVO_USER_FOLDERS", "1", 1);
    fs::current_path(dist);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run)
    {
        const fs::path root = work / std::to_string(run);
        fs::create_directories(root / "home");
        fs::create_directories(root / "state");
        fs::create_directories(root / "Pictavo");
        ::setenv("HOME", (root / "home").c_str(), 1);
        ::setenv("PICTAVO_STATE_DIR", (root / "state").c_str(), 1);
        CInstallMgr worker;
        worker.SetInstallDir(platform::FromUtf8((root / "Pictavo").string()));
        const auto start = std::chrono::steady_clock::now();
        worker.IntallSoftware();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!fs::exists(root / "Pictavo" / "install.manifest"))
        {
            std::fprintf(stderr, "run %d did not install\n", run);
            return 1;
        }
        times.push_back(ms);
        std::printf("run %d: %.1f ms\n", run, ms);
    }
    fs::remove_all(work);
    std::sort(times.begin(), times.end());
    std::printf("median install of the payload: %.1f ms\n", times[times.size() / 2]);
    return 0;
}
