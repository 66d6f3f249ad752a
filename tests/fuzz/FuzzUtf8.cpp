// Any bytes survive decoding and encoding unchanged (file names are bytes), valid UTF-8 decodes
// to no stand-in, the display form is always valid UTF-8 with one character a wide one, and
// decoding never reads past its input.
#include "platform/Utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
bool HasStandIn(const std::wstring& wide)
{
    for (wchar_t c : wide)
    {
        if (c >= 0xDC80 && c <= 0xDCFF)
            return true;
    }
    return false;
}

// Code points in valid UTF-8: every byte but the continuation bytes starts one.
size_t CodePoints(const std::string& utf8)
{
    size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring wide = platform::FromUtf8(bytes);
    if (platform::ToUtf8(wide) != bytes)
        std::abort();
    if (platform::IsValidUtf8(bytes) == HasStandIn(wide))
        std::abort();
    const std::string shown = platform::ToDisplayUtf8(wide);
    if (!platform::IsValidUtf8(shown) || CodePoints(shown) != wide.size())
        std::abort();
    // text without stand-ins goes the other way unchanged too
    if (!HasStandIn(wide) && platform::FromUtf8(shown) != wide)
        std::abort();
    return 0;
}
