#include "common/base/ThreadHelper.h"

#include <iostream>

bool ThreadHelper::Start()
{
    const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadHelper::ThreadProc, this, 0, nullptr);
    if (handle == 0)
    {
        std::cout << "create thread error! \r\n" << std::endl;
        return false;
    }
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadId = 0;
    return true;
}

bool ThreadHelper::Wait()
{
    return WaitForSingleObject(m_hThread, INFINITE) == WAIT_OBJECT_0;
}

void ThreadHelper::CloseThread()
{
    if (m_hThread == nullptr)
        return;
    CloseHandle(m_hThread);
    m_hThread = nullptr;
}

unsigned ThreadHelper::ThreadProc(void* object)
{
    static_cast<ThreadHelper*>(object)->Run();
    return 0;
}
