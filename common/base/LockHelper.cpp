#include "common/base/LockHelper.h"

LockHelper::LockHelper()
{
    InitializeCriticalSection(&m_cs);
}

LockHelper::~LockHelper()
{
    DeleteCriticalSection(&m_cs);
}

void LockHelper::Enter()
{
    EnterCriticalSection(&m_cs);
}

void LockHelper::Leave()
{
    LeaveCriticalSection(&m_cs);
}

LockGuard::LockGuard(LockHelper* lock) : m_pLock(lock)
{
    m_pLock->Enter();
}

LockGuard::~LockGuard()
{
    m_pLock->Leave();
}
