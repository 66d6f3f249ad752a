#include "platform/kernel/Waitable.h"

#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform
{
namespace
{
// Index of the first signalled object, or -1.
int FirstSignalled(const std::vector<Waitable*>& objects)
{
    for (size_t i = 0; i < objects.size(); ++i)
    {
        if (objects[i]->IsSignalledLocked())
            return static_cast<int>(i);
    }
    return -1;
}

bool AllSignalled(const std::vector<Waitable*>& objects)
{
    return std::all_of(objects.begin(), objects.end(), [](Waitable* o) { return o->IsSignalledLocked(); });
}

// Objects of other areas (processes) are not Waitables: they are polled, since their state
// lives under their own locks. waitAll then waits for them one after the other.
constexpr DWORD kPollMilliseconds = 5;

DWORD RemainingMilliseconds(std::chrono::steady_clock::time_point deadline, DWORD total)
{
    if (total == INFINITE)
        return INFINITE;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

DWORD PollAny(const std::vector<KernelObject*>& objects, DWORD milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;)
    {
        for (size_t i = 0; i < objects.size(); ++i)
        {
            const DWORD result = objects[i]->Wait(0);
            if (result != WAIT_TIMEOUT)
                return result == WAIT_OBJECT_0 ? WAIT_OBJECT_0 + static_cast<DWORD>(i) : result;
        }
        const DWORD left = RemainingMilliseconds(deadline, milliseconds);
        if (left == 0)
            return WAIT_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kPollMilliseconds)));
    }
}

DWORD WaitEach(const std::vector<KernelObject*>& objects, DWORD milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (KernelObject* object : objects)
    {
        const DWORD result = object->Wait(RemainingMilliseconds(deadline, milliseconds));
        if (result != WAIT_OBJECT_0)
            return result;
    }
    return WAIT_OBJECT_0;
}
} // namespace

std::mutex& Waitable::StateLock()
{
    static auto* lock = new std::mutex; // never destroyed: detached threads may outlive main
    return *lock;
}

std::condition_variable& Waitable::StateChanged()
{
    static auto* changed = new std::condition_variable;
    return *changed;
}

void Waitable::NotifyStateChanged()
{
    StateChanged().notify_all();
}

DWORD Waitable::Wait(DWORD milliseconds)
{
    return WaitForWaitables({this}, false, milliseconds);
}

DWORD WaitForWaitables(const std::vector<Waitable*>& objects, bool waitAll, DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(Waitable::StateLock());
    int index = -1;
    const bool satisfied = Waitable::WaitLocked(lock, milliseconds, [&] {
        if (waitAll)
            return AllSignalled(objects);
        index = FirstSignalled(objects);
        return index >= 0;
    });
    if (!satisfied)
        return WAIT_TIMEOUT;
    if (!waitAll)
    {
        objects[index]->AcquireLocked();
        return WAIT_OBJECT_0 + static_cast<DWORD>(index);
    }
    for (Waitable* object : objects)
        object->AcquireLocked();
    return WAIT_OBJECT_0;
}
} // namespace platform

namespace
{
// References to every handle of a wait, released when the wait is over.
class HandleSet
{
public:
    HandleSet(const HandleSet&) = delete;
    HandleSet& operator=(const HandleSet&) = delete;
    HandleSet() = default;
    ~HandleSet()
    {
        for (platform::KernelObject* object : m_objects)
            object->Release();
    }

    bool Add(HANDLE handle)
    {
        platform::KernelObject* object = platform::ReferenceHandle(handle);
        if (object == nullptr)
            return false;
        m_objects.push_back(object);
        if (auto* waitable = dynamic_cast<platform::Waitable*>(object))
            m_waitables.push_back(waitable);
        return true;
    }
    bool AllWaitable() const { return m_waitables.size() == m_objects.size(); }
    const std::vector<platform::KernelObject*>& objects() const { return m_objects; }
    const std::vector<platform::Waitable*>& waitables() const { return m_waitables; }

private:
    std::vector<platform::KernelObject*> m_objects;
    std::vector<platform::Waitable*> m_waitables;
};
} // namespace

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    HandleSet set;
    for (DWORD i = 0; i < count; ++i)
    {
        if (!set.Add(handles[i]))
            return WAIT_FAILED;
    }
    if (set.AllWaitable())
        return platform::WaitForWaitables(set.waitables(), waitAll != FALSE, milliseconds);
    return waitAll ? platform::WaitEach(set.objects(), milliseconds)
                   : platform::PollAny(set.objects(), milliseconds);
}
