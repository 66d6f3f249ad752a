#pragma once
// Reading a file the product keeps for itself (its manifest, the update journal) from a folder
// others can write to: only a regular file is read, never through a link, and a FIFO planted
// in its place is refused at once instead of waiting for a writer.

#include <cstddef>
#include <string>

// The whole file into bytes; false (bytes then undefined) when it is missing, not a regular
// file, a link, or larger than maxBytes.
bool ReadOwnFile(const std::string& path, std::size_t maxBytes, std::string& bytes);
