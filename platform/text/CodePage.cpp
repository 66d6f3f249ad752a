// Code-page conversions. The ANSI code page is UTF-8 on this system, so CP_ACP is lossless;
// GBK (936) goes through iconv for the few fixed texts stored in it.
#include "platform/Text.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

namespace
{
constexpr wchar_t kReplacement = 0xFFFD;

bool IsUtf8CodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == CP_UTF8;
}

// One iconv conversion descriptor for the length of a call.
class Iconv
{
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    ~Iconv()
    {
        if (Valid())
            iconv_close(m_cd);
    }
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns false and leaves `in` at the offending input when
    // that input is invalid or unmappable (errno EILSEQ) or cut off (errno EINVAL).
    bool Convert(const char*& in, std::size_t& inLeft, std::string& out)
    {
        while (inLeft > 0)
        {
            char chunk[256];
            char* outPtr = chunk;
            std::size_t outLeft = sizeof chunk;
            const std::size_t rc = iconv(m_cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(chunk, outPtr);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    iconv_t m_cd;
};

std::optional<std::wstring> GbkToWide(const char* src, std::size_t length, bool strict)
{
    Iconv cd("WCHAR_T", "CP936");
    if (!cd.Valid())
        return std::nullopt;
    std::string bytes;
    std::wstring wide;
    while (length > 0)
    {
        bytes.clear();
        const bool ok = cd.Convert(src, length, bytes);
        wide.append(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        if (ok)
            break;
        if (strict)
            return std::nullopt;
        wide.push_back(kReplacement); // skip one byte and carry on, as the decoder resynchronises
        ++src;
        --length;
    }
    return wide;
}

std::optional<std::string> WideToGbk(const wchar_t* src, std::size_t length, char defaultChar,
                                     bool& usedDefault)
{
    Iconv cd("CP936", "WCHAR_T");
    if (!cd.Valid())
        return std::nullopt;
    const char* in = reinterpret_cast<const char*>(src);
    std::size_t inLeft = length * sizeof(wchar_t);
    std::string out;
    while (!cd.Convert(in, inLeft, out))
    {
        out.push_back(defaultChar);
        usedDefault = true;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    return out;
}

bool IsEncodable(std::wstring_view text)
{
    for (wchar_t c : text)
    {
        const auto value = static_cast<std::uint32_t>(c);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
    }
    return true;
}

// Copies a whole result into the caller's buffer, or only reports its size.
template <class Ch> int Deliver(const std::basic_string<Ch>& result, Ch* dst, int capacity)
{
    if (result.size() > static_cast<std::size_t>(INT32_MAX))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int size = static_cast<int>(result.size());
    if (capacity == 0)
        return size;
    if (size > capacity)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(result.begin(), result.end(), dst);
    return size;
}

bool ValidArguments(const void* src, int srcCount, const void* dst, int dstCount)
{
    if (src == nullptr || srcCount == 0 || srcCount < -1 || dstCount < 0 ||
        (dst == nullptr && dstCount != 0) || (dst != nullptr && dst == src))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}
} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbSrc, LPWSTR dst, int cchDst)
{
    if (!ValidArguments(src, cbSrc, dst, cchDst))
        return 0;
    const std::size_t length = cbSrc == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(cbSrc);
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    std::optional<std::wstring> wide;
    if (IsUtf8CodePage(codePage))
    {
        const std::string_view bytes(src, length);
        if (!strict || platform::IsValidUtf8(bytes))
            wide = platform::FromUtf8(bytes);
    }
    else if (codePage == CP_GBK)
    {
        wide = GbkToWide(src, length, strict);
    }
    else
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!wide)
    {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(*wide, dst, cchDst);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchSrc, LPSTR dst, int cbDst,
                        LPCSTR defaultChar, LPBOOL usedDefault)
{
    if (!ValidArguments(src, cchSrc, dst, cbDst))
        return 0;
    const std::size_t length = cchSrc == -1 ? std::wcslen(src) + 1 : static_cast<std::size_t>(cchSrc);
    const std::wstring_view text(src, length);
    bool replaced = false;
    std::optional<std::string> bytes;
    if (IsUtf8CodePage(codePage))
    {
        replaced = !IsEncodable(text);
        if (!replaced || (flags & WC_ERR_INVALID_CHARS) == 0)
            bytes = platform::ToUtf8(text);
    }
    else if (codePage == CP_GBK)
    {
        bytes = WideToGbk(src, length, defaultChar != nullptr ? *defaultChar : '?', replaced);
    }
    else
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!bytes)
    {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (usedDefault != nullptr)
        *usedDefault = replaced ? TRUE : FALSE;
    return Deliver(*bytes, dst, cbDst);
}
