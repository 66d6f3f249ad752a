#include "platform/files/FileIo.h"

#include "platform/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace platform::files
{
namespace
{
// Repeats step(done) until size bytes have moved, retrying after signals. A step that moves
// nothing ends the loop with endError (0 for the end of a file); untilFull false ends it
// after the first step that moves anything.
template <class Step>
int Repeat(std::size_t size, bool untilFull, int endError, Step step, std::size_t* moved)
{
    std::size_t done = 0;
    int result = 0;
    while (done < size)
    {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
        {
            result = n < 0 ? errno : endError;
            break;
        }
        done += static_cast<std::size_t>(n);
        if (!untilFull)
            break;
    }
    if (moved != nullptr)
        *moved = done;
    return result;
}
} // namespace

int WriteAll(int fd, const void* data, std::size_t size, off_t offset, std::size_t* written)
{
    const auto* bytes = static_cast<const char*>(data);
    const auto step = [&](std::size_t done) {
        return offset < 0 ? ::write(fd, bytes + done, size - done)
                          : ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
    };
    return Repeat(size, true, ENOSPC, step, written); // a write that makes no progress means no room
}

int ReadAll(int fd, void* data, std::size_t size, off_t offset, bool untilFull, std::size_t* got)
{
    auto* bytes = static_cast<char*>(data);
    const auto step = [&](std::size_t done) {
        return offset < 0 ? ::read(fd, bytes + done, size - done)
                          : ::pread(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
    };
    return Repeat(size, untilFull, 0, step, got);
}

int CopyContents(int from, int to)
{
    std::vector<char> buffer(1 << 16);
    for (;;)
    {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (const int err = WriteAll(to, buffer.data(), static_cast<std::size_t>(n), -1, nullptr); err != 0)
            return err;
    }
}

int SyncFolder(const std::string& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}
} // namespace platform::files
