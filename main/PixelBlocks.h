#pragma once
// ImageMagick's large aligned blocks (an image's pixel cache: 8 bytes a pixel) kept between
// files. Each is a mapping of its own, advised for transparent huge pages; a freed one is parked
// and handed to the next request it fits, so the next file of a batch finds its pixel memory
// already faulted in instead of having the kernel map and zero every page again. Only the
// largest freed block of each running command is kept, and the next two (a resize's
// intermediate and result) while they are small, so a command never holds much more than it
// did while resizing. Small blocks go to the C heap as before.

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

class PixelBlocks
{
public:
    // Installs the blocks as ImageMagick's aligned memory; call before ImageMagick starts.
    static void Install();
    // Unmaps the parked blocks; for when no command is running (blocks in use stay).
    static void ReleaseParked();
    // Around each command: the parked blocks kept depend on the commands running.
    static void CommandStarts();
    static void CommandEnds();
    // The bytes parked right now.
    static size_t ParkedBytes();

private:
    struct Mapping
    {
        char* base;
        size_t bytes;
    };

    // ImageMagick's hooks: nothing may be thrown through it. A failure is a failed allocation
    // (nullptr), which ImageMagick reports as such.
    static void* Acquire(size_t size, size_t alignment) noexcept;
    static void Relinquish(void* block) noexcept;
    static PixelBlocks& Instance();

    void* Take(size_t size, size_t alignment);
    void Give(void* block);
    bool Track(const Mapping& mapping);
    void Park(const Mapping& mapping) noexcept;
    void TrimParked() noexcept;
    void UnmapParked() noexcept;

    std::mutex m_lock;
    std::map<void*, Mapping> m_inUse; // by the address handed out
    std::vector<Mapping> m_parked;
    int m_commands = 0;
};
