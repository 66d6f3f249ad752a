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

// Blocks of a megabyte or more (a JPEG encoder's coefficients take 6 bytes a pixel) are
// mappings of their own, advised for huge pages, and go back to the system when freed. glibc
// would otherwise raise its threshold after the first such free and serve the next file's blocks
// from a per-thread heap that grows in small pages and is trimmed again after each file: most of
// a conversion's page faults. A threshold the user set in GLIBC_TUNABLES is left as it is.
void MapLargeBlocks(const std::string& userTunables)
{
    constexpr int kThreshold = 1 << 20;
    if (userTunables.find("glibc.malloc.mmap_threshold") == std::string::npos)
        ::mallopt(M_MMAP_THRESHOLD, kThreshold);
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
        MapLargeBlocks(original);
        return;
    }
    const char* current = std::getenv(kTunables);
    const std::string original = current != nullptr ? current : "-";
    if ((current != nullptr && std::string(current).find(kHugePages) != std::string::npos) ||
        argv == nullptr || argv[0] == nullptr)
    {
        MapLargeBlocks(original);
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
    MapLargeBlocks(original);
}
