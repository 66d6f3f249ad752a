#include "LockedFile.h"

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

// Opens path (flags added to kOwnFileFlags) when it is a regular file; otherwise -1 with the
// last error set and the refusal reported. errno stays ENOENT for a missing file.
int OpenRegular(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | kOwnFileFlags, 0666);
    if (fd < 0)
    {
        const int savedErrno = errno;
        if (savedErrno == ELOOP)
            ReportRefused(path, "is a symbolic link");
        SetLastErrorFromErrno();
        errno = savedErrno;
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ReportRefused(path, "is not a regular file");
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        errno = EACCES;
        return -1;
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
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

LockedFile::LockedFile(const std::string& path) : m_path(path)
{
    // Another writer may rename a new file over the path while we wait; retry on the new one.
    for (int attempt = 0; attempt < 1000 && m_fd < 0; ++attempt)
    {
        if (!LockCurrentFile() && GetLastError() != ERROR_SUCCESS)
            return;
    }
}

LockedFile::~LockedFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing drops the lock
}

// True with the lock held; false with ERROR_SUCCESS when the file was replaced meanwhile.
bool LockedFile::LockCurrentFile()
{
    const int fd = OpenRegular(m_path, O_RDONLY | O_CREAT);
    if (fd < 0)
        return false;
    int rc;
    while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR)
    {
    }
    struct stat locked
    {
    };
    struct stat current
    {
    };
    if (rc != 0 || ::fstat(fd, &locked) != 0)
    {
        SetLastErrorFromErrno();
        ::close(fd);
        return false;
    }
    if (::lstat(m_path.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
        current.st_dev != locked.st_dev)
    {
        ::close(fd);
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    m_fd = fd;
    m_mode = locked.st_mode & 07777;
    return true;
}

bool LockedFile::Read(std::string& bytes) const
{
    if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) != 0 || !ReadAll(m_fd, bytes))
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
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, bytes) && ::fchmod(fd, m_mode) == 0 && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return ok;
}

bool LockedFile::Replace(std::string_view bytes) const
{
    if (m_fd < 0)
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
    const int fd = OpenRegular(path, O_RDONLY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    exists = true;
    const bool ok = ReadAll(fd, bytes);
    if (!ok)
        SetLastErrorFromErrno();
    ::close(fd);
    return ok;
}
} // namespace platform::store
