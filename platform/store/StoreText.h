#pragma once
// Escaping of names and texts in the registry's hive files. A character that cannot stand
// for itself (the escape character, the characters the caller names, controls, and values
// that are not Unicode scalar values) is written as <escape>{hex}, so any wide string
// round-trips exactly and the file stays readable UTF-8 text.

#include <optional>
#include <string>
#include <string_view>

namespace platform::store
{
std::string EscapeText(std::wstring_view text, wchar_t escape, std::wstring_view specials);
// nullopt when an escape is malformed.
std::optional<std::wstring> UnescapeText(std::string_view text, wchar_t escape);
} // namespace platform::store
