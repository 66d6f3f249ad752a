#pragma once
// The filter of an open-file dialog: "description\0pattern;pattern\0...\0\0" pairs, and the
// test of a file name against one pair's patterns. Patterns match case-insensitively, as file
// names do on the desktop the programs were made for (a camera's PHOTO.JPG is a "*.jpg").

#include "platform/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

namespace platform
{
class FilterList
{
public:
    using Filter = std::pair<std::wstring, std::wstring>; // description, patterns

    // A pair without its pattern ends the list; so do two zeros.
    static std::vector<Filter> Parse(LPCWSTR filter);
    // "*.*" and "*" match every name, also one without a dot.
    static bool Matches(const std::wstring& patterns, const std::wstring& name);
    static std::vector<std::wstring> Split(const std::wstring& patterns);
};
} // namespace platform
