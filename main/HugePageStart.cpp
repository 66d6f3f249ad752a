#include "HugePageStart.h"

#include <cstdlib>
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
} // namespace

void StartWithHugePages(char** argv)
{
    if (const char* restarted = std::getenv(kRestarted))
    {
        // glibc has read the tunables by now; children get the environment as it was.
        const std::string original = restarted;
        ::unsetenv(kRestarted);
        RestoreTunables(original);
        return;
    }
    const char* current = std::getenv(kTunables);
    const std::string original = current != nullptr ? current : "-";
    if (current != nullptr && std::string(current).find(kHugePages) != std::string::npos)
        return;
    if (argv == nullptr || argv[0] == nullptr)
        return;
    const std::string tunables =
        std::string(current != nullptr && *current != '\0' ? std::string(current) + ":" : "") + kHugePages +
        "=1";
    ::setenv(kTunables, tunables.c_str(), 1);
    ::setenv(kRestarted, original.c_str(), 1);
    ::execv("/proc/self/exe", argv);
    ::unsetenv(kRestarted);
    RestoreTunables(original);
}
