#include "platform/resources/ResourceTable.h"

#include "platform/Resources.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <algorithm>
#include <cctype>

namespace platform
{
namespace
{
std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}
} // namespace

ResourceTable& ResourceTable::Instance()
{
    static ResourceTable* const instance = new ResourceTable;
    return *instance;
}

std::string ResourceTable::KeyOf(LPCWSTR typeOrName)
{
    if (typeOrName == nullptr)
        return {};
    const auto value = reinterpret_cast<ULONG_PTR>(typeOrName);
    if ((value >> 16) == 0)
        return "#" + std::to_string(value);
    return Upper(ToUtf8(typeOrName));
}

std::string ResourceTable::KeyOfText(const std::string& text)
{
    const bool number = !text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), ::isdigit);
    if (number && std::stoul(text) <= 0xFFFF)
        return "#" + std::to_string(std::stoul(text));
    return Upper(text);
}

bool ResourceTable::Add(const std::string& type, const std::string& name, const ResourceEntry& entry)
{
    std::lock_guard lock(m_lock);
    auto& names = m_types[type];
    if (names.count(name) != 0)
        return false;
    names.emplace(name, std::make_unique<ResourceEntry>(entry));
    return true;
}

const ResourceEntry* ResourceTable::Find(const std::string& type, const std::string& name)
{
    std::lock_guard lock(m_lock);
    auto types = m_types.find(type);
    if (type.empty() || types == m_types.end())
    {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    auto names = types->second.find(name);
    if (name.empty() || names == types->second.end())
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return names->second.get();
}
} // namespace platform
