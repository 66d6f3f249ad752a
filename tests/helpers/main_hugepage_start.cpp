// Child process for the huge-page start-up test: notes every start of its image in the file
// named by its first argument, then, once the start-up is through, whether a large block of
// the C heap is advised for huge pages and what GLIBC_TUNABLES its own children would get.
#include "HugePageStart.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
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
        << "run " << ::getpid() << " huge=" << AdvisedForHugePages(block)
        << " tunables=" << (tunables != nullptr ? tunables : "(none)")
        << " marker=" << (std::getenv("PICTAVO_HUGEPAGE_START") != nullptr) << "\n";
    __libc_free(block);
    return 0;
}
