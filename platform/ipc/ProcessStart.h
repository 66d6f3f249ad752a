#pragma once
// Telling a live process from a dead one whose id was reused: a process is the same one when
// its id and its start time (field 22 of /proc/<pid>/stat, in clock ticks since boot) match.

#include <sys/types.h>

namespace platform::ipc
{
// 0 when the process does not exist (or its stat cannot be read).
unsigned long long ProcessStartTime(pid_t pid);
bool IsSameProcess(pid_t pid, unsigned long long startTime);
} // namespace platform::ipc
