#include "platform/KernelObject.h"

#include "platform/WinError.h"

#include <mutex>
#include <unordered_set>

namespace platform
{
namespace
{
// The set of live handles. A handle is the object's address; the set lets a stale or
// made-up handle be refused instead of dereferenced.
struct HandleTable
{
    std::mutex lock;
    std::unordered_set<KernelObject*> live;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable; // never destroyed: handles may be closed at exit
    return *table;
}
} // namespace

DWORD KernelObject::Wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

void KernelObject::Release()
{
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

HANDLE RegisterHandle(KernelObject* object)
{
    if (object == nullptr)
        return nullptr;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.live.insert(object);
    return object;
}

KernelObject* ReferenceHandle(HANDLE handle)
{
    auto* object = static_cast<KernelObject*>(handle);
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || table.live.count(object) == 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    object->AddRef();
    return object;
}

bool UnregisterHandle(HANDLE handle)
{
    auto* object = static_cast<KernelObject*>(handle);
    {
        HandleTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE || table.live.erase(object) == 0)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
    }
    object->Release();
    return true;
}
} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    return platform::UnregisterHandle(handle) ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    platform::HandleRef<platform::KernelObject> object(platform::ReferenceHandle(handle));
    if (!object)
        return WAIT_FAILED;
    return object->Wait(milliseconds);
}
