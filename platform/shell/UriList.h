#pragma once
// The local files named by a dropped URI list (text/uri-list, or the same text offered as
// text/plain by some file managers): file:// URIs of this machine, percent-decoded. Other
// schemes, other hosts, comments and names that are not UTF-8 are left out.

#include <string>
#include <vector>

namespace platform
{
class UriList
{
public:
    static std::vector<std::wstring> LocalPaths(const std::string& text);
    // The path of one file URI, or an empty string when it names no local file.
    static std::string PathOf(const std::string& uri);

private:
    static bool PercentDecode(const std::string& text, std::string& decoded);
    static bool IsLocalHost(const std::string& host);
};
} // namespace platform
