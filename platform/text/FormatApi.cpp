// The printf family over the shared engine: each function differs only in how it treats a
// result that does not fit its buffer.
#include "platform/Text.h"
#include "platform/text/FormatEngine.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace
{
using platform::format::FormatResult;
using platform::format::FormatText;

// The body of a "..." function: hands its arguments to the va_list form.
#define PLATFORM_FORWARD_ARGS(call)                                                                          \
    va_list args;                                                                                            \
    va_start(args, format);                                                                                  \
    const int result = call;                                                                                 \
    va_end(args);                                                                                            \
    return result

// wsprintfW never writes more than this many characters, the terminating zero included.
constexpr std::size_t kWsprintfLimit = 1024;

template <class Ch> int Store(Ch* buffer, const FormatResult<Ch>& result)
{
    std::copy(result.text.begin(), result.text.end(), buffer);
    buffer[result.text.size()] = 0;
    return static_cast<int>(std::min<std::size_t>(result.text.size(), INT_MAX));
}

// Cuts silently to the buffer and returns what was written.
int PrintCut(wchar_t* buffer, std::size_t capacity, const wchar_t* format, va_list args)
{
    if (buffer == nullptr || capacity == 0)
        return -1;
    return Store(buffer, FormatText(format, args, capacity - 1));
}

// The secure form: output that does not fit is an error and leaves the buffer empty.
template <class Ch> int PrintSecure(Ch* buffer, std::size_t count, const Ch* format, va_list args)
{
    if (buffer == nullptr || count == 0)
        return -1;
    buffer[0] = 0;
    if (format == nullptr)
        return -1;
    const FormatResult<Ch> result = FormatText(format, args, count - 1);
    if (result.truncated)
        return -1;
    return Store(buffer, result);
}

// count characters at most; with _TRUNCATE (or a count below the buffer) a cut is allowed and
// answered with -1, otherwise output beyond the buffer is an error as in PrintSecure.
template <class Ch>
int PrintSecureCount(Ch* buffer, std::size_t size, std::size_t count, const Ch* format, va_list args)
{
    if (count != _TRUNCATE && count >= size)
        return PrintSecure(buffer, size, format, args);
    if (buffer == nullptr || size == 0)
        return -1;
    buffer[0] = 0;
    if (format == nullptr)
        return -1;
    const FormatResult<Ch> result = FormatText(format, args, std::min(count, size - 1));
    const int written = Store(buffer, result);
    return result.truncated ? -1 : written;
}
} // namespace

int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args)
{
    return PrintCut(buffer, kWsprintfLimit, format, args);
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...)
{
    PLATFORM_FORWARD_ARGS(wvsprintfW(buffer, format, args));
}

int wnsprintfW(LPWSTR buffer, int cchBuffer, LPCWSTR format, ...)
{
    if (cchBuffer <= 0)
        return -1;
    PLATFORM_FORWARD_ARGS(PrintCut(buffer, static_cast<std::size_t>(cchBuffer), format, args));
}

int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args)
{
    if (count == 0 || buffer == nullptr)
        return FormatText(format, args, 0).truncated ? -1 : 0;
    const FormatResult<wchar_t> result = FormatText(format, args, count - 1);
    const int written = Store(buffer, result);
    return result.truncated ? -1 : written;
}

int _snwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, ...)
{
    PLATFORM_FORWARD_ARGS(_vsnwprintf(buffer, count, format, args));
}

int vswprintf_s(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args)
{
    return PrintSecure(buffer, count, format, args);
}

int swprintf_s(wchar_t* buffer, std::size_t count, const wchar_t* format, ...)
{
    PLATFORM_FORWARD_ARGS(PrintSecure(buffer, count, format, args));
}

int _vsnwprintf_s(wchar_t* buffer, std::size_t size, std::size_t count, const wchar_t* format, va_list args)
{
    return PrintSecureCount(buffer, size, count, format, args);
}

int _snwprintf_s(wchar_t* buffer, std::size_t size, std::size_t count, const wchar_t* format, ...)
{
    PLATFORM_FORWARD_ARGS(PrintSecureCount(buffer, size, count, format, args));
}

int vsprintf_s(char* buffer, std::size_t size, const char* format, va_list args)
{
    return PrintSecure(buffer, size, format, args);
}

int sprintf_s(char* buffer, std::size_t size, const char* format, ...)
{
    PLATFORM_FORWARD_ARGS(PrintSecure(buffer, size, format, args));
}

int _vsnprintf_s(char* buffer, std::size_t size, std::size_t count, const char* format, va_list args)
{
    return PrintSecureCount(buffer, size, count, format, args);
}

int _snprintf_s(char* buffer, std::size_t size, std::size_t count, const char* format, ...)
{
    PLATFORM_FORWARD_ARGS(PrintSecureCount(buffer, size, count, format, args));
}

namespace platform
{
std::wstring FormatWide(const wchar_t* format, va_list args)
{
    return FormatText(format, args, SIZE_MAX).text;
}

std::string FormatNarrow(const char* format, va_list args)
{
    return FormatText(format, args, SIZE_MAX).text;
}
} // namespace platform
