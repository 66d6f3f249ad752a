#pragma once
// Threads, events, critical sections, the named mutex, time and interlocked operations with
// their Win32 names, signatures and constant values, over pthreads and the C library.
//
// Thread, event and mutex handles are KernelObjects: WaitForSingleObject/WaitForMultipleObjects
// wait on them and CloseHandle closes them. A thread keeps running when its handle is closed.

#include "platform/KernelObject.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <ctime>
#include <string>

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD ERROR_NOT_OWNER = 288;

// ---- Threads ----------------------------------------------------------------------------------

// Starts start(arg) on a new thread; initFlag CREATE_SUSPENDED holds it until ResumeThread.
// stackSize 0 means the default. Returns the thread handle, or 0 on failure (last error set).
uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* arg,
                         unsigned initFlag, unsigned* threadId);
// Lets a suspended thread run once its suspend count reaches 0. Returns the previous count,
// or (DWORD)-1 for a handle that is not a thread.
DWORD ResumeThread(HANDLE thread);
// STILL_ACTIVE while the thread runs, else its exit code.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Never stops a thread mid-step: the handle is marked ended with exitCode (waits on it return,
// GetExitCodeThread reports exitCode) and the thread itself is left to end with the process.
// A thread still held by CREATE_SUSPENDED never runs its routine.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
void Sleep(DWORD milliseconds);
BOOL SwitchToThread();

// ---- Events and waiting -----------------------------------------------------------------------

// The name is accepted and ignored: every event is private to the process.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// WAIT_OBJECT_0 + index of the signalled handle (waitAll FALSE), WAIT_OBJECT_0 when all are
// signalled (waitAll TRUE), WAIT_TIMEOUT, or WAIT_FAILED.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// ---- Critical sections (re-entrant) -----------------------------------------------------------

struct CRITICAL_SECTION
{
    // Room for the recursive mutex that InitializeCriticalSection builds in place.
    alignas(std::max_align_t) unsigned char m_storage[64];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// ---- Mutexes ----------------------------------------------------------------------------------

// Unnamed: a mutex private to the process. Named: also takes an exclusive lock on
// "<RuntimeDir()>/<name>.lock" for as long as the handle is open; when another handle (of this
// or another process) holds that lock the call still returns a handle, with last error
// ERROR_ALREADY_EXISTS and no initial ownership. ReleaseMutex gives up ownership only, never
// the lock. Returns nullptr when the lock file cannot be made (last error set).
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

// ---- Time -------------------------------------------------------------------------------------

void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
DWORD GetTickCount();
ULONGLONG GetTickCount64();
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
// Local <-> UTC with the zone's offset in force at that moment (daylight saving included).
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
// DOS date and time (local) to a local FILETIME; FALSE for a stamp that is no calendar time.
BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime);
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);

// ---- Interlocked ------------------------------------------------------------------------------

inline LONG InterlockedIncrement(volatile LONG* target)
{
    return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(volatile LONG* target)
{
    return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST);
}
// Returns the previous value.
inline LONG InterlockedExchange(volatile LONG* target, LONG value)
{
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
// Stores exchange when *target equals comparand; returns the previous value either way.
inline LONG InterlockedCompareExchange(volatile LONG* target, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

namespace platform
{
// The per-user runtime folder (no trailing "/"): $XDG_RUNTIME_DIR/<product>, else
// /tmp/<product>-<uid>-run (ProductName.h); created 0700. Empty (last error ERROR_ACCESS_DENIED) when the
// path is a symlink, not a folder, or not ours, since lock files there decide which process runs.
std::string RuntimeDir();

// FILETIME (100 ns ticks since 1601-01-01 UTC) <-> POSIX time.
struct timespec FileTimeToUnix(const FILETIME& fileTime);
// Times before 1601 become 0.
FILETIME UnixToFileTime(struct timespec time);
} // namespace platform
