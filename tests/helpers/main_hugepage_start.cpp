// Child process for the huge-page start-up test: notes every start of its image in the file
// named by its first argument, then, once the start-up is through, whether a large block of
// the C heap is advised for huge pages, whether a worker's second image-sized block is again a
// mapping of its own, and what GLIBC_TUNABLES its own children would get.
#include "HugePageStart.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

// glibc's own allocator, also where a sanitizer puts its allocator in front of malloc.
extern "C" void* __libc_malloc(size_t size);
extern "C" void __libc_free(void* block);

namespace
{
// True when the mapping that holds address carries the kernel's "hg" (MADV_HUGEPAGE) flag.
bool AdvisedForHugePages(const void* address)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    const auto where = reinterpret_cast<unsigned long>(address);
    while (std::getline(smaps, line))
    {
        unsigned long low = 0;
        unsigned long high = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &low, &high) == 2 && line.find(':') > line.find(' '))
            inside = where >= low && where < high;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return (line + " ").find(" hg ") != std::string::npos;
    }
    return false;
}

long ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// As a conversion worker does for each file: a codec's buffer (24 MiB for 12 megapixels),
// written and freed, twice. "returned" when the second one also goes back to the system at
// once, so that it was a mapping of its own and not part of a heap kept between files.
std::string SecondBlockReturned()
{
    constexpr long kBlock = 24l << 20;
    bool returned = false;
    std::thread worker([&returned] {
        for (int file = 0; file < 2; ++file)
        {
            void* block = __libc_malloc(kBlock);
            std::memset(block, 1, kBlock);
            const long held = ResidentBytes();
            __libc_free(block);
            returned = held - ResidentBytes() > kBlock / 2;
        }
    });
    worker.join();
    return " returned=" + std::to_string(returned);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    {
        std::ofstream(argv[1], std::ios::app) << "start " << ::getpid() << "\n";
    }
    StartWithHugePages(argv);
    const size_t size = 64u << 20;
    void* block = __libc_malloc(size);
    std::memset(block, 1, size);
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::ofstream(argv[1], std::ios::app)
        << "run " << ::getpid() << " huge=" << AdvisedForHugePages(block) << SecondBlockReturned()
        << " tunables=" << (tunables != nullptr ? tunables : "(none)")
        << " marker=" << (std::getenv("PICTAVO_HUGEPAGE_START") != nullptr) << "\n";
    __libc_free(block);
    return 0;
}
