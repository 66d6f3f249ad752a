// The per-user runtime folder that holds the single-instance lock files. Whoever can place a
// folder or symlink there could make every start look like a second instance (or share our
// locks), so an existing path is used only when it is our own real folder.
#include "platform/Kernel.h"
#include "platform/ProductName.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
namespace
{
std::string RuntimeDirPath()
{
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/" + ProductName();
    return "/tmp/" + ProductName() + "-" + std::to_string(::geteuid()) + "-run";
}

bool IsOwnPrivateFolder(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
    {
        SetLastErrorFromErrno();
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Ours: tighten a folder that someone left open to others.
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
    {
        SetLastErrorFromErrno();
        return false;
    }
    return true;
}
} // namespace

std::string RuntimeDir()
{
    std::string path = RuntimeDirPath();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    {
        SetLastErrorFromErrno();
        return {};
    }
    if (!IsOwnPrivateFolder(path))
        return {};
    return path;
}
} // namespace platform
