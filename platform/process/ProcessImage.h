#pragma once
// Reading a process's program file and status from /proc.

#include "platform/WinTypes.h"

#include <string>

namespace platform
{
struct ProcessStat
{
    DWORD parentId = 0;
    DWORD threads = 0;
};

// The target of a symbolic link; empty when it cannot be read.
std::string ReadLink(const std::string& path);
// /proc/<pid>/exe without the " (deleted)" that marks a replaced program; empty when unknown.
std::string ImagePathOf(DWORD processId);
bool ReadProcessStat(DWORD processId, ProcessStat& stat);
} // namespace platform
