// Threads as kernel objects. The pthread is detached at once; it holds its own reference to the
// object, so the handle may be closed (or the thread "terminated") while it runs.
#include "platform/kernel/Waitable.h"

#include "platform/CrashReport.h"
#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <cerrno>
#include <climits>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace platform
{
namespace
{
class ThreadObject : public Waitable
{
public:
    ThreadObject(unsigned (*start)(void*), void* arg, bool suspended)
        : m_start(start), m_arg(arg), m_suspendCount(suspended ? 1 : 0)
    {
    }

    // Starts the pthread and waits until it has its id. Returns 0 or the pthread error.
    int Launch(size_t stackSize);
    DWORD ThreadId() const { return m_threadId; }
    DWORD Resume();
    void Terminate(DWORD exitCode);
    DWORD ExitCode() const;

    bool IsSignalledLocked() const override { return m_ended || m_terminated; }

private:
    // pthread's start routine: an exception of the thread's procedure ends the process there, as
    // an unhandled one does on Windows, and is never unwound through the C library.
    static void* Entry(void* self) noexcept;
    // Publishes the id, then blocks while suspended. False when terminated before it ran.
    bool AwaitStart();
    void Finish(unsigned result);

    unsigned (*m_start)(void*);
    void* m_arg;
    DWORD m_suspendCount;
    DWORD m_threadId = 0;
    DWORD m_exitCode = STILL_ACTIVE;
    bool m_ended = false;
    bool m_terminated = false;
};

size_t UsableStackSize(size_t requested)
{
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t minimum = PTHREAD_STACK_MIN;
    const size_t size = requested < minimum ? minimum : requested;
    return (size + page - 1) / page * page;
}

int ThreadObject::Launch(size_t stackSize)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0)
        pthread_attr_setstacksize(&attr, UsableStackSize(stackSize));
    AddRef(); // the thread's own reference
    pthread_t thread;
    const int rc = pthread_create(&thread, &attr, &ThreadObject::Entry, this);
    pthread_attr_destroy(&attr);
    if (rc != 0)
    {
        Release();
        return rc;
    }
    std::unique_lock<std::mutex> lock(StateLock());
    WaitLocked(lock, INFINITE, [this] { return m_threadId != 0; });
    return 0;
}

void* ThreadObject::Entry(void* self) noexcept
{
    PrepareThreadForCrashes();
    auto* thread = static_cast<ThreadObject*>(self);
    if (thread->AwaitStart())
        thread->Finish(thread->m_start(thread->m_arg));
    thread->Release();
    return nullptr;
}

bool ThreadObject::AwaitStart()
{
    std::unique_lock<std::mutex> lock(StateLock());
    m_threadId = GetCurrentThreadId();
    NotifyStateChanged();
    WaitLocked(lock, INFINITE, [this] { return m_suspendCount == 0 || m_terminated; });
    return !m_terminated;
}

void ThreadObject::Finish(unsigned result)
{
    std::lock_guard<std::mutex> lock(StateLock());
    if (!m_terminated)
        m_exitCode = result;
    m_ended = true;
    NotifyStateChanged();
}

DWORD ThreadObject::Resume()
{
    std::lock_guard<std::mutex> lock(StateLock());
    const DWORD previous = m_suspendCount;
    if (m_suspendCount > 0 && --m_suspendCount == 0)
        NotifyStateChanged();
    return previous;
}

void ThreadObject::Terminate(DWORD exitCode)
{
    std::lock_guard<std::mutex> lock(StateLock());
    if (m_ended || m_terminated)
        return;
    m_terminated = true;
    m_exitCode = exitCode;
    NotifyStateChanged();
}

DWORD ThreadObject::ExitCode() const
{
    std::lock_guard<std::mutex> lock(StateLock());
    return m_exitCode;
}

DWORD ErrorFromThreadFailure(int rc)
{
    return rc == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ErrorFromErrno(rc);
}
} // namespace
} // namespace platform

using platform::HandleRef;
using platform::ThreadObject;

uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* arg,
                         unsigned initFlag, unsigned* threadId)
{
    if (start == nullptr)
    {
        errno = EINVAL;
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto* thread = new ThreadObject(start, arg, (initFlag & CREATE_SUSPENDED) != 0);
    const int rc = thread->Launch(stackSize);
    if (rc != 0)
    {
        thread->Release();
        errno = rc;
        SetLastError(platform::ErrorFromThreadFailure(rc));
        return 0;
    }
    if (threadId != nullptr)
        *threadId = thread->ThreadId();
    return reinterpret_cast<uintptr_t>(platform::RegisterHandle(thread));
}

DWORD ResumeThread(HANDLE handle)
{
    HandleRef<ThreadObject> thread(platform::ReferenceHandleAs<ThreadObject>(handle));
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    return thread->Resume();
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode)
{
    HandleRef<ThreadObject> thread(platform::ReferenceHandleAs<ThreadObject>(handle));
    if (!thread || exitCode == nullptr)
    {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = thread->ExitCode();
    return TRUE;
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode)
{
    HandleRef<ThreadObject> thread(platform::ReferenceHandleAs<ThreadObject>(handle));
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    thread->Terminate(exitCode);
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(::gettid());
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(::getpid());
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == INFINITE)
    {
        for (;;)
            ::pause();
    }
    if (milliseconds == 0)
    {
        ::sched_yield(); // Sleep(0) gives up the rest of the time slice
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL SwitchToThread()
{
    return ::sched_yield() == 0 ? TRUE : FALSE;
}
