#include "RuntimeStart.h"

#include "UsableCores.h"

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>

namespace
{
constexpr const char* kTunables = "GLIBC_TUNABLES";
// Huge pages for the heap; and glibc's mmap threshold held at its starting value (128 KiB).
// glibc raises the threshold after each large block it frees, so the buffers the codecs take
// afresh for every file (libjpeg's coefficients, a PNG's rows: up to 72 MiB for 12 megapixels)
// would move into the worker threads' heaps, which are grown and trimmed page by page around
// every file; held apart, each is a mapping of its own in huge pages, given back whole.
constexpr std::pair<const char*, const char*> kOurTunables[] = {
    {"glibc.malloc.hugetlb", "1"},
    {"glibc.malloc.mmap_threshold", "131072"},
};
constexpr const char* kThreads = "OMP_NUM_THREADS";
constexpr int kThreadsPerCore = 4;
// "-" stands for a variable the program was started without.
constexpr const char* kUnset = "-";

// A variable the program sets for its own start. Across the one re-execution its marker holds
// the value the program was started with; the markers' presence is what keeps the start from
// ever looping.
struct StartVariable
{
    const char* name;
    const char* marker;
    // The value to start with, or empty when the current one stands.
    std::string (*wanted)(const char* current);
};

// Appends each of the program's tunables that the user's own do not name.
std::string WantedTunables(const char* current)
{
    std::string tunables = current != nullptr ? current : "";
    bool added = false;
    for (const auto& [name, value] : kOurTunables)
    {
        if (tunables.find(name) != std::string::npos)
            continue; // the user's own choice
        tunables += std::string(tunables.empty() ? "" : ":") + name + "=" + value;
        added = true;
    }
    return added ? tunables : std::string();
}

std::string WantedThreads(const char* current)
{
    return current != nullptr ? std::string() : std::to_string(RuntimeThreadCount());
}

constexpr StartVariable kVariables[] = {
    {kTunables, "PICTAVO_START_TUNABLES", WantedTunables},
    {kThreads, "PICTAVO_START_THREADS", WantedThreads},
};

void Restore(const char* name, const std::string& original)
{
    if (original == kUnset)
        ::unsetenv(name);
    else
        ::setenv(name, original.c_str(), 1);
}

// After the re-execution: the libraries have read the settings; children get the environment
// as it was. Returns false when this is the first start.
bool RestoreAfterRestart()
{
    bool restarted = false;
    for (const StartVariable& variable : kVariables)
    {
        if (const char* original = std::getenv(variable.marker))
        {
            Restore(variable.name, original);
            ::unsetenv(variable.marker);
            restarted = true;
        }
    }
    return restarted;
}

// Sets every variable that needs it, with its marker; returns whether any did.
bool SetForRestart()
{
    bool changed = false;
    for (const StartVariable& variable : kVariables)
    {
        const char* current = std::getenv(variable.name);
        const std::string wanted = variable.wanted(current);
        if (wanted.empty())
            continue;
        ::setenv(variable.marker, current != nullptr ? current : kUnset, 1);
        ::setenv(variable.name, wanted.c_str(), 1);
        changed = true;
    }
    return changed;
}
} // namespace

int RuntimeThreadCount()
{
    return kThreadsPerCore * UsableCores();
}

void StartWithRuntimeSettings(char** argv)
{
    if (RestoreAfterRestart() || argv == nullptr || argv[0] == nullptr || !SetForRestart())
        return;
    ::execv("/proc/self/exe", argv);
    RestoreAfterRestart();
}
