#include "platform/files/FileStatus.h"

#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform::files
{
namespace
{

timespec FromStatx(const statx_timestamp& time)
{
    timespec result{};
    result.tv_sec = time.tv_sec;
    result.tv_nsec = time.tv_nsec;
    return result;
}

int Describe(int dirFd, const char* path, int flags, FileStatus* status)
{
    struct statx info = {};
    if (::statx(dirFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return errno;
    status->mode = info.stx_mode;
    status->uid = info.stx_uid;
    status->size = info.stx_size;
    status->accessTime = FromStatx(info.stx_atime);
    status->writeTime = FromStatx(info.stx_mtime);
    status->creationTime = (info.stx_mask & STATX_BTIME) != 0 ? FromStatx(info.stx_btime) : status->writeTime;
    return 0;
}

std::string_view BaseName(std::string_view name)
{
    while (name.size() > 1 && name.back() == '/')
        name.remove_suffix(1);
    const auto slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}
} // namespace

int StatPath(const std::string& path, bool follow, FileStatus* status)
{
    return Describe(AT_FDCWD, path.c_str(), follow ? 0 : AT_SYMLINK_NOFOLLOW, status);
}

int StatDescriptor(int fd, FileStatus* status)
{
    return Describe(fd, "", AT_EMPTY_PATH, status);
}

DWORD AttributesOf(const FileStatus& status, std::string_view name, bool linkToFolder)
{
    DWORD attributes = 0;
    if (S_ISDIR(status.mode) || (S_ISLNK(status.mode) && linkToFolder))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISLNK(status.mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (S_ISREG(status.mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if ((status.mode & S_IWUSR) == 0 && !S_ISLNK(status.mode))
        attributes |= FILE_ATTRIBUTE_READONLY;
    const std::string_view base = BaseName(name);
    if (base.size() > 1 && base[0] == '.' && base != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

} // namespace platform::files
