#include "platform/shell/ItemIdList.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

struct ITEMIDLIST
{
    std::uint64_t tag;
    std::uint64_t length; // characters of the path that follows, without the zero
};

namespace platform
{
namespace
{
constexpr std::uint64_t kTag = 0x5049444C50415448ull; // "PIDLPATH"

const wchar_t* Chars(PCIDLIST_ABSOLUTE pidl)
{
    return reinterpret_cast<const wchar_t*>(pidl + 1);
}
} // namespace

PIDLIST_ABSOLUTE ItemIdList::Create(const std::wstring& path)
{
    const size_t bytes = sizeof(ITEMIDLIST) + (path.size() + 1) * sizeof(wchar_t);
    auto* pidl = static_cast<ITEMIDLIST*>(CoTaskMemAlloc(bytes));
    if (pidl == nullptr)
        return nullptr;
    pidl->tag = kTag;
    pidl->length = path.size();
    auto* chars = reinterpret_cast<wchar_t*>(pidl + 1);
    std::memcpy(chars, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return pidl;
}

std::optional<std::wstring> ItemIdList::PathOf(PCIDLIST_ABSOLUTE pidl)
{
    if (pidl == nullptr || pidl->tag != kTag)
        return std::nullopt;
    return std::wstring(Chars(pidl), static_cast<size_t>(pidl->length));
}
} // namespace platform

LPVOID CoTaskMemAlloc(SIZE_T bytes)
{
    return std::malloc(bytes != 0 ? bytes : 1);
}

void CoTaskMemFree(LPVOID memory)
{
    std::free(memory);
}

void ILFree(LPITEMIDLIST pidl)
{
    CoTaskMemFree(pidl);
}
