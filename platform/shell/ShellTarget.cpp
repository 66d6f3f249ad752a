#include "platform/shell/ShellTarget.h"

#include "platform/Utf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>

namespace platform
{
namespace
{
// The length of a leading URI scheme ("http" of "http://x"), 0 when the text has none.
size_t SchemeLength(const std::wstring& text)
{
    if (text.empty() || !std::iswalpha(text[0]))
        return 0;
    for (size_t i = 1; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
        if (c == L':')
            return i;
        if (!(c < 0x80 && (std::iswalnum(c) || c == L'+' || c == L'-' || c == L'.')))
            return 0;
    }
    return 0;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool HasControlCharacter(const std::wstring& text)
{
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}
} // namespace

ShellTarget ShellTarget::Classify(const std::wstring& target, const std::wstring& directory)
{
    if (target.empty() || target.find(L'\0') != std::wstring::npos)
        return {Kind::Refused, target};
    if (target[0] != L'/' && SchemeLength(target) > 0)
        return Address(target);
    return Path(Absolute(target, directory));
}

ShellTarget ShellTarget::Address(const std::wstring& target)
{
    const std::wstring scheme = Lower(target.substr(0, SchemeLength(target)));
    const bool web = scheme == L"http" || scheme == L"https";
    // "http://" followed by a host: an address without one opens nothing useful.
    const size_t rest = scheme.size() + 3;
    const bool hasHost =
        target.compare(scheme.size(), 3, L"://") == 0 && target.size() > rest && target[rest] != L'/';
    if (!web || !hasHost || HasControlCharacter(target))
        return {Kind::Refused, target};
    return {Kind::WebAddress, target};
}

ShellTarget ShellTarget::Path(const std::wstring& path)
{
    struct stat info
    {
    };
    const std::string narrow = ToUtf8(path);
    if (::stat(narrow.c_str(), &info) != 0)
        return {Kind::Missing, path};
    if (S_ISREG(info.st_mode) && ::access(narrow.c_str(), X_OK) == 0)
        return {Kind::Program, path};
    return {Kind::Document, path};
}

// Absolute, so that no path can reach the opener looking like an option.
std::wstring ShellTarget::Absolute(const std::wstring& path, const std::wstring& directory)
{
    if (path[0] == L'/')
        return path;
    std::filesystem::path base(ToUtf8(directory));
    if (base.is_relative())
    {
        std::error_code error;
        base = std::filesystem::current_path(error) / base;
    }
    return FromUtf8((base / ToUtf8(path)).lexically_normal().string());
}
} // namespace platform
