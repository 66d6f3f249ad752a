// Applies a 50 MB update package of 500 files with the real updater, from its start to the
// restarted Pictavo's window, against Debian's `unzip -o` of the same package, in one run.
// Headless; the updater's fixed pauses are set to 0 (PICTAVO_TEST_PAUSE_MS), so the time is the
// work itself: stopping programs, unpacking and checking into the staging folder, the journaled
// moves, the version records, removing the package folder and starting Pictavo.
// Usage: bench_update [work folder]
#include "common/install/RegSettings.h"

#include "platform/Utf.h"
#include "platform/WindowFinder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace
{
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 500;
constexpr size_t kTotalBytes = 50 * 1000 * 1000;
constexpr int kRounds = 3;

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Half random bytes, half text, so the package compresses like a real one.
void MakeSources(const fs::path& folder)
{
    std::mt19937_64 random(20261209);
    for (int i = 0; i < kFiles; ++i)
    {
        std::string bytes(kTotalBytes / kFiles, '\0');
        for (size_t k = 0; k < bytes.size(); ++k)
            bytes[k] = i % 2 == 0 ? static_cast<char>(random()) : "pixel row 0 12 255 128 64\n"[k % 26];
        WriteFile(folder / ("part" + std::to_string(i / 50)) / ("file" + std::to_string(i) + ".dat"), bytes);
    }
}

int Run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int Wait(int pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void MakeInstall(const fs::path& install, const fs::path& package)
{
    fs::remove_all(install);
    fs::create_directories(install / "magick");
    for (const auto& [from, name] :
         std::vector<std::pair<std::string, std::string>>{{PICTAVO_PROGRAM, "Pictavo"},
                                                          {PICTAVO_UPDATE_PROGRAM, "Update"},
                                                          {PICTAVO_UI_LIBRARY, "libDuiLib.so"}})
        fs::copy_file(from, install / name);
    fs::copy_file(std::string(PICTAVO_MAGICK_CONFIG_DIR) + "/policy.xml", install / "magick/policy.xml");
    WriteFile(install / "config.ini", "[CONFIG]\nLogLevel=1\n");
    fs::create_directories(install / "UpdatePackage");
    fs::copy_file(package, install / "UpdatePackage/Update.zip");
    WriteFile(install / "UpdatePackage/update.ini", "[CONFIG]\nversion_str=2.0.0.0\n");
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    reg.SetValue(L"appname", L"Pictavo");
    reg.SetValue(L"version_str", L"1.0.0.0");
    reg.SetValue(L"installDir", platform::FromUtf8(install.string()).c_str());
}

// Ends the process running program (the restarted Pictavo, which is not our child).
void EndProgram(const fs::path& program)
{
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        std::error_code ec;
        if (fs::read_symlink(entry.path() / "exe", ec) == program)
            ::kill(std::atoi(entry.path().filename().c_str()), SIGKILL);
    }
}

// Seconds from the updater's start until the restarted Pictavo shows its window.
double TimeUpdater(const fs::path& install, const fs::path& temp)
{
    const fs::path copy = temp / "PictavoUpdate";
    fs::remove_all(copy);
    fs::create_directories(copy);
    fs::copy_file(install / "Update", copy / "Update");
    fs::copy_file(install / "libDuiLib.so", copy / "libDuiLib.so");
    const auto start = Clock::now();
    const int updater = Run({(copy / "Update").string(), install.string()});
    while (FindWindowW(nullptr, L"Pictavo") == nullptr)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Wait(updater);
    EndProgram(install / "Pictavo");
    while (FindWindowW(nullptr, L"Pictavo") != nullptr)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!fs::exists(install / "part9/file499.dat") || fs::exists(install / "UpdatePackage"))
        std::fprintf(stderr, "the update did not apply\n");
    return seconds;
}

double TimeUnzip(const fs::path& package, const fs::path& target)
{
    fs::remove_all(target);
    const auto start = Clock::now();
    Wait(Run({"unzip", "-qo", package.string(), "-d", target.string()}));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/bench-update-XXXXXX";
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::path(::mkdtemp(pattern));
    for (const char* sub : {"home", "tmp", "state", "runtime"})
        fs::create_directories(work / sub);
    fs::permissions(work / "runtime", fs::perms::owner_all);
    ::setenv("HOME", (work / "home").c_str(), 1);
    ::setenv("TMPDIR", (work / "tmp/").c_str(), 1);
    ::setenv("PICTAVO_STATE_DIR", (work / "state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (work / "runtime").c_str(), 1);
    ::setenv("PICTAVO_TEST_PAUSE_MS", "0", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");

    MakeSources(work / "src");
    const fs::path package = work / "Update.zip";
    Wait(Run({"sh", "-c", "cd '" + (work / "src").string() + "' && zip -qr '" + package.string() + "' ."}));

    std::vector<double> updater;
    std::vector<double> unzip;
    for (int round = 0; round < kRounds; ++round)
    {
        MakeInstall(work / "install", package);
        updater.push_back(TimeUpdater(work / "install", work / "tmp"));
        unzip.push_back(TimeUnzip(package, work / "unzipped"));
    }
    const double a = Median(updater);
    const double b = Median(unzip);
    std::printf("package: %d files, %.1f MB unpacked, %.1f MB zipped\n", kFiles, kTotalBytes / 1e6,
                fs::file_size(package) / 1e6);
    std::printf("updater, start to restarted Pictavo (median of %d): %.3f s\n", kRounds, a);
    std::printf("unzip -o of the same package (median of %d):        %.3f s\n", kRounds, b);
    std::printf("ratio updater / unzip: %.2f\n", a / b);
    if (argc <= 1)
        fs::remove_all(work);
    return 0;
}
