// File handles: CreateFileW and the calls that work on its result.
#include "platform/files/FileIo.h"
#include "platform/files/FileObject.h"
#include "platform/files/FileStatus.h"
#include "platform/files/PathText.h"

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/UniqueFd.h"
#include "platform/WinError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using platform::FileObject;
using platform::HandleRef;
using platform::files::FileStatus;

int AccessMode(DWORD access)
{
    const bool read = (access & (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE)) != 0;
    const bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    if (write)
        return read ? O_RDWR : O_WRONLY;
    return O_RDONLY; // also for attribute-only access (e.g. to set the file times)
}

// Opens with the disposition; *existed tells whether the file was there before.
int OpenWithDisposition(const std::string& path, int flags, DWORD disposition, mode_t mode, bool* existed)
{
    *existed = true;
    switch (disposition)
    {
    case CREATE_NEW:
        *existed = false;
        return ::open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
    case OPEN_EXISTING:
        return ::open(path.c_str(), flags);
    case TRUNCATE_EXISTING:
        if ((flags & O_ACCMODE) == O_RDONLY)
        {
            errno = EINVAL; // truncating needs write access, as on Windows
            return -1;
        }
        return ::open(path.c_str(), flags | O_TRUNC);
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    const int extra = disposition == CREATE_ALWAYS ? O_TRUNC : 0;
    // Create exclusively first so that "was it there" is known; retry if it vanishes meanwhile.
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST)
        {
            *existed = false;
            return fd;
        }
        fd = ::open(path.c_str(), flags | extra);
        if (fd >= 0 || errno != ENOENT)
            return fd;
    }
    return -1;
}

// Windows opens a folder only for backup semantics, and never for writing.
bool RefusedFolder(int fd, DWORD flags)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0;
}

HANDLE Fail(int err)
{
    SetLastError(platform::ErrorFromErrno(err));
    return INVALID_HANDLE_VALUE;
}

BOOL FailErrno(int err)
{
    SetLastError(platform::ErrorFromErrno(err));
    return FALSE;
}

bool IsRegular(int fd)
{
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

off_t OverlappedOffset(LPOVERLAPPED overlapped)
{
    if (overlapped == nullptr)
        return -1;
    return static_cast<off_t>((static_cast<unsigned long long>(overlapped->OffsetHigh) << 32) |
                              overlapped->Offset);
}

// Runs one read or write on the handle's descriptor and reports the count and the error.
template <class Move> BOOL Transfer(HANDLE file, LPDWORD count, Move move)
{
    if (count != nullptr)
        *count = 0;
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return FALSE;
    std::size_t done = 0;
    const int err = move(object->fd(), &done);
    if (count != nullptr)
        *count = static_cast<DWORD>(done);
    return err == 0 ? TRUE : FailErrno(err);
}

// Moves the file pointer; false with the last error set.
bool Seek(HANDLE file, long long distance, DWORD method, long long* position)
{
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return false;
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (method > FILE_END)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const off_t result = ::lseek(object->fd(), static_cast<off_t>(distance), kWhence[method]);
    if (result < 0)
    {
        platform::SetLastErrorFromErrno();
        return false;
    }
    *position = result;
    return true;
}

bool Describe(HANDLE file, FileStatus* status)
{
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return false;
    if (const int err = platform::files::StatDescriptor(object->fd(), status); err != 0)
    {
        SetLastError(platform::ErrorFromErrno(err));
        return false;
    }
    return true;
}

timespec TimeOrOmit(const FILETIME* time)
{
    if (time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0))
        return timespec{0, UTIME_OMIT};
    return platform::FileTimeToUnix(*time);
}
} // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE)
{
    std::string path;
    if (!platform::files::NarrowPath(fileName, &path))
        return INVALID_HANDLE_VALUE;
    const int flags = AccessMode(desiredAccess) | O_CLOEXEC;
    const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    bool existed = false;
    platform::UniqueFd fd(OpenWithDisposition(path, flags, creationDisposition, mode, &existed));
    if (!fd)
        return Fail(errno);
    if (RefusedFolder(fd.get(), flagsAndAttributes))
        return Fail(EACCES);
    HANDLE handle = platform::RegisterFileDescriptor(fd.release());
    const bool reportsExisting = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped)
{
    return Transfer(file, bytesRead, [&](int fd, std::size_t* done) {
        return platform::files::ReadAll(fd, buffer, bytesToRead, OverlappedOffset(overlapped), IsRegular(fd),
                                        done);
    });
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped)
{
    return Transfer(file, bytesWritten, [&](int fd, std::size_t* done) {
        return platform::files::WriteAll(fd, buffer, bytesToWrite, OverlappedOffset(overlapped), done);
    });
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod)
{
    long long move = distance;
    if (distanceHigh != nullptr)
        move = static_cast<long long>(
            (static_cast<unsigned long long>(static_cast<DWORD>(*distanceHigh)) << 32) |
            static_cast<DWORD>(distance));
    long long position = 0;
    if (!Seek(file, move, moveMethod, &position))
        return INVALID_SET_FILE_POINTER;
    if (distanceHigh != nullptr)
        *distanceHigh = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS); // tells a low part of 0xFFFFFFFF apart from a failure
    return static_cast<DWORD>(position & 0xFFFFFFFF);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod)
{
    long long position = 0;
    if (!Seek(file, distance.QuadPart, moveMethod, &position))
        return FALSE;
    if (newPosition != nullptr)
        newPosition->QuadPart = position;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE file)
{
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return FALSE;
    const off_t position = ::lseek(object->fd(), 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(object->fd(), position) != 0)
        return FailErrno(errno);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    FileStatus status;
    if (!Describe(file, &status))
        return INVALID_FILE_SIZE;
    if (fileSizeHigh != nullptr)
        *fileSizeHigh = static_cast<DWORD>(status.size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(status.size & 0xFFFFFFFF);
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize)
{
    FileStatus status;
    if (fileSize == nullptr)
        return FailErrno(EINVAL);
    if (!Describe(file, &status))
        return FALSE;
    fileSize->QuadPart = static_cast<LONGLONG>(status.size);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return FALSE;
    return ::fsync(object->fd()) == 0 ? TRUE : FailErrno(errno);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite)
{
    FileStatus status;
    if (!Describe(file, &status))
        return FALSE;
    if (creation != nullptr)
        *creation = platform::UnixToFileTime(status.creationTime);
    if (lastAccess != nullptr)
        *lastAccess = platform::UnixToFileTime(status.accessTime);
    if (lastWrite != nullptr)
        *lastWrite = platform::UnixToFileTime(status.writeTime);
    return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite)
{
    HandleRef<FileObject> object(platform::ReferenceHandleAs<FileObject>(file));
    if (!object)
        return FALSE;
    const timespec times[2] = {TimeOrOmit(lastAccess), TimeOrOmit(lastWrite)};
    return ::futimens(object->fd(), times) == 0 ? TRUE : FailErrno(errno);
}
