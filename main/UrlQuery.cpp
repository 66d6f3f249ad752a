#include "main/UrlQuery.h"

#include "platform/Utf.h"

std::wstring PercentEncode(const std::wstring& value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::wstring out;
    for (const unsigned char byte : platform::ToUtf8(value))
    {
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                           byte == '~';
        if (plain)
        {
            out += static_cast<wchar_t>(byte);
            continue;
        }
        out += L'%';
        out += static_cast<wchar_t>(kHex[byte >> 4]);
        out += static_cast<wchar_t>(kHex[byte & 0xF]);
    }
    return out;
}
