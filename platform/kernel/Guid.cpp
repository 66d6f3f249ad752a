#include "platform/Guid.h"

#include <sys/random.h>

#include <cstring>

namespace
{
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);
} // namespace

HRESULT CoCreateGuid(GUID* guid)
{
    if (guid == nullptr)
        return kFail;
    unsigned char bytes[16] = {};
    if (::getrandom(bytes, sizeof(bytes), 0) != static_cast<ssize_t>(sizeof(bytes)))
        return kFail;
    // Version 4, variant 1 (RFC 4122).
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    guid->Data1 = (DWORD{bytes[0]} << 24) | (DWORD{bytes[1]} << 16) | (DWORD{bytes[2]} << 8) | bytes[3];
    guid->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    guid->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    std::memcpy(guid->Data4, bytes + 8, 8);
    return 0;
}

HRESULT CoInitialize(LPVOID)
{
    return 0;
}

void CoUninitialize() {}
