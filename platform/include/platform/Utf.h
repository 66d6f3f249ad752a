#pragma once
// Lossless conversions between wide strings (UTF-32 wchar_t) and UTF-8. Every path that
// crosses into the kernel goes through these, and on Linux a file name is bytes that need not
// be UTF-8 (names from archives of other systems). So each byte that is no part of valid UTF-8
// becomes one of U+DC80..U+DCFF, and ToUtf8 turns those back into the very bytes: any bytes
// survive FromUtf8 then ToUtf8 unchanged. Nothing throws; any other code point that UTF-8
// cannot carry becomes the UTF-8 form of U+FFFD.

#include <string>
#include <string_view>

namespace platform
{
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// Valid UTF-8 for a reader (text drawn on screen, window titles): each byte that FromUtf8 kept
// aside shows as U+FFFD.
std::string ToDisplayUtf8(std::wstring_view text);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
} // namespace platform
