#include "platform/Utf.h"

namespace platform
{
namespace
{
constexpr char32_t kReplacement = 0xFFFD;
// A byte that is no part of valid UTF-8 (always 0x80..0xFF) stands as kEscapeBase + byte, a low
// surrogate that no valid text holds, and turns back into that byte.
constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kFirstEscape = 0xDC80;
constexpr char32_t kLastEscape = 0xDCFF;

bool IsEscape(char32_t c)
{
    return c >= kFirstEscape && c <= kLastEscape;
}

bool IsScalar(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (!IsScalar(c))
        c = kReplacement;
    if (c < 0x80)
    {
        out.push_back(static_cast<char>(c));
    }
    else if (c < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one sequence at text[pos]; advances pos past it (one byte for an invalid lead or
// a truncated sequence, so that decoding resynchronises). Returns false for invalid input.
bool DecodeOne(std::string_view text, size_t& pos, char32_t& out)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80)
    {
        out = lead;
        ++pos;
        return true;
    }
    if ((lead & 0xE0) == 0xC0)
    {
        extra = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        extra = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        extra = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    }
    else
    {
        ++pos;
        return false;
    }
    if (pos + extra >= text.size())
    {
        ++pos;
        return false;
    }
    for (int i = 1; i <= extra; ++i)
    {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
        {
            ++pos;
            return false;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || !IsScalar(c))
    {
        ++pos;
        return false;
    }
    pos += extra + 1;
    out = c;
    return true;
}
} // namespace

std::string ToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text)
    {
        const auto c = static_cast<char32_t>(wc);
        if (IsEscape(c))
            out.push_back(static_cast<char>(c - kEscapeBase));
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string ToDisplayUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text)
        AppendUtf8(out, static_cast<char32_t>(wc));
    return out;
}

std::wstring FromUtf8(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
    {
        const size_t at = pos;
        char32_t c = 0;
        if (!DecodeOne(text, pos, c))
            c = kEscapeBase + static_cast<unsigned char>(text[at]);
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    size_t pos = 0;
    while (pos < bytes.size())
    {
        char32_t c = 0;
        if (!DecodeOne(bytes, pos, c))
            return false;
    }
    return true;
}
} // namespace platform
