#pragma once
// A re-entrant lock with overridable Lock/Unlock, and its scoped guard.

#include "platform/Win32.h"

namespace MyLock
{
class CMutex
{
public:
    CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;
    // Virtual: Lock and Unlock may be overridden, so a derived lock may be deleted as a CMutex.
    virtual ~CMutex();

    virtual void Lock();
    virtual void Unlock();

private:
    CRITICAL_SECTION m_cs;
};

class CAutoLock
{
public:
    explicit CAutoLock(CMutex* mutex);
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;
    ~CAutoLock();

private:
    CMutex* m_pMutex;
};
} // namespace MyLock
