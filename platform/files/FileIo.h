#pragma once
// Descriptor-level transfers shared by file handles and copies. Each returns 0 or an errno value.

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform::files
{
// Writes every byte, retrying after signals and short writes. *written counts what went out.
// offset >= 0 writes positionally.
int WriteAll(int fd, const void* data, std::size_t size, off_t offset, std::size_t* written);
// Reads until size bytes or the end of the file, retrying after signals; with untilFull false
// (pipes, terminals) it returns after the first read that brings anything.
int ReadAll(int fd, void* data, std::size_t size, off_t offset, bool untilFull, std::size_t* got);
// Copies from the current position of from to the end of the file.
int CopyContents(int from, int to);
// Makes a rename or a new name in the folder durable.
int SyncFolder(const std::string& folder);
} // namespace platform::files
