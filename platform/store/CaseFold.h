#pragma once
// Key, value, section and entry names of the registry and of profile files are matched
// without regard to case, for Unicode letters as well as ASCII, whatever the process locale.

#include <string>
#include <string_view>

namespace platform::store
{
// The upper-case form used for comparing names.
std::wstring FoldCase(std::wstring_view text);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
} // namespace platform::store
