#pragma once
// Owner of one re-entrant critical section, and the scoped guard that holds it.

#include "platform/Win32.h"

class LockHelper
{
public:
    LockHelper();
    LockHelper(const LockHelper&) = delete;
    LockHelper& operator=(const LockHelper&) = delete;
    virtual ~LockHelper();

    void Enter();
    void Leave();

private:
    CRITICAL_SECTION m_cs;
};

class LockGuard
{
public:
    explicit LockGuard(LockHelper* lock);
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    ~LockGuard();

private:
    LockHelper* m_pLock;
};
