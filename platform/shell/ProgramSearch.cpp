#include "platform/shell/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace platform
{
bool ProgramSearch::IsExecutableFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string ProgramSearch::Find(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true)
    {
        const size_t colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        // An empty entry means the current folder, which is never searched for helpers of ours.
        if (!folder.empty() && folder[0] == '/' && IsExecutableFile(folder + "/" + name))
            return folder + "/" + name;
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}
} // namespace platform
