// Path-level calls: copy, move, delete, attributes, folders and the current directory.
#include "platform/files/FileStatus.h"
#include "platform/files/PathOperations.h"
#include "platform/files/PathText.h"

#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
using platform::files::FileStatus;
using platform::files::NarrowPath;

BOOL Report(int err)
{
    SetLastError(platform::ErrorFromErrno(err));
    return err == 0 ? TRUE : FALSE;
}

int Errno(int result)
{
    return result == 0 ? 0 : errno;
}

// Runs action (UTF-8 path -> 0 or errno) and reports its result as the last error.
template <class Action> BOOL OnPath(LPCWSTR wide, Action action)
{
    std::string path;
    if (!NarrowPath(wide, &path))
        return FALSE;
    return Report(action(path));
}

bool IsFolderThroughLinks(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Lexically resolves "." and ".." and doubled "/" in an absolute path.
std::string Normalise(const std::string& absolute)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size())
    {
        const std::size_t end = std::min(absolute.find('/', start), absolute.size());
        const std::string part = absolute.substr(start, end - start);
        if (part == "..")
        {
            if (!parts.empty())
                parts.pop_back();
        }
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    const bool trailing = absolute.size() > 1 && absolute.back() == '/';
    return result.empty() ? "/" : (trailing ? result + "/" : result);
}

bool CurrentFolder(std::string* folder)
{
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr)
    {
        if (errno != ERANGE)
        {
            platform::SetLastErrorFromErrno();
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    *folder = buffer.data();
    return true;
}
} // namespace

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists)
{
    std::string from;
    std::string to;
    if (!NarrowPath(existingFileName, &from) || !NarrowPath(newFileName, &to))
        return FALSE;
    const int err = platform::files::CopyRegularFile(from, to, failIfExists != FALSE);
    if (err == EEXIST)
    {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    return Report(err == EISDIR ? EACCES : err);
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName)
{
    return MoveFileExW(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags)
{
    constexpr DWORD kNotSameDevice = 17;
    std::string from;
    std::string to;
    if (!NarrowPath(existingFileName, &from) || !NarrowPath(newFileName, &to))
        return FALSE;
    if ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const int err = platform::files::MovePath(from, to, flags);
    if (err == EXDEV)
    {
        SetLastError(kNotSameDevice);
        return FALSE;
    }
    return Report(err);
}

BOOL DeleteFileW(LPCWSTR fileName)
{
    return OnPath(fileName, [](const std::string& path) {
        struct stat info = {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno;
        return S_ISDIR(info.st_mode) ? EACCES : Errno(::unlink(path.c_str()));
    });
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    std::string path;
    if (!NarrowPath(fileName, &path))
        return INVALID_FILE_ATTRIBUTES;
    FileStatus status;
    if (const int err = platform::files::StatPath(path, false, &status); err != 0)
    {
        Report(err);
        return INVALID_FILE_ATTRIBUTES;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::files::AttributesOf(status, path, S_ISLNK(status.mode) && IsFolderThroughLinks(path));
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes)
{
    return OnPath(fileName, [fileAttributes](const std::string& path) {
        struct stat info = {};
        if (::stat(path.c_str(), &info) != 0)
            return errno;
        const mode_t mode = info.st_mode & 07777;
        const bool readOnly = (fileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        return Errno(::chmod(path.c_str(), readOnly ? (mode & ~mode_t{0222}) : (mode | S_IWUSR)));
    });
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES)
{
    const BOOL made =
        OnPath(pathName, [](const std::string& path) { return Errno(::mkdir(path.c_str(), 0777)); });
    // A missing folder on the way is "path not found", as Windows tells it apart from the last name.
    if (made == FALSE && GetLastError() == ERROR_FILE_NOT_FOUND)
        SetLastError(ERROR_PATH_NOT_FOUND);
    return made;
}

BOOL RemoveDirectoryW(LPCWSTR pathName)
{
    return OnPath(pathName, [](const std::string& path) {
        struct stat info = {};
        // A link to a folder is removed as the link, as Windows removes a folder link.
        if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && IsFolderThroughLinks(path))
            return Errno(::unlink(path.c_str()));
        return Errno(::rmdir(path.c_str()));
    });
}

BOOL PathIsDirectoryW(LPCWSTR path)
{
    std::string narrow;
    if (!NarrowPath(path, &narrow))
        return FALSE;
    return IsFolderThroughLinks(narrow) ? static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY) : FALSE;
}

BOOL PathFileExistsW(LPCWSTR path)
{
    return OnPath(path, [](const std::string& narrow) {
        struct stat info = {};
        return Errno(::lstat(narrow.c_str(), &info));
    });
}

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart)
{
    std::string path;
    if (!NarrowPath(fileName, &path))
        return 0;
    if (path[0] != '/')
    {
        std::string folder;
        if (!CurrentFolder(&folder))
            return 0;
        path = folder + "/" + path;
    }
    const std::wstring full = platform::FromUtf8(Normalise(path));
    const DWORD result = platform::files::CopyToBuffer(full, bufferLength, buffer);
    if (filePart != nullptr && result < bufferLength)
    {
        const std::size_t slash = full.rfind(L'/');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return result;
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    std::string folder;
    if (!CurrentFolder(&folder))
        return 0;
    return platform::files::CopyToBuffer(platform::FromUtf8(folder), bufferLength, buffer);
}

BOOL SetCurrentDirectoryW(LPCWSTR pathName)
{
    return OnPath(pathName, [](const std::string& path) { return Errno(::chdir(path.c_str())); });
}
