#pragma once
// Base of the kernel objects that can be waited for (threads, events, mutexes). All of them
// share one lock and one condition variable, so that a wait on several objects sees their
// states at one instant and takes them (auto-reset, ownership) in one step.

#include "platform/KernelObject.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace platform
{
class Waitable : public KernelObject
{
public:
    DWORD Wait(DWORD milliseconds) override;

    // The lock that guards the state of every Waitable.
    static std::mutex& StateLock();
    // Wakes every waiter to look again; call after a state change, with or without the lock.
    static void NotifyStateChanged();
    // Waits with the lock held until pred() or the time-out; false on time-out.
    template <class Pred>
    static bool WaitLocked(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Pred pred);

    // The following are called with StateLock() held, on the waiting thread.
    virtual bool IsSignalledLocked() const = 0;
    // Takes the signal a satisfied wait consumes (auto-reset, mutex ownership).
    virtual void AcquireLocked() {}

private:
    static std::condition_variable& StateChanged();
};

template <class Pred>
bool Waitable::WaitLocked(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Pred pred)
{
    if (milliseconds == INFINITE)
    {
        StateChanged().wait(lock, pred);
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return StateChanged().wait_until(lock, deadline, pred);
}

// Waits for objects that are all Waitables; see WaitForMultipleObjects.
DWORD WaitForWaitables(const std::vector<Waitable*>& objects, bool waitAll, DWORD milliseconds);
} // namespace platform
