// The runtime's string helpers. The bounded forms check sizes before they write anything.
#include "platform/Text.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace
{
wchar_t FoldCase(wchar_t c)
{
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c - L'A' + L'a');
    if (c < 0x80)
        return c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

// Compares up to `count` characters; folded when asked. Returns the difference of the first
// characters that differ, as the runtime does.
template <class Ch> int Compare(const Ch* a, const Ch* b, std::size_t count, bool fold)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        const auto ca = static_cast<long>(fold ? FoldCase(static_cast<wchar_t>(a[i])) : a[i]);
        const auto cb = static_cast<long>(fold ? FoldCase(static_cast<wchar_t>(b[i])) : b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
    return 0;
}

int CompareNullable(const wchar_t* a, const wchar_t* b, bool fold)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    return Compare(a, b, SIZE_MAX, fold);
}

// Copies `length` characters and a zero when they fit into `size`; otherwise empties dst.
template <class Ch> errno_t CopyBounded(Ch* dst, std::size_t size, const Ch* src, std::size_t length)
{
    if (dst == nullptr || size == 0)
        return EINVAL;
    if (src == nullptr)
    {
        dst[0] = 0;
        return EINVAL;
    }
    if (length >= size)
    {
        dst[0] = 0;
        return ERANGE;
    }
    std::memmove(dst, src, length * sizeof(Ch));
    dst[length] = 0;
    return 0;
}
} // namespace

int lstrlenW(LPCWSTR text)
{
    return text == nullptr ? 0 : static_cast<int>(std::wcslen(text));
}

int lstrlenA(LPCSTR text)
{
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src)
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return std::wcscpy(dst, src);
}

LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int maxLength)
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    if (maxLength <= 0)
        return dst;
    int i = 0;
    for (; i < maxLength - 1 && src[i] != 0; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src)
{
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return std::wcscat(dst, src);
}

int lstrcmpW(LPCWSTR a, LPCWSTR b)
{
    return CompareNullable(a, b, false);
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b)
{
    return CompareNullable(a, b, true);
}

int _wcsicmp(const wchar_t* a, const wchar_t* b)
{
    return CompareNullable(a, b, true);
}

int _wcsnicmp(const wchar_t* a, const wchar_t* b, std::size_t count)
{
    if (a == nullptr || b == nullptr)
        return CompareNullable(a, b, true);
    return Compare(a, b, count, true);
}

int _stricmp(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    return Compare(ua, ub, SIZE_MAX, true);
}

errno_t wcscpy_s(wchar_t* dst, std::size_t size, const wchar_t* src)
{
    return CopyBounded(dst, size, src, src != nullptr ? std::wcslen(src) : 0);
}

errno_t strcpy_s(char* dst, std::size_t size, const char* src)
{
    return CopyBounded(dst, size, src, src != nullptr ? std::strlen(src) : 0);
}

errno_t wcsncpy_s(wchar_t* dst, std::size_t size, const wchar_t* src, std::size_t count)
{
    if (src == nullptr || dst == nullptr || size == 0)
        return CopyBounded(dst, size, src, 0);
    if (count != _TRUNCATE)
        return CopyBounded(dst, size, src, wcsnlen(src, count));
    const std::size_t length = wcsnlen(src, size);
    const errno_t rc = CopyBounded(dst, size, src, length < size ? length : size - 1);
    return rc == 0 && length >= size ? STRUNCATE : rc;
}

errno_t wcscat_s(wchar_t* dst, std::size_t size, const wchar_t* src)
{
    if (dst == nullptr || size == 0)
        return EINVAL;
    const std::size_t used = wcsnlen(dst, size);
    if (used == size) // not terminated inside its own buffer
    {
        dst[0] = 0;
        return EINVAL;
    }
    const errno_t rc = CopyBounded(dst + used, size - used, src, src != nullptr ? std::wcslen(src) : 0);
    if (rc != 0)
        dst[0] = 0;
    return rc;
}

int _wtoi(const wchar_t* text)
{
    if (text == nullptr)
        return 0;
    while (std::iswspace(static_cast<wint_t>(*text)))
        ++text;
    const bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+')
        ++text;
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
    {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

errno_t _itow_s(int value, wchar_t* buffer, std::size_t size, int radix)
{
    if (buffer == nullptr || size == 0)
        return EINVAL;
    if (radix < 2 || radix > 36)
    {
        buffer[0] = 0;
        return EINVAL;
    }
    // Only base ten has a sign; other bases print the two's complement bits.
    const bool negative = radix == 10 && value < 0;
    unsigned int rest = negative ? 0u - static_cast<unsigned int>(value) : static_cast<unsigned int>(value);
    wchar_t digits[40];
    std::size_t count = 0;
    do
    {
        digits[count++] = L"0123456789abcdefghijklmnopqrstuvwxyz"[rest % static_cast<unsigned>(radix)];
        rest /= static_cast<unsigned>(radix);
    } while (rest != 0);
    if (negative)
        digits[count++] = L'-';
    if (count >= size)
    {
        buffer[0] = 0;
        return ERANGE;
    }
    for (std::size_t i = 0; i < count; ++i)
        buffer[i] = digits[count - 1 - i];
    buffer[count] = 0;
    return 0;
}
