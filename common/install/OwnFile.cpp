#include "common/install/OwnFile.h"

#include "platform/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadOwnFile(const std::string& path, std::size_t maxBytes, std::string& bytes)
{
    bytes.clear();
    const platform::UniqueFd fd(
        ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return false;
    struct stat st
    {
    };
    bool ok = ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::size_t>(st.st_size) <= maxBytes;
    char chunk[65536];
    while (ok)
    {
        const ssize_t got = ::read(fd.get(), chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        // The file may grow while it is read: the limit holds for what is read, too.
        ok = got >= 0 && bytes.size() + static_cast<std::size_t>(got) <= maxBytes;
        if (got <= 0 || !ok)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return ok;
}
