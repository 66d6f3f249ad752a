#pragma once
// Runs a routine on a thread of its own, as the system's workers run.

#include "platform/WinTypes.h"

namespace kerneltest
{
// Starts routine(arg) with _beginthreadex, waits for its end and returns its exit code.
DWORD RunThreadToEnd(unsigned (*routine)(void*), void* arg);
} // namespace kerneltest
