#include "main/PngProfile.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace
{
// Signature (8 bytes) and the IHDR chunk (length, type, 13 bytes of data, CRC).
constexpr off_t kHeaderEnd = 8 + 4 + 4 + 13 + 4;
constexpr size_t kShiftBlock = 1 << 20;

void AppendBigEndian(std::string& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
}

bool MakeProfileChunk(const std::string& profile, std::string& chunk)
{
    uLongf packedSize = ::compressBound(static_cast<uLong>(profile.size()));
    std::string packed(packedSize, '\0');
    if (::compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                    reinterpret_cast<const Bytef*>(profile.data()), static_cast<uLong>(profile.size()),
                    Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);
    // type, then the profile's name, its terminator and the compression method (0: zlib)
    const std::string body = std::string("iCCP") + "ICC profile" + std::string(2, '\0') + packed;
    chunk.clear();
    AppendBigEndian(chunk, static_cast<uint32_t>(body.size() - 4));
    chunk += body;
    AppendBigEndian(chunk, static_cast<uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                         static_cast<uInt>(body.size()))));
    return true;
}

bool StartsWithHeader(int fd)
{
    char head[16] = {};
    return ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::memcmp(head, "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", sizeof head) == 0;
}

// Moves everything after the header up by gap bytes, from the end backwards.
bool ShiftTail(int fd, off_t size, off_t gap)
{
    std::vector<char> block(kShiftBlock);
    for (off_t end = size; end > kHeaderEnd;)
    {
        const off_t start =
            end - kHeaderEnd > static_cast<off_t>(kShiftBlock) ? end - kShiftBlock : kHeaderEnd;
        const auto length = static_cast<size_t>(end - start);
        if (::pread(fd, block.data(), length, start) != static_cast<ssize_t>(length) ||
            ::pwrite(fd, block.data(), length, start + gap) != static_cast<ssize_t>(length))
            return false;
        end = start;
    }
    return true;
}
} // namespace

bool InsertPngProfile(int fd, const std::string& profile)
{
    struct stat st = {};
    std::string chunk;
    if (::fstat(fd, &st) != 0 || st.st_size < kHeaderEnd || !StartsWithHeader(fd) ||
        !MakeProfileChunk(profile, chunk))
        return false;
    const auto gap = static_cast<off_t>(chunk.size());
    return ShiftTail(fd, st.st_size, gap) &&
           ::pwrite(fd, chunk.data(), chunk.size(), kHeaderEnd) == static_cast<ssize_t>(chunk.size());
}
