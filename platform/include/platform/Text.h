#pragma once
// Code-page conversions, the C runtime's wide string helpers and the Windows-style printf
// family. Wide strings are wchar_t (UTF-32), so a buffer size always counts characters.
//
// The formatter follows the Windows conventions, not glibc's: in a wide format "%s" takes a
// wide string and "%S" a narrow (UTF-8) one; in a narrow format the other way round. "l" on
// an integer means 32 bits as on Windows (pass 64-bit values with "ll", "I64", "I" or "z"),
// "L" on a floating conversion reads a double, "%n" is not supported and prints nothing.
// Floating precisions above 1024 are treated as 1024.

#include "platform/WinTypes.h"

#include <cstdarg>
#include <cstddef>
#include <string>

using errno_t = int;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_GBK = 936;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

constexpr errno_t STRUNCATE = 80;
constexpr std::size_t _TRUNCATE = static_cast<std::size_t>(-1);

// CP_ACP, CP_OEMCP and CP_THREAD_ACP mean UTF-8 here; 936 is GBK. Invalid UTF-8 keeps its bytes
// (platform/Utf.h), invalid GBK becomes U+FFFD, unless MB_ERR_INVALID_CHARS asks for failure
// (ERROR_NO_UNICODE_TRANSLATION).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbSrc, LPWSTR dst, int cchDst);
// Characters a GBK target cannot hold become defaultChar (default "?") and set *usedDefault.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchSrc, LPSTR dst, int cbDst,
                        LPCSTR defaultChar, LPBOOL usedDefault);

int lstrlenW(LPCWSTR text);
int lstrlenA(LPCSTR text);
LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src);
// Copies at most maxLength - 1 characters and always terminates (when maxLength > 0).
LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int maxLength);
LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src);
// -1, 0 or 1; a null string sorts before any other.
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);

int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, std::size_t count);
int _stricmp(const char* a, const char* b);

// The bounded copies never write past the buffer. Where the runtime would call its invalid
// parameter handler (and end the program), they return EINVAL/ERANGE with dst emptied.
errno_t wcscpy_s(wchar_t* dst, std::size_t size, const wchar_t* src);
errno_t wcsncpy_s(wchar_t* dst, std::size_t size, const wchar_t* src, std::size_t count);
errno_t wcscat_s(wchar_t* dst, std::size_t size, const wchar_t* src);
errno_t strcpy_s(char* dst, std::size_t size, const char* src);

// Saturates at INT_MIN/INT_MAX; a null string gives 0.
int _wtoi(const wchar_t* text);
errno_t _itow_s(int value, wchar_t* buffer, std::size_t size, int radix);

// wsprintfW writes at most 1024 characters including the terminating zero, as Windows does,
// and returns the number written; wnsprintfW truncates the same way to its buffer.
int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args);
int wnsprintfW(LPWSTR buffer, int cchBuffer, LPCWSTR format, ...);
// Unlike Windows, these always terminate: an output of count characters or more is cut to
// count - 1 characters plus the zero, and the result is -1.
int _snwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, ...);
int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args);
// Output that does not fit leaves the buffer empty and returns -1.
int swprintf_s(wchar_t* buffer, std::size_t count, const wchar_t* format, ...);
int vswprintf_s(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args);
// count may be _TRUNCATE: as much as fits is kept and the result is -1 when cut.
int _snwprintf_s(wchar_t* buffer, std::size_t size, std::size_t count, const wchar_t* format, ...);
int _vsnwprintf_s(wchar_t* buffer, std::size_t size, std::size_t count, const wchar_t* format, va_list args);
int sprintf_s(char* buffer, std::size_t size, const char* format, ...);
int vsprintf_s(char* buffer, std::size_t size, const char* format, va_list args);
int _snprintf_s(char* buffer, std::size_t size, std::size_t count, const char* format, ...);
int _vsnprintf_s(char* buffer, std::size_t size, std::size_t count, const char* format, va_list args);

// The array forms the runtime offers to C++ callers.
template <std::size_t N> errno_t wcscpy_s(wchar_t (&dst)[N], const wchar_t* src)
{
    return wcscpy_s(dst, N, src);
}
template <std::size_t N> errno_t wcsncpy_s(wchar_t (&dst)[N], const wchar_t* src, std::size_t count)
{
    return wcsncpy_s(dst, N, src, count);
}
template <std::size_t N> errno_t wcscat_s(wchar_t (&dst)[N], const wchar_t* src)
{
    return wcscat_s(dst, N, src);
}
template <std::size_t N> errno_t strcpy_s(char (&dst)[N], const char* src)
{
    return strcpy_s(dst, N, src);
}
template <std::size_t N> errno_t _itow_s(int value, wchar_t (&buffer)[N], int radix)
{
    return _itow_s(value, buffer, N, radix);
}
template <std::size_t N> int swprintf_s(wchar_t (&buffer)[N], const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = vswprintf_s(buffer, N, format, args);
    va_end(args);
    return result;
}
template <std::size_t N> int _snwprintf_s(wchar_t (&buffer)[N], std::size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = _vsnwprintf_s(buffer, N, count, format, args);
    va_end(args);
    return result;
}
template <std::size_t N> int sprintf_s(char (&buffer)[N], const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = vsprintf_s(buffer, N, format, args);
    va_end(args);
    return result;
}

#define wsprintf wsprintfW
#define wvsprintf wvsprintfW
#define lstrlen lstrlenW
#define lstrcpy lstrcpyW
#define lstrcpyn lstrcpynW
#define lstrcat lstrcatW
#define lstrcmp lstrcmpW
#define lstrcmpi lstrcmpiW

namespace platform
{
// The whole formatted text, without a length limit.
std::wstring FormatWide(const wchar_t* format, va_list args);
std::string FormatNarrow(const char* format, va_list args);
} // namespace platform
