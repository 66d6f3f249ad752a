#include "platform/shell/UriList.h"

#include "platform/Utf.h"

#include <unistd.h>

#include <cctype>
#include <sstream>
#include <strings.h>

namespace platform
{
namespace
{
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}
} // namespace

bool UriList::PercentDecode(const std::string& text, std::string& decoded)
{
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) // a zero would end the name early
            return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool UriList::IsLocalHost(const std::string& host)
{
    if (host.empty() || strcasecmp(host.c_str(), "localhost") == 0)
        return true;
    char name[256] = {};
    return ::gethostname(name, sizeof(name) - 1) == 0 && strcasecmp(host.c_str(), name) == 0;
}

std::string UriList::PathOf(const std::string& uri)
{
    constexpr size_t kSchemeLength = 7; // "file://"
    if (uri.size() <= kSchemeLength || strncasecmp(uri.c_str(), "file://", kSchemeLength) != 0)
        return {};
    const size_t slash = uri.find('/', kSchemeLength);
    if (slash == std::string::npos || !IsLocalHost(uri.substr(kSchemeLength, slash - kSchemeLength)))
        return {};
    // A query or fragment is no part of a file's name (a real "?" or "#" arrives encoded).
    const std::string encoded = uri.substr(slash, uri.find_first_of("?#", slash) - slash);
    // Any bytes are a name (FromUtf8 keeps those that are not UTF-8).
    std::string path;
    if (!PercentDecode(encoded, path))
        return {};
    return path;
}

std::vector<std::wstring> UriList::LocalPaths(const std::string& text)
{
    std::vector<std::wstring> paths;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::string path = PathOf(line);
        if (!path.empty())
            paths.push_back(FromUtf8(path));
    }
    return paths;
}
} // namespace platform
