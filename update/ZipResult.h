#pragma once
// Result codes of the zip extractor's archive layer: 0 is success, every failure its own value.

#include "platform/WinTypes.h"

#include <cstdint>

using ZipResult = DWORD;

constexpr ZipResult ZIP_OK = 0x00000000;
// The archive file, or an entry's target file, cannot be opened or created.
constexpr ZipResult ZIP_NOFILE = 0x00000200;
constexpr ZipResult ZIP_WRITE = 0x00000400;
constexpr ZipResult ZIP_NOTFOUND = 0x00000500;
// The entry's local header cannot be read or disagrees with the central directory.
constexpr ZipResult ZIP_CORRUPT = 0x00000700;
constexpr ZipResult ZIP_READ = 0x00000800;
// The entry's name would leave the base folder (parent references, an empty or all-dots
// component, a symbolic link on the way, a name too long for the entry record).
constexpr ZipResult ZIP_UNSAFE_NAME = 0x00000900;
// The entry is a symbolic link; an update package never needs one and it could point anywhere.
constexpr ZipResult ZIP_LINK = 0x00000A00;
// The unpacked data does not match the entry's CRC-32.
constexpr ZipResult ZIP_CRC = 0x00000B00;
// The archive claims more entries or more bytes than an update package may hold.
constexpr ZipResult ZIP_TOO_LARGE = 0x00000C00;
constexpr ZipResult ZIP_PASSWORD = 0x00001000;
constexpr ZipResult ZIP_ARGS = 0x00010000;
constexpr ZipResult ZIP_WRONG_KIND = 0x00080000;
constexpr ZipResult ZIP_ALREADY_OPEN = 0x01000000;
// The compressed data cannot be decoded or ends early.
constexpr ZipResult ZIP_FLATE = 0x05000000;

// Limits fit for an update package (the product ships a few hundred files of some tens of
// megabytes); an archive beyond them is refused before anything is written.
constexpr int kZipMaxEntries = 20000;
constexpr std::uint64_t kZipMaxTotalBytes = std::uint64_t{2} << 30; // 2 GiB unpacked
