#pragma once
// Conversions shared by the path functions of the files area.

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

namespace platform::files
{
// The UTF-8 form of a wide path; false (ERROR_INVALID_PARAMETER / ERROR_PATH_NOT_FOUND set)
// when the path is null or empty, as Windows refuses both.
bool NarrowPath(LPCWSTR path, std::string* narrow);
// Windows buffer semantics: copies text and NUL and returns the length without the NUL when it
// fits, else returns the size needed including the NUL and leaves the buffer alone.
DWORD CopyToBuffer(std::wstring_view text, DWORD bufferLength, LPWSTR buffer);
// Copies at most capacity - 1 characters and the NUL; never writes past the buffer.
void CopyTruncated(std::wstring_view text, wchar_t* buffer, std::size_t capacity);
} // namespace platform::files
