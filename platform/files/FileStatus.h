#pragma once
// What the files area needs to know of a path or descriptor, read with statx so that the
// birth time is available where the file system records it.

#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <time.h>

namespace platform::files
{
struct FileStatus
{
    mode_t mode = 0;
    uid_t uid = 0;
    unsigned long long size = 0;
    timespec accessTime{};
    timespec writeTime{};
    timespec creationTime{}; // birth time, or the write time where none is recorded
};

// 0 or an errno value. follow = false describes a symbolic link itself.
int StatPath(const std::string& path, bool follow, FileStatus* status);
int StatDescriptor(int fd, FileStatus* status);

// Win32 attributes of an entry called name (for the hidden bit). linkToFolder adds
// FILE_ATTRIBUTE_DIRECTORY to a symbolic link, as Windows reports links to folders.
DWORD AttributesOf(const FileStatus& status, std::string_view name, bool linkToFolder);

// FILETIME counts 100-ns ticks since 1601-01-01 UTC.
} // namespace platform::files
