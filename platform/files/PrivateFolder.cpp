#include "platform/files/PrivateFolder.h"

#include "platform/UniqueFd.h"
#include "platform/WinError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files
{
DWORD PreparePrivateFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return ErrorFromErrno(errno);
    // O_NOFOLLOW: a link planted in a shared folder is refused, never followed.
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return errno == ELOOP || errno == ENOTDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno);
    struct stat info = {};
    DWORD result = ERROR_SUCCESS;
    if (::fstat(fd.get(), &info) != 0)
        result = ErrorFromErrno(errno);
    else if (info.st_uid != ::geteuid())
        result = ERROR_ACCESS_DENIED;
    else if ((info.st_mode & 077) != 0 && ::fchmod(fd.get(), 0700) != 0)
        result = ErrorFromErrno(errno);
    return result;
}
} // namespace platform::files
