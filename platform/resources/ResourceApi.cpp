// The Win32 resource calls over the embedded resource table.
#include "platform/Resources.h"
#include "platform/WinError.h"
#include "platform/resources/ResourceTable.h"

using namespace platform;

namespace
{
const ResourceEntry* EntryOf(HRSRC resource)
{
    return reinterpret_cast<const ResourceEntry*>(resource);
}
} // namespace

namespace platform
{
std::span<const unsigned char> FindResourceData(LPCWSTR type, WORD id)
{
    const ResourceEntry* entry = ResourceTable::Instance().Find(ResourceTable::KeyOf(type),
                                                                ResourceTable::KeyOf(MAKEINTRESOURCEW(id)));
    if (entry == nullptr)
        return {};
    return {entry->data, entry->size};
}

bool RegisterResource(const char* type, const char* name, const unsigned char* data, std::size_t size)
{
    if (type == nullptr || name == nullptr || (data == nullptr && size != 0))
        return false;
    return ResourceTable::Instance().Add(ResourceTable::KeyOfText(type), ResourceTable::KeyOfText(name),
                                         ResourceEntry{data, size});
}
} // namespace platform

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type)
{
    const ResourceEntry* entry =
        ResourceTable::Instance().Find(ResourceTable::KeyOf(type), ResourceTable::KeyOf(name));
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    if (resource == nullptr)
    {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    // An entry's data pointer is what LockResource hands out; the handle is the entry itself.
    return reinterpret_cast<HGLOBAL>(resource);
}

LPVOID LockResource(HGLOBAL data)
{
    if (data == nullptr)
        return nullptr;
    return const_cast<unsigned char*>(reinterpret_cast<const ResourceEntry*>(data)->data);
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    if (resource == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(EntryOf(resource)->size);
}

BOOL FreeResource(HGLOBAL)
{
    return FALSE;
}
