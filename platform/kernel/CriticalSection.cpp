// Critical sections: a std::recursive_mutex built in place inside the caller's struct, so
// that a thread may enter again the section it already holds, as the callers rely on.
#include "platform/Kernel.h"

#include <mutex>
#include <new>

namespace
{
static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::m_storage));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION section)
{
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->m_storage));
}
} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    new (section->m_storage) std::recursive_mutex;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD)
{
    InitializeCriticalSection(section);
    return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    MutexOf(section).lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    return MutexOf(section).try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    MutexOf(section).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    MutexOf(section).~recursive_mutex();
}
