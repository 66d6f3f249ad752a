#include "tests/platform/kernel/ThreadRun.h"

#include "platform/Kernel.h"

namespace kerneltest
{
DWORD RunThreadToEnd(unsigned (*routine)(void*), void* arg)
{
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, routine, arg, 0, nullptr));
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}
} // namespace kerneltest
