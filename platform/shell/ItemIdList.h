#pragma once
// An item id list of ours: one CoTaskMemAlloc block holding a tag, the length and the path, so
// that CoTaskMemFree frees it whole and a pointer that is not one of ours is recognised.

#include "platform/Shell.h"

#include <optional>
#include <string>

namespace platform
{
class ItemIdList
{
public:
    // nullptr when out of memory.
    static PIDLIST_ABSOLUTE Create(const std::wstring& path);
    static std::optional<std::wstring> PathOf(PCIDLIST_ABSOLUTE pidl);
};
} // namespace platform
