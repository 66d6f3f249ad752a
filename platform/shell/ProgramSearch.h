#pragma once
// Finding a helper program of the desktop (xdg-open, xdg-user-dir) at the time of the call,
// as `command -v` does: it may be installed or removed while we run.

#include <string>

namespace platform
{
class ProgramSearch
{
public:
    // The executable file that name stands for (a name with a "/" is taken as it is), or an
    // empty string when there is none.
    static std::string Find(const std::string& name);

private:
    static bool IsExecutableFile(const std::string& path);
};
} // namespace platform
