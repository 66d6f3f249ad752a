#include "RuntimeStart.h"

#include "UsableCores.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kHugePages = "glibc.malloc.hugetlb";
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

std::string WantedTunables(const char* current)
{
    if (current != nullptr && std::string(current).find(kHugePages) != std::string::npos)
        return std::string(); // the user's own choice
    const std::string others = current != nullptr && *current != '\0' ? std::string(current) + ":" : "";
    return others + kHugePages + "=1";
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
