#include "common/base/FreshPrivateFolder.h"

#include "common/base/StringHelper.h"

#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CreatePrivateFolder(const std::wstring& folder)
{
    const std::string path = WideToAnsi(folder);
    if (path.empty() || path.front() != '/' || ::mkdir(path.c_str(), 0700) != 0)
        return false;
    const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return false;
    struct stat info = {};
    return ::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 0777) == 0700;
}
