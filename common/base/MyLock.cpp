#include "common/base/MyLock.h"

namespace MyLock
{
CMutex::CMutex()
{
    InitializeCriticalSection(&m_cs);
}

CMutex::~CMutex()
{
    DeleteCriticalSection(&m_cs);
}

void CMutex::Lock()
{
    EnterCriticalSection(&m_cs);
}

void CMutex::Unlock()
{
    LeaveCriticalSection(&m_cs);
}

CAutoLock::CAutoLock(CMutex* mutex) : m_pMutex(mutex)
{
    m_pMutex->Lock();
}

CAutoLock::~CAutoLock()
{
    m_pMutex->Unlock();
}
} // namespace MyLock
