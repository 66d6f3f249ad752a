#include "platform/store/LockedFile.h"

#include "platform/DebugOutput.h"
#include "platform/PathParts.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::store
{
namespace
{
// Own files are never opened through a link, and a FIFO in their place must not block us.
constexpr int kOwnFileFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

void ReportRefused(const std::string& path, const char* why)
{
    OutputDebugStringA((path + ": " + why + "; left alone").c_str());
}

// Opens path (flags added to kOwnFileFlags) when it is a regular file; otherwise empty with the
// last error set and the refusal reported. errno stays ENOENT for a missing file.
UniqueFd OpenRegular(const std::string& path, int flags)
{
    UniqueFd fd(::open(path.c_str(), flags | kOwnFileFlags, 0666));
    if (!fd)
    {
        const int savedErrno = errno;
        if (savedErrno == ELOOP)
            ReportRefused(path, "is a symbolic link");
        SetLastErrorFromErrno();
        errno = savedErrno;
        return fd;
    }
    struct stat st
    {
    };
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    {
        ReportRefused(path, "is not a regular file");
        fd.reset();
        SetLastError(ERROR_ACCESS_DENIED);
        errno = EACCES;
    }
    return fd;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty())
    {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool ReadAll(int fd, std::string& bytes)
{
    bytes.clear();
    char chunk[65536];
    for (;;)
    {
        const ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(chunk, static_cast<size_t>(got));
    }
}

void SyncFolder(const std::string& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}
} // namespace

LockedFile::LockedFile(const std::string& path) : m_path(path)
{
    // Another writer may rename a new file over the path while we wait; retry on the new one.
    for (int attempt = 0; attempt < 1000 && !m_fd; ++attempt)
    {
        if (!LockCurrentFile() && GetLastError() != ERROR_SUCCESS)
            return;
    }
}

// True with the lock held; false with ERROR_SUCCESS when the file was replaced meanwhile.
bool LockedFile::LockCurrentFile()
{
    UniqueFd fd = OpenRegular(m_path, O_RDONLY | O_CREAT);
    if (!fd)
        return false;
    int rc;
    while ((rc = ::flock(fd.get(), LOCK_EX)) != 0 && errno == EINTR)
    {
    }
    struct stat locked
    {
    };
    struct stat current
    {
    };
    if (rc != 0 || ::fstat(fd.get(), &locked) != 0)
    {
        SetLastErrorFromErrno();
        return false;
    }
    if (::lstat(m_path.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
        current.st_dev != locked.st_dev)
    {
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    m_fd = std::move(fd);
    m_mode = locked.st_mode & 07777;
    return true;
}

bool LockedFile::Read(std::string& bytes) const
{
    if (!m_fd || ::lseek(m_fd.get(), 0, SEEK_SET) != 0 || !ReadAll(m_fd.get(), bytes))
    {
        SetLastErrorFromErrno();
        return false;
    }
    return true;
}

bool LockedFile::WriteTemporary(std::string_view bytes, std::string& tempPath) const
{
    const auto slash = m_path.rfind('/');
    const std::string name = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
    tempPath = ParentFolder(m_path) + "/." + name + ".tmp-XXXXXX";
    UniqueFd fd(::mkostemp(tempPath.data(), O_CLOEXEC));
    if (!fd)
        return false;
    const bool ok = WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), m_mode) == 0 && ::fsync(fd.get()) == 0;
    const int savedErrno = errno;
    fd.reset();
    errno = savedErrno;
    return ok;
}

bool LockedFile::Replace(std::string_view bytes) const
{
    if (!m_fd)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    std::string tempPath;
    if (!WriteTemporary(bytes, tempPath) || ::rename(tempPath.c_str(), m_path.c_str()) != 0)
    {
        SetLastErrorFromErrno();
        const int savedErrno = errno;
        ::unlink(tempPath.c_str());
        errno = savedErrno;
        return false;
    }
    SyncFolder(ParentFolder(m_path));
    return true;
}

bool LockedFile::ReadPath(const std::string& path, std::string& bytes, bool& exists)
{
    bytes.clear();
    exists = false;
    const UniqueFd fd = OpenRegular(path, O_RDONLY);
    if (!fd)
        return errno == ENOENT || errno == ENOTDIR;
    exists = true;
    const bool ok = ReadAll(fd.get(), bytes);
    if (!ok)
        SetLastErrorFromErrno();
    return ok;
}
} // namespace platform::store
