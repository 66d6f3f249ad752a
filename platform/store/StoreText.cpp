#include "platform/store/StoreText.h"

#include "platform/Utf.h"

#include <charconv>
#include <cstdint>

namespace platform::store
{
namespace
{
bool StandsForItself(wchar_t c)
{
    const auto code = static_cast<std::uint32_t>(c);
    if (code < 0x20 || code == 0x7F)
        return false;
    return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}
} // namespace

std::string EscapeText(std::wstring_view text, wchar_t escape, std::wstring_view specials)
{
    std::wstring plain;
    std::string out;
    auto flush = [&] {
        out += ToUtf8(plain);
        plain.clear();
    };
    for (wchar_t c : text)
    {
        if (c != escape && StandsForItself(c) && specials.find(c) == std::wstring_view::npos)
        {
            plain += c;
            continue;
        }
        flush();
        char hex[16];
        const auto end = std::to_chars(hex, hex + sizeof(hex), static_cast<std::uint32_t>(c), 16).ptr;
        out += ToUtf8(std::wstring(1, escape));
        out += '{';
        out.append(hex, end);
        out += '}';
    }
    flush();
    return out;
}

std::optional<std::wstring> UnescapeText(std::string_view text, wchar_t escape)
{
    const std::wstring wide = FromUtf8(text);
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i)
    {
        if (wide[i] != escape)
        {
            out += wide[i];
            continue;
        }
        const size_t close = wide.find(L'}', i);
        if (i + 2 >= wide.size() || wide[i + 1] != L'{' || close == std::wstring::npos || close - i > 10)
            return std::nullopt;
        const std::string hex = ToUtf8(wide.substr(i + 2, close - i - 2));
        unsigned long code = 0;
        const auto result = std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
        if (hex.empty() || result.ec != std::errc() || result.ptr != hex.data() + hex.size() ||
            code > 0xFFFFFFFFul)
            return std::nullopt;
        out += static_cast<wchar_t>(code);
        i = close;
    }
    return out;
}
} // namespace platform::store
