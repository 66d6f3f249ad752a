#include "platform/files/PathText.h"

#include "platform/PathParts.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <algorithm>

namespace platform::files
{
bool NarrowPath(LPCWSTR path, std::string* narrow)
{
    if (path == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (path[0] == L'\0')
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    *narrow = ToUtf8(path);
    return true;
}

DWORD CopyToBuffer(std::wstring_view text, DWORD bufferLength, LPWSTR buffer)
{
    if (buffer == nullptr || text.size() >= bufferLength)
        return static_cast<DWORD>(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return static_cast<DWORD>(text.size());
}

void CopyTruncated(std::wstring_view text, wchar_t* buffer, std::size_t capacity)
{
    if (capacity == 0)
        return;
    const std::size_t count = std::min(text.size(), capacity - 1);
    std::copy_n(text.begin(), count, buffer);
    buffer[count] = L'\0';
}

} // namespace platform::files

namespace platform
{
namespace
{
template <typename Text> Text FolderPart(const Text& path)
{
    const auto slash = path.rfind('/');
    if (slash == Text::npos)
        return Text(1, '.');
    return slash == 0 ? Text(1, '/') : path.substr(0, slash);
}
} // namespace

std::string ParentFolder(const std::string& path)
{
    return FolderPart(path);
}

std::wstring ParentFolder(const std::wstring& path)
{
    return FolderPart(path);
}
} // namespace platform
