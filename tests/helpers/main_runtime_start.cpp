// Child process for the start-up test: notes every start of its image in the file named by
// its first argument, then, once the start-up is through, whether a large block of the C heap
// is advised for huge pages, whether a 4 MiB block is still a mapping of its own after one was
// freed, whether a row buffer of a wide image (512 KiB) is one, ImageMagick's thread limit, what
// GLIBC_TUNABLES and OMP_NUM_THREADS its own children would get, and its process name.
#include "main/MagickDriver.h"
#include "main/RuntimeStart.h"
#include "tests/support/Mappings.h"

#include <wand/MagickWand.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// glibc's own allocator, also where a sanitizer puts its allocator in front of malloc.
extern "C" void* __libc_malloc(size_t size);
extern "C" void __libc_free(void* block);

namespace
{
using testsupport::AdvisedForHugePages;
using testsupport::MappingOf;

// Whether address lies in the main heap rather than in a mapping of its own.
bool InHeap(const void* address)
{
    return MappingOf(address).first.find("[heap]") != std::string::npos;
}

std::string ProcessName()
{
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "(none)";
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    {
        std::ofstream(argv[1], std::ios::app) << "start " << ::getpid() << "\n";
    }
    StartWithRuntimeSettings(argv);
    const size_t size = 64u << 20;
    void* block = __libc_malloc(size);
    std::memset(block, 1, size);
    // glibc's own rule would serve the second block of this size from the heap
    __libc_free(__libc_malloc(4u << 20));
    void* buffer = __libc_malloc(4u << 20);
    // one row buffer for each of 32 threads, more than the top of the heap holds
    std::vector<void*> rows;
    for (int i = 0; i < 32; ++i)
        rows.push_back(__libc_malloc(512u << 10));
    MagickStartup(std::string());
    const bool markers =
        std::getenv("PICTAVO_START_TUNABLES") != nullptr || std::getenv("PICTAVO_START_THREADS") != nullptr;
    std::ofstream(argv[1], std::ios::app)
        << "run " << ::getpid() << " huge=" << AdvisedForHugePages(block) << " apart=" << !InHeap(buffer)
        << " row_apart=" << !InHeap(rows.back())
        << " magick_threads=" << GetMagickResourceLimit(ThreadResource)
        << " tunables=" << Variable("GLIBC_TUNABLES") << " threads=" << Variable("OMP_NUM_THREADS")
        << " markers=" << markers << " name=" << ProcessName() << "\n";
    __libc_free(block);
    __libc_free(buffer);
    for (void* row : rows)
        __libc_free(row);
    MagickShutdown();
    return 0;
}
