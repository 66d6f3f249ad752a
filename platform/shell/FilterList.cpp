#include "platform/shell/FilterList.h"

#include "platform/Utf.h"

#include <fnmatch.h>

#include <algorithm>
#include <cwctype>

namespace platform
{
namespace
{
std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool MatchesOne(const std::wstring& pattern, const std::wstring& lowerName)
{
    if (pattern == L"*" || pattern == L"*.*")
        return true;
    return ::fnmatch(ToUtf8(Lower(pattern)).c_str(), ToUtf8(lowerName).c_str(), FNM_PERIOD) == 0;
}
} // namespace

std::vector<FilterList::Filter> FilterList::Parse(LPCWSTR filter)
{
    std::vector<Filter> filters;
    if (filter == nullptr)
        return filters;
    for (const wchar_t* at = filter; *at != L'\0';)
    {
        std::wstring description(at);
        at += description.size() + 1;
        if (*at == L'\0')
            break;
        std::wstring patterns(at);
        at += patterns.size() + 1;
        filters.emplace_back(std::move(description), std::move(patterns));
    }
    return filters;
}

std::vector<std::wstring> FilterList::Split(const std::wstring& patterns)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= patterns.size())
    {
        size_t end = patterns.find(L';', start);
        if (end == std::wstring::npos)
            end = patterns.size();
        std::wstring part = patterns.substr(start, end - start);
        part.erase(0, part.find_first_not_of(L' '));
        part.erase(part.find_last_not_of(L' ') + 1);
        if (!part.empty())
            parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

bool FilterList::Matches(const std::wstring& patterns, const std::wstring& name)
{
    const std::wstring lowerName = Lower(name);
    const std::vector<std::wstring> parts = Split(patterns);
    return std::any_of(parts.begin(), parts.end(),
                       [&](const std::wstring& p) { return MatchesOne(p, lowerName); });
}
} // namespace platform
