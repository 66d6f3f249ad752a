#include "HugePageStart.h"

#include <cstdlib>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace
{
constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kHugePages = "glibc.malloc.hugetlb";
// Set across the one re-execution; holds the GLIBC_TUNABLES the program was started with
// ("-" when it had none). Its presence is what keeps the start from ever looping.
constexpr const char* kRestarted = "PICTAVO_HUGEPAGE_START";

void RestoreTunables(const std::string& original)
{
    if (original == "-")
        ::unsetenv(kTunables);
    else
        ::setenv(kTunables, original.c_str(), 1);
}

// A pixel cache (8 bytes a pixel) and a JPEG encoder's coefficients (6 bytes a pixel) are
// allocated and freed for every file. By default glibc maps each afresh, or takes it from a
// per-thread arena that it trims at once, so the kernel faults in and zeroes every page again:
// a tenth of a conversion's time, and contended between tabs converting at once. One arena
// that is never trimmed hands the next file the memory the last one freed; the workers give
// it back when they all fall idle (ReleaseFreedMemory). A setting the user made in
// GLIBC_TUNABLES is left as he made it.
void KeepFreedMemory(const std::string& userTunables)
{
    struct Setting
    {
        const char* tunable;
        int option;
        int value;
    };
    static constexpr Setting kSettings[] = {
        {"glibc.malloc.arena_max", M_ARENA_MAX, 1},
        {"glibc.malloc.mmap_max", M_MMAP_MAX, 0},
        {"glibc.malloc.trim_threshold", M_TRIM_THRESHOLD, -1},
    };
    for (const Setting& setting : kSettings)
    {
        if (userTunables.find(setting.tunable) == std::string::npos)
            ::mallopt(setting.option, setting.value);
    }
}
} // namespace

void StartWithHugePages(char** argv)
{
    if (const char* restarted = std::getenv(kRestarted))
    {
        // glibc has read the tunables by now; children get the environment as it was.
        const std::string original = restarted;
        ::unsetenv(kRestarted);
        RestoreTunables(original);
        KeepFreedMemory(original);
        return;
    }
    const char* current = std::getenv(kTunables);
    const std::string original = current != nullptr ? current : "-";
    if ((current != nullptr && std::string(current).find(kHugePages) != std::string::npos) ||
        argv == nullptr || argv[0] == nullptr)
    {
        KeepFreedMemory(original);
        return;
    }
    const std::string tunables =
        std::string(current != nullptr && *current != '\0' ? std::string(current) + ":" : "") + kHugePages +
        "=1";
    ::setenv(kTunables, tunables.c_str(), 1);
    ::setenv(kRestarted, original.c_str(), 1);
    ::execv("/proc/self/exe", argv);
    ::unsetenv(kRestarted);
    RestoreTunables(original);
    KeepFreedMemory(original);
}

void ReleaseFreedMemory()
{
    ::malloc_trim(0);
}
