#include "TempPath.h"

#include "PathText.h"

#include "platform/Files.h"
#include "platform/ProductName.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstdlib>
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
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno);
    struct stat info = {};
    DWORD result = ERROR_SUCCESS;
    if (::fstat(fd, &info) != 0)
        result = ErrorFromErrno(errno);
    else if (info.st_uid != ::geteuid())
        result = ERROR_ACCESS_DENIED;
    else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        result = ErrorFromErrno(errno);
    ::close(fd);
    return result;
}
} // namespace platform::files

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer)
{
    std::string folder;
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && tmpdir[0] != '\0')
        folder = tmpdir;
    else
    {
        folder = "/tmp/" + platform::ProductName() + "-" + std::to_string(::geteuid());
        if (const DWORD err = platform::files::PreparePrivateFolder(folder); err != ERROR_SUCCESS)
        {
            SetLastError(err);
            return 0;
        }
    }
    if (folder.back() != '/')
        folder += '/';
    return platform::files::CopyToBuffer(platform::FromUtf8(folder), bufferLength, buffer);
}
