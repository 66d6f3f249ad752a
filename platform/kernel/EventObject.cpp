// Events: a signalled flag under the shared wait lock. An auto-reset event is cleared by the
// one wait it satisfies, so each SetEvent releases exactly one waiter.
#include "platform/kernel/Waitable.h"

#include "platform/Kernel.h"
#include "platform/WinError.h"

namespace platform
{
namespace
{
class EventObject : public Waitable
{
public:
    EventObject(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    void Set(bool signalled)
    {
        std::lock_guard<std::mutex> lock(StateLock());
        m_signalled = signalled;
        if (signalled)
            NotifyStateChanged();
    }

    bool IsSignalledLocked() const override { return m_signalled; }
    void AcquireLocked() override
    {
        if (!m_manualReset)
            m_signalled = false;
    }

private:
    const bool m_manualReset;
    bool m_signalled;
};

BOOL SetEventState(HANDLE handle, bool signalled)
{
    HandleRef<EventObject> event(ReferenceHandleAs<EventObject>(handle));
    if (!event)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Set(signalled);
    return TRUE;
}
} // namespace
} // namespace platform

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR)
{
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(new platform::EventObject(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    return platform::SetEventState(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return platform::SetEventState(event, false);
}
