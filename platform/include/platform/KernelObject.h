#pragma once
// Every HANDLE the platform hands out points to a KernelObject: threads, events, mutexes,
// processes, files, snapshots and searches. Objects are reference counted so that a handle
// closed while another thread waits on it stays valid until the wait returns; a handle that
// was never issued or is already closed is recognised and refused (ERROR_INVALID_HANDLE).

#include "platform/WinTypes.h"

#include <atomic>

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

namespace platform
{
class KernelObject
{
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;

    // Waits until the object is signalled or the time-out (milliseconds, INFINITE) passes.
    // Objects that cannot be waited for answer WAIT_FAILED.
    virtual DWORD Wait(DWORD milliseconds);

    void AddRef() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference; deletes the object when it was the last.
    void Release();

private:
    std::atomic<int> m_refs{1};
};

// Registers a new object (reference count 1) and returns its handle.
HANDLE RegisterHandle(KernelObject* object);
// The object behind a live handle with one more reference (release it with Release), or
// nullptr with ERROR_INVALID_HANDLE set.
KernelObject* ReferenceHandle(HANDLE handle);
// Typed form of ReferenceHandle: nullptr also when the object is of another kind.
template <class T> T* ReferenceHandleAs(HANDLE handle)
{
    KernelObject* object = ReferenceHandle(handle);
    if (object == nullptr)
        return nullptr;
    if (T* typed = dynamic_cast<T*>(object))
        return typed;
    object->Release();
    return nullptr;
}
// Unregisters the handle and drops the reference it held.
bool UnregisterHandle(HANDLE handle);

// Scoped reference taken with ReferenceHandle/ReferenceHandleAs.
template <class T> class HandleRef
{
public:
    explicit HandleRef(T* object) : m_object(object) {}
    HandleRef(const HandleRef&) = delete;
    HandleRef& operator=(const HandleRef&) = delete;
    ~HandleRef()
    {
        if (m_object != nullptr)
            m_object->KernelObject::Release(); // never a subclass's own Release
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object;
};
} // namespace platform

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
