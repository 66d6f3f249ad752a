#include "main/PixelBlocks.h"

#include <wand/MagickWand.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
// Below this (a picture of two megapixels) a block is an ordinary heap allocation: row and
// tile buffers, which change size often and are cheap.
constexpr size_t kSmallestMapped = 16u << 20;
// A parked block serves a request of at least half its size; a larger one would hold memory
// the file does not need.
constexpr size_t kLargestSlack = 2;
constexpr size_t kLargestAlignment = 4096; // a mapping starts on a page
constexpr size_t kBlocksPerCommand = 3;
// What a command's smaller parked blocks may come to: a 12-megapixel resize's intermediate and
// result (72 MiB) stay, a 48-megapixel one's go.
constexpr size_t kSmallerParkedBytes = 128u << 20;

size_t PageRounded(size_t bytes)
{
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}
} // namespace

void PixelBlocks::Install()
{
    SetMagickAlignedMemoryMethods(&PixelBlocks::Acquire, &PixelBlocks::Relinquish);
}

void PixelBlocks::ReleaseParked()
{
    PixelBlocks& blocks = Instance();
    std::lock_guard<std::mutex> guard(blocks.m_lock);
    blocks.UnmapParked();
}

void PixelBlocks::CommandStarts()
{
    PixelBlocks& blocks = Instance();
    std::lock_guard<std::mutex> guard(blocks.m_lock);
    ++blocks.m_commands;
}

void PixelBlocks::CommandEnds()
{
    PixelBlocks& blocks = Instance();
    std::lock_guard<std::mutex> guard(blocks.m_lock);
    --blocks.m_commands;
    blocks.TrimParked();
}

size_t PixelBlocks::ParkedBytes()
{
    PixelBlocks& blocks = Instance();
    std::lock_guard<std::mutex> guard(blocks.m_lock);
    size_t bytes = 0;
    for (const Mapping& mapping : blocks.m_parked)
        bytes += mapping.bytes;
    return bytes;
}

void* PixelBlocks::Acquire(size_t size, size_t alignment) noexcept
{
    try
    {
        return Instance().Take(size, alignment);
    }
    catch (...)
    {
        return nullptr;
    }
}

void PixelBlocks::Relinquish(void* block) noexcept
{
    try
    {
        Instance().Give(block);
    }
    catch (...)
    {
        // Only the lock can fail here (Give parks without allocating): the block stays mapped.
    }
}

PixelBlocks& PixelBlocks::Instance()
{
    // Never destroyed: ImageMagick may free blocks while the program's statics go.
    static auto* blocks = new PixelBlocks;
    return *blocks;
}

void* PixelBlocks::Take(size_t size, size_t alignment)
{
    if (size < kSmallestMapped || alignment == 0 || alignment > kLargestAlignment ||
        (alignment & (alignment - 1)) != 0)
    {
        void* block = nullptr;
        return ::posix_memalign(&block, alignment < sizeof(void*) ? sizeof(void*) : alignment, size) == 0
                   ? block
                   : nullptr;
    }
    const size_t bytes = PageRounded(size);
    std::lock_guard<std::mutex> guard(m_lock);
    auto best = m_parked.end();
    for (auto it = m_parked.begin(); it != m_parked.end(); ++it)
    {
        if (it->bytes >= bytes && it->bytes <= bytes * kLargestSlack &&
            (best == m_parked.end() || it->bytes < best->bytes))
            best = it;
    }
    Mapping mapping{nullptr, 0};
    if (best != m_parked.end())
    {
        mapping = *best;
        m_parked.erase(best);
    }
    else
    {
        // Parked blocks that fit no request of this size go first, so that memory is not held
        // twice over while sizes change.
        UnmapParked();
        // Ordinary pages, never advised for huge ones: a huge page comes from the kernel's
        // largest free blocks, which a virtual machine's host takes back first, and faulting
        // those in again cost a second of system time for a 12-megapixel photo's 90 MiB, more
        // than the whole conversion.
        void* base = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            return nullptr;
        mapping = Mapping{static_cast<char*>(base), bytes};
    }
    if (!Track(mapping))
    {
        ::munmap(mapping.base, mapping.bytes);
        return nullptr;
    }
    return mapping.base;
}

// False when the record of the block cannot be kept (no memory for it).
bool PixelBlocks::Track(const Mapping& mapping)
{
    try
    {
        m_inUse.emplace(mapping.base, mapping);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

void PixelBlocks::Give(void* block)
{
    if (block == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_inUse.find(block);
        if (found != m_inUse.end())
        {
            const Mapping mapping = found->second;
            m_inUse.erase(found);
            Park(mapping);
            return;
        }
    }
    std::free(block);
}

// A block that cannot be parked (no memory for its record) is unmapped at once.
void PixelBlocks::Park(const Mapping& mapping) noexcept
{
    try
    {
        m_parked.push_back(mapping);
    }
    catch (const std::bad_alloc&)
    {
        ::munmap(mapping.base, mapping.bytes);
        return;
    }
    TrimParked();
}

void PixelBlocks::TrimParked() noexcept
{
    // For each running command its largest block, a file's pixel cache, which the next file asks
    // for first; and up to two more, a resize's intermediate and result, while they are small.
    // Parked while the command still encodes, a large one would stand on top of the encoder's
    // memory: for a 108-megapixel photo, 160 MiB more at the peak.
    const size_t commands = m_commands > 1 ? static_cast<size_t>(m_commands) : 1;
    std::sort(m_parked.begin(), m_parked.end(),
              [](const Mapping& a, const Mapping& b) { return a.bytes > b.bytes; });
    // The kept blocks move to the front in place: called from ImageMagick's free, this must not
    // allocate.
    size_t kept = 0;
    size_t smallerBytes = 0;
    for (const Mapping& mapping : m_parked)
    {
        const bool largest = kept < commands;
        const bool smaller = !largest && kept < kBlocksPerCommand * commands &&
                             smallerBytes + mapping.bytes <= commands * kSmallerParkedBytes;
        if (largest || smaller)
        {
            m_parked[kept++] = mapping;
            smallerBytes += smaller ? mapping.bytes : 0;
        }
        else
        {
            ::munmap(mapping.base, mapping.bytes);
        }
    }
    m_parked.resize(kept);
}

void PixelBlocks::UnmapParked() noexcept
{
    for (const Mapping& mapping : m_parked)
        ::munmap(mapping.base, mapping.bytes);
    m_parked.clear();
}
