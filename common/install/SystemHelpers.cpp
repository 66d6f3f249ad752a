#include "common/install/SystemHelpers.h"

#include "common/base/StringHelper.h"

#include "platform/Guid.h"
#include "platform/Network.h"

#include <sys/random.h>

#include <cstdio>
#include <cwchar>

namespace
{
std::wstring FormatGuid(unsigned long data1, unsigned data2, unsigned data3, const unsigned char* data4)
{
    wchar_t text[128] = {};
    std::swprintf(text, 128, L"{%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X}", data1, data2, data3,
                  data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return text;
}
} // namespace

bool IsVersionOrGreater(WORD, WORD, WORD)
{
    // There is no Windows version to compare with: every test fails, so the code is 0.
    return false;
}

int GetOSVersionCode()
{
    const bool w64 = Is64BitSystem();
    if (IsVersionOrGreater(10, 0, 0))
        return w64 ? 13 : 12;
    if (IsVersionOrGreater(6, 3, 0))
        return w64 ? 11 : 10;
    if (IsVersionOrGreater(6, 2, 0))
        return w64 ? 9 : 8;
    if (IsVersionOrGreater(6, 1, 0))
        return w64 ? 7 : 6;
    if (IsVersionOrGreater(6, 0, 0))
        return w64 ? 5 : 4;
    if (IsVersionOrGreater(5, 1, 3))
        return 2;
    if (IsVersionOrGreater(5, 1, 0))
        return w64 ? 3 : 1;
    return 0;
}

int QueryOSVersionCode(unsigned* out)
{
    *out = static_cast<unsigned>(GetOSVersionCode());
    return 1;
}

bool Is64BitSystem()
{
    return sizeof(void*) == 8;
}

bool IsWow64()
{
    return false;
}

std::string GetOSName()
{
    static const char* const kNames[] = {
        "未知系统",        "xp系统",          "xp_sp3系统",     "xp 64位系统",   "vista 32位系统",
        "vista 64系统",    "win7 32位系统",   "win7 64位系统",  "win8 32位系统", "win8 64位系统",
        "win8.1 32位系统", "win8.1 64位系统", "win10 32位系统", "win10 64位系统"};
    const int code = GetOSVersionCode();
    return code >= 0 && code <= 13 ? kNames[code] : kNames[0];
}

std::wstring GetOSNameW()
{
    return AnsiToWide(GetOSName());
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix)
{
    return suffix.size() <= text.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring NewGuidString()
{
    CoInitialize(nullptr);
    GUID guid{};
    std::wstring text;
    if (CoCreateGuid(&guid) == 0)
        text = FormatGuid(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
    CoUninitialize();
    return text.empty() ? RandomGuidText() : text;
}

std::wstring RandomGuidText()
{
    // Never the time-seeded C generator: two setups started in the same second would make
    // the same id. The kernel's source blocks only until it is seeded at boot.
    unsigned char bytes[16] = {};
    std::size_t filled = 0;
    while (filled < sizeof(bytes))
    {
        const ssize_t got = ::getrandom(bytes + filled, sizeof(bytes) - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
    }
    const unsigned long data1 =
        (static_cast<unsigned long>(bytes[0]) << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
    return FormatGuid(data1, (bytes[4] << 8) | bytes[5], (bytes[6] << 8) | bytes[7], bytes + 8);
}

bool GetMacAddress(std::string* out)
{
    if (GetMacByNetbios(out) || GetMacByAdapters(out))
        return true;
    *out = "unknowuser00";
    return false;
}

bool GetMacByNetbios(std::string*)
{
    return false;
}

bool GetMacByAdapters(std::string* out)
{
    const auto adapters = platform::ListEthernetAdapters();
    if (adapters.empty())
        return false;
    const auto& a = adapters.front().address;
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%02x-%02x-%02x-%02x-%02x-%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
    *out = text;
    return true;
}
