// Test helper: "terminates" a worker blocked on an event and one busy looping, then returns
// from main while both still run; the process must end normally with the code printed.
#include "platform/Kernel.h"

#include <cstdio>

namespace
{
HANDLE g_never = nullptr;
volatile LONG g_spins = 0;

unsigned Blocked(void*)
{
    WaitForSingleObject(g_never, INFINITE);
    return 1;
}

unsigned Busy(void*)
{
    for (;;)
        InterlockedIncrement(&g_spins);
}
} // namespace

int main()
{
    g_never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[2] = {reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Blocked, nullptr, 0, nullptr)),
                         reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Busy, nullptr, 0, nullptr))};
    Sleep(50);
    for (HANDLE thread : threads)
    {
        if (!TerminateThread(thread, 7) || WaitForSingleObject(thread, 1000) != WAIT_OBJECT_0)
            return 3;
    }
    DWORD code = 0;
    GetExitCodeThread(threads[0], &code);
    std::printf("terminated %u\n", code);
    std::fflush(stdout);
    return 0;
}
