#pragma once
// What an open registry key handle holds: which key it names and with what rights. The key
// itself lives in the store and is read afresh by every call.

#include "platform/KernelObject.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace platform::store
{
class RegistryKeyObject : public KernelObject
{
public:
    struct Target
    {
        int hive = 0;
        std::wstring path;    // as the key's names are spelled in the store
        std::uint64_t id = 0; // the key's identity when it was opened (0: not checked)
        DWORD access = 0;
    };

    explicit RegistryKeyObject(Target target) : m_target(std::move(target)) {}
    const Target& target() const { return m_target; }

private:
    Target m_target;
};
} // namespace platform::store
