// The registry calls over the hive store. Handles name a key by hive, path and identity;
// nothing of a key is cached in a handle, so each call sees the store as it is now.
#include "platform/Registry.h"

#include "platform/store/RegistryKeyObject.h"
#include "platform/store/RegistryStore.h"

#include "platform/KernelObject.h"

#include <algorithm>
#include <cstring>

using platform::store::RegistryHive;
using platform::store::RegistryKeyNode;
using platform::store::RegistryKeyObject;
using platform::store::RegistryStore;
using platform::store::RegistryValue;
using OpenKey = platform::store::RegistryKeyObject::Target;

namespace
{
constexpr LONG kSuccess = ERROR_SUCCESS;

LONG Code(DWORD error)
{
    return static_cast<LONG>(error);
}

LONG ResolveHandle(HKEY key, OpenKey& out)
{
    const int hive = RegistryStore::HiveOf(key);
    if (hive >= 0)
    {
        out = OpenKey{hive, L"", 0, KEY_ALL_ACCESS};
        return kSuccess;
    }
    platform::HandleRef<RegistryKeyObject> object(
        platform::ReferenceHandleAs<RegistryKeyObject>(reinterpret_cast<HANDLE>(key)));
    if (!object)
        return Code(ERROR_INVALID_HANDLE);
    out = object->target();
    return kSuccess;
}

LONG ResolveWithAccess(HKEY key, REGSAM needed, OpenKey& out)
{
    const LONG result = ResolveHandle(key, out);
    if (result == kSuccess && (out.access & needed) != needed)
        return Code(ERROR_ACCESS_DENIED);
    return result;
}

// The handle's key in the hive, or ERROR_KEY_DELETED when it is gone or was replaced by a
// new key of the same name.
template <class Hive, class Node> LONG Locate(Hive& hive, const OpenKey& key, Node*& node)
{
    node = hive.Find(key.path);
    if (node == nullptr || (key.id != 0 && node->id != key.id))
        return Code(ERROR_KEY_DELETED);
    return kSuccess;
}

// A subkey argument as a relative path: no empty components, none too long; one trailing
// "\" is allowed.
LONG RelativePath(LPCWSTR subKey, std::wstring& relative)
{
    relative = subKey != nullptr ? subKey : L"";
    if (!relative.empty() && relative.back() == L'\\')
        relative.pop_back();
    size_t start = 0;
    while (!relative.empty() && start <= relative.size())
    {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        if (end == start || end - start > REG_MAX_KEY_NAME)
            return Code(ERROR_INVALID_PARAMETER);
        start = end + 1;
    }
    return kSuccess;
}

std::wstring JoinPath(const std::wstring& base, const std::wstring& relative)
{
    if (base.empty() || relative.empty())
        return base + relative;
    return base + L"\\" + relative;
}

HKEY NewHandle(int hive, const RegistryKeyNode& node, REGSAM access)
{
    auto* object = new RegistryKeyObject(OpenKey{hive, node.path, node.id, access});
    return reinterpret_cast<HKEY>(platform::RegisterHandle(object));
}

LONG ReadHive(const OpenKey& key, RegistryHive& hive, const RegistryKeyNode*& node)
{
    const LONG result = RegistryStore::Load(key.hive, hive);
    return result != kSuccess ? result : Locate(hive, key, node);
}

// The handle's key as stored now, when the handle has the rights asked for.
LONG ReadKey(HKEY handle, REGSAM needed, RegistryHive& hive, const RegistryKeyNode*& node)
{
    OpenKey key;
    const LONG result = ResolveWithAccess(handle, needed, key);
    return result != kSuccess ? result : ReadHive(key, hive, node);
}

// ReadKey for the calls that read value data, after checking their data arguments.
LONG ReadValues(HKEY handle, LPDWORD reserved, LPBYTE data, LPDWORD size, RegistryHive& hive,
                const RegistryKeyNode*& node)
{
    if (reserved != nullptr || (data != nullptr && size == nullptr))
        return Code(ERROR_INVALID_PARAMETER);
    return ReadKey(handle, KEY_QUERY_VALUE, hive, node);
}

// Copies a name with its terminator into a buffer of *capacity characters.
LONG CopyName(std::wstring_view name, LPWSTR buffer, LPDWORD capacity)
{
    if (buffer == nullptr || capacity == nullptr)
        return Code(ERROR_INVALID_PARAMETER);
    if (name.size() + 1 > *capacity)
        return Code(ERROR_MORE_DATA);
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = L'\0';
    *capacity = static_cast<DWORD>(name.size());
    return kSuccess;
}

// Copies a value's data by the size rules of the header: string types take at most
// *size / 2 characters; nothing is written when the data do not fit.
LONG CopyData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (type != nullptr)
        *type = value.type;
    const DWORD needed = value.WindowsSize();
    if (data == nullptr)
    {
        if (size != nullptr)
            *size = needed;
        return kSuccess;
    }
    if (*size < needed)
    {
        *size = needed;
        return Code(ERROR_MORE_DATA);
    }
    if (RegistryHive::IsTextType(value.type))
    {
        const size_t capacity = *size / 2;
        std::memcpy(data, value.text.data(), value.text.size() * sizeof(wchar_t));
        if (value.text.size() < capacity && (value.text.empty() || value.text.back() != L'\0'))
            reinterpret_cast<wchar_t*>(data)[value.text.size()] = L'\0';
    }
    else if (!value.bytes.empty())
        std::memcpy(data, value.bytes.data(), value.bytes.size());
    *size = needed;
    return kSuccess;
}

RegistryValue MakeValue(LPCWSTR name, DWORD type, const BYTE* data, DWORD size)
{
    RegistryValue value;
    value.name = name != nullptr ? name : L"";
    value.type = type;
    if (RegistryHive::IsTextType(type))
    {
        value.text.resize(size / 2);
        if (size >= 2)
            std::memcpy(value.text.data(), data, value.text.size() * sizeof(wchar_t));
    }
    else if (size > 0)
        value.bytes.assign(data, data + size);
    return value;
}

LONG CreateOrOpen(const OpenKey& base, const std::wstring& relative, REGSAM access, HKEY& created,
                  DWORD& disposition)
{
    return RegistryStore::Update(base.hive, [&](RegistryHive& hive, bool& changed) {
        RegistryKeyNode* parent = nullptr;
        if (const LONG result = Locate(hive, base, parent); result != kSuccess)
            return result;
        const std::wstring path = JoinPath(parent->path, relative);
        if (const RegistryKeyNode* existing = hive.Find(path))
        {
            disposition = REG_OPENED_EXISTING_KEY;
            created = NewHandle(base.hive, *existing, access);
            return kSuccess;
        }
        if ((base.access & KEY_CREATE_SUB_KEY) == 0)
            return Code(ERROR_ACCESS_DENIED);
        bool isNew = false;
        const RegistryKeyNode& node = hive.Create(path, isNew);
        disposition = REG_CREATED_NEW_KEY;
        created = NewHandle(base.hive, node, access);
        changed = true;
        return kSuccess;
    });
}

LONG DeleteKey(HKEY key, LPCWSTR subKey)
{
    OpenKey base;
    std::wstring relative;
    if (subKey == nullptr)
        return Code(ERROR_INVALID_PARAMETER);
    if (LONG result = ResolveHandle(key, base); result != kSuccess)
        return result;
    if (LONG result = RelativePath(subKey, relative); result != kSuccess)
        return result;
    return RegistryStore::Update(base.hive, [&](RegistryHive& hive, bool& changed) {
        RegistryKeyNode* parent = nullptr;
        if (const LONG result = Locate(hive, base, parent); result != kSuccess)
            return result;
        const std::wstring path = JoinPath(parent->path, relative);
        if (path.empty())
            return Code(ERROR_ACCESS_DENIED); // a hive's root stays
        if (hive.Find(path) == nullptr)
            return Code(ERROR_FILE_NOT_FOUND);
        if (!hive.Children(path).empty())
            return Code(ERROR_ACCESS_DENIED);
        hive.Remove(path);
        changed = true;
        return kSuccess;
    });
}
} // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    if (phkResult == nullptr)
        return Code(ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    OpenKey base;
    std::wstring relative;
    RegistryHive hive;
    const RegistryKeyNode* parent = nullptr;
    if (LONG result = ResolveHandle(hKey, base); result != kSuccess)
        return result;
    if (LONG result = RelativePath(lpSubKey, relative); result != kSuccess)
        return result;
    if (LONG result = ReadHive(base, hive, parent); result != kSuccess)
        return result;
    const RegistryKeyNode* node = hive.Find(JoinPath(parent->path, relative));
    if (node == nullptr)
        return Code(ERROR_FILE_NOT_FOUND);
    *phkResult = NewHandle(base.hive, *node, samDesired);
    return kSuccess;
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (phkResult == nullptr || lpSubKey == nullptr)
        return Code(ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    OpenKey base;
    std::wstring relative;
    if (LONG result = ResolveHandle(hKey, base); result != kSuccess)
        return result;
    if (LONG result = RelativePath(lpSubKey, relative); result != kSuccess)
        return result;
    DWORD disposition = 0;
    const LONG result = CreateOrOpen(base, relative, samDesired, *phkResult, disposition);
    if (result == kSuccess && lpdwDisposition != nullptr)
        *lpdwDisposition = disposition;
    return result;
}

LONG RegCloseKey(HKEY hKey)
{
    if (RegistryStore::HiveOf(hKey) >= 0)
        return kSuccess;
    const HANDLE handle = reinterpret_cast<HANDLE>(hKey);
    {
        platform::HandleRef<RegistryKeyObject> object(platform::ReferenceHandleAs<RegistryKeyObject>(handle));
        if (!object)
            return Code(ERROR_INVALID_HANDLE);
    }
    return platform::UnregisterHandle(handle) ? kSuccess : Code(ERROR_INVALID_HANDLE);
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    OpenKey key;
    if (LONG result = ResolveWithAccess(hKey, KEY_SET_VALUE, key); result != kSuccess)
        return result;
    if ((lpData == nullptr && cbData > 0) ||
        (lpValueName != nullptr && std::wcslen(lpValueName) > REG_MAX_VALUE_NAME))
        return Code(ERROR_INVALID_PARAMETER);
    RegistryValue value = MakeValue(lpValueName, dwType, lpData, cbData);
    return RegistryStore::Update(key.hive, [&](RegistryHive& hive, bool& changed) {
        RegistryKeyNode* node = nullptr;
        if (const LONG result = Locate(hive, key, node); result != kSuccess)
            return result;
        if (RegistryValue* existing = node->FindValue(value.name))
        {
            value.name = existing->name; // the first writer's spelling stays
            *existing = std::move(value);
        }
        else
            node->values.push_back(std::move(value));
        changed = true;
        return kSuccess;
    });
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    RegistryHive hive;
    const RegistryKeyNode* node = nullptr;
    if (LONG result = ReadValues(hKey, lpReserved, lpData, lpcbData, hive, node); result != kSuccess)
        return result;
    const RegistryValue* value = node->FindValue(lpValueName != nullptr ? lpValueName : L"");
    if (value == nullptr)
        return Code(ERROR_FILE_NOT_FOUND);
    return CopyData(*value, lpType, lpData, lpcbData);
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    OpenKey key;
    if (LONG result = ResolveWithAccess(hKey, KEY_SET_VALUE, key); result != kSuccess)
        return result;
    const std::wstring name = lpValueName != nullptr ? lpValueName : L"";
    return RegistryStore::Update(key.hive, [&](RegistryHive& hive, bool& changed) {
        RegistryKeyNode* node = nullptr;
        if (const LONG result = Locate(hive, key, node); result != kSuccess)
            return result;
        const RegistryValue* value = node->FindValue(name);
        if (value == nullptr)
            return Code(ERROR_FILE_NOT_FOUND);
        node->values.erase(node->values.begin() + (value - node->values.data()));
        changed = true;
        return kSuccess;
    });
}

LONG RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName)
{
    return RegEnumKeyExW(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                   LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime)
{
    RegistryHive hive;
    const RegistryKeyNode* node = nullptr;
    if (LONG result = ReadKey(hKey, KEY_ENUMERATE_SUB_KEYS, hive, node); result != kSuccess)
        return result;
    const auto children = hive.Children(node->path);
    if (dwIndex >= children.size())
        return Code(ERROR_NO_MORE_ITEMS);
    if (const LONG result = CopyName(RegistryHive::LeafName(children[dwIndex]->path), lpName, lpcchName);
        result != kSuccess)
        return result;
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
        lpClass[0] = L'\0';
    if (lpcchClass != nullptr)
        *lpcchClass = 0;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = FILETIME{0, 0};
    return kSuccess;
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    RegistryHive hive;
    const RegistryKeyNode* node = nullptr;
    if (LONG result = ReadValues(hKey, lpReserved, lpData, lpcbData, hive, node); result != kSuccess)
        return result;
    if (dwIndex >= node->values.size())
        return Code(ERROR_NO_MORE_ITEMS);
    const RegistryValue& value = node->values[dwIndex];
    if (const LONG result = CopyName(value.name, lpValueName, lpcchValueName); result != kSuccess)
        return result;
    return CopyData(value, lpType, lpData, lpcbData);
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    return DeleteKey(hKey, lpSubKey);
}

LONG RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM, DWORD)
{
    return DeleteKey(hKey, lpSubKey);
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      LPFILETIME lpftLastWriteTime)
{
    RegistryHive hive;
    const RegistryKeyNode* node = nullptr;
    if (LONG result = ReadKey(hKey, KEY_QUERY_VALUE, hive, node); result != kSuccess)
        return result;
    DWORD maxSubKey = 0;
    DWORD maxName = 0;
    DWORD maxData = 0;
    const auto children = hive.Children(node->path);
    for (const RegistryKeyNode* child : children)
        maxSubKey =
            std::max<DWORD>(maxSubKey, static_cast<DWORD>(RegistryHive::LeafName(child->path).size()));
    for (const RegistryValue& value : node->values)
    {
        maxName = std::max<DWORD>(maxName, static_cast<DWORD>(value.name.size()));
        maxData = std::max<DWORD>(maxData, value.WindowsSize());
    }
    const std::pair<LPDWORD, DWORD> answers[] = {{lpcchClass, 0},
                                                 {lpcSubKeys, static_cast<DWORD>(children.size())},
                                                 {lpcbMaxSubKeyLen, maxSubKey},
                                                 {lpcbMaxClassLen, 0},
                                                 {lpcValues, static_cast<DWORD>(node->values.size())},
                                                 {lpcbMaxValueNameLen, maxName},
                                                 {lpcbMaxValueLen, maxData},
                                                 {lpcbSecurityDescriptor, 0}};
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
        lpClass[0] = L'\0';
    for (const auto& [out, answer] : answers)
    {
        if (out != nullptr)
            *out = answer;
    }
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = FILETIME{0, 0};
    return kSuccess;
}
