#pragma once
// Every resource embedded in the program, keyed by normalised type and name: numbers as
// "#<decimal>", texts upper-cased (resource names are case-insensitive).

#include "platform/WinTypes.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace platform
{
struct ResourceEntry
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

class ResourceTable
{
public:
    // Made on first use, so that registrations from any static initialiser find it.
    static ResourceTable& Instance();

    // A key of a type or name given as MAKEINTRESOURCEW number or as a text; empty for NULL.
    static std::string KeyOf(LPCWSTR typeOrName);
    // A key of a text from the build ("102" -> "#102", "zipres" -> "ZIPRES").
    static std::string KeyOfText(const std::string& text);

    bool Add(const std::string& type, const std::string& name, const ResourceEntry& entry);
    // nullptr with ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
    const ResourceEntry* Find(const std::string& type, const std::string& name);

private:
    ResourceTable() = default;

    std::mutex m_lock;
    // Entries are never removed, so their addresses serve as HRSRC.
    std::map<std::string, std::map<std::string, std::unique_ptr<ResourceEntry>>> m_types;
};
} // namespace platform
