#pragma once
// The printf engine behind every Windows-style formatting call, for wide and narrow formats.

#include <cstdarg>
#include <cstddef>
#include <string>

namespace platform::format
{
enum class Length
{
    None,
    Char,    // hh
    Short,   // h
    Long,    // l, I32 (32 bits as on Windows)
    Int64,   // ll, I64, j
    Pointer, // I, z, t
    Wide,    // w (strings and characters only)
    Double,  // L (a double, as on Windows)
};

// One conversion, as parsed from the text after a '%'.
struct FormatSpec
{
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    bool widthFromArgs = false;
    bool precisionFromArgs = false;
    int width = 0;
    int precision = -1; // -1: none given
    Length length = Length::None;
    char conversion = 0;      // 0 when the format ended inside the conversion
    std::size_t consumed = 0; // characters read after the '%'
};

// Parses the conversion that starts just after a '%'. Never reads past the terminating zero;
// numbers in the format saturate instead of overflowing.
template <class Ch> FormatSpec ParseFormatSpec(const Ch* text);

template <class Ch> struct FormatResult
{
    std::basic_string<Ch> text; // at most `limit` characters
    bool truncated = false;     // more would have followed
};

// Formats with the Windows conventions for Ch ("%s" is a Ch string, "%S" the other kind).
template <class Ch> FormatResult<Ch> FormatText(const Ch* format, va_list args, std::size_t limit);
} // namespace platform::format
