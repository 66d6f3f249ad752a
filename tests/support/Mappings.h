#pragma once

// What the kernel says of the mapping that holds an address of this process (/proc/self/smaps).
// Header-only, so that helper programs without the test support library can use it too.

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

namespace testsupport
{
// The smaps header line of the mapping that holds address, and its VmFlags line with a space
// after it; both empty when no mapping holds it.
inline std::pair<std::string, std::string> MappingOf(const void* address)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    std::string header;
    const auto where = reinterpret_cast<unsigned long>(address);
    while (std::getline(smaps, line))
    {
        unsigned long low = 0;
        unsigned long high = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &low, &high) == 2 && line.find(':') > line.find(' '))
            header = where >= low && where < high ? line : std::string();
        else if (!header.empty() && line.rfind("VmFlags:", 0) == 0)
            return {header, line + " "};
    }
    return {};
}

// Whether that mapping carries the kernel's "hg" (MADV_HUGEPAGE) flag.
inline bool AdvisedForHugePages(const void* address)
{
    return MappingOf(address).second.find(" hg ") != std::string::npos;
}
} // namespace testsupport
