#pragma once
// Lossless conversions between wide strings (UTF-32 wchar_t) and UTF-8. Every path that
// crosses into the kernel goes through these. Invalid input never throws: an invalid UTF-8
// sequence becomes U+FFFD, an invalid code point becomes the UTF-8 form of U+FFFD.

#include <string>
#include <string_view>

namespace platform
{
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
} // namespace platform
