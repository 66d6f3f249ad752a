#include "main/RuntimeStart.h"

#include "main/UsableCores.h"

#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{
constexpr const char* kTunables = "GLIBC_TUNABLES";
// glibc's mmap threshold held at 1 MiB. glibc raises the threshold after each large block it
// frees, so the buffers the codecs take afresh for every file (libjpeg's coefficients, a PNG's
// rows: up to 72 MiB for 12 megapixels) would move into the worker threads' heaps, which are
// grown and trimmed around every file; held apart, each is a mapping of its own, given back
// whole. Row buffers stay below it: ImageMagick takes one for each of its threads for every row
// of some steps (about 11 bytes a pixel of the row: 132 KiB for a 12000-pixel row, 720 KiB at
// the widest image it accepts). Held at 128 KiB, each of those was a mapping made, faulted in
// and unmapped again, row by row and thread by thread: a 108-megapixel scan to PNG took 288,000
// mmap and munmap calls and 33 s of system time. The trim threshold (32 MiB, above a row for
// each of 32 threads at the widest) keeps that memory at the top of a heap from one row to the
// next instead of giving it back every time.
// The heap is not advised for huge pages (glibc.malloc.hugetlb): its mappings are made afresh
// for every file, and each huge page the kernel then hands out is zeroed whole on first touch.
// That zeroing took four to five times the system time of ordinary pages (a 12-megapixel JPEG
// to JPEG: 1.4 s against 0.27 s; a 108-megapixel scan to PNG: 14-20 s against 0.8-1.9 s) and
// made every kind of image slower than `convert`. The pixel caches have none either (see
// PixelBlocks).
constexpr std::pair<const char*, const char*> kOurTunables[] = {
    {"glibc.malloc.mmap_threshold", "1048576"},
    {"glibc.malloc.trim_threshold", "33554432"},
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
constexpr const char* kSelf = "/proc/self/exe";
constexpr const char* kDeleted = " (deleted)";

// The program file this process runs, as its path; empty when /proc cannot tell.
std::string ProgramPath()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink(kSelf, path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return std::string();
    path.resize(static_cast<size_t>(length));
    return path;
}

// The path to execute again: the program's own, so that the process keeps its name
// (/proc/<pid>/comm, ps, pgrep), unless that path no longer leads to this very file (the
// program was replaced or removed meanwhile); then the running file itself.
std::string RestartPath()
{
    const std::string path = ProgramPath();
    struct stat running = {};
    struct stat named = {};
    if (path.empty() || ::stat(kSelf, &running) != 0 || ::stat(path.c_str(), &named) != 0 ||
        running.st_dev != named.st_dev || running.st_ino != named.st_ino)
        return kSelf;
    return path;
}

// After a restart through /proc/self/exe the process would be called "exe": it takes its
// program's file name again.
void KeepProgramName()
{
    std::string name = ProgramPath();
    if (name.size() > std::char_traits<char>::length(kDeleted) && name.ends_with(kDeleted))
        name.resize(name.size() - std::char_traits<char>::length(kDeleted));
    const size_t slash = name.rfind('/');
    name = name.substr(slash == std::string::npos ? 0 : slash + 1);
    if (!name.empty())
        (void)::prctl(PR_SET_NAME, name.c_str(), 0, 0, 0);
}
} // namespace

int RuntimeThreadCount()
{
    return kThreadsPerCore * UsableCores();
}

void StartWithRuntimeSettings(char** argv)
{
    if (RestoreAfterRestart())
    {
        KeepProgramName();
        return;
    }
    if (argv == nullptr || argv[0] == nullptr || !SetForRestart())
        return;
    ::execv(RestartPath().c_str(), argv);
    RestoreAfterRestart();
}
