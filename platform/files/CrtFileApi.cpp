// The C runtime's wide file calls.
#include "platform/files/PathOperations.h"

#include "platform/Files.h"
#include "platform/Utf.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The UTF-8 path, or false with errno EINVAL for a null or empty one.
bool Narrow(const wchar_t* path, std::string* narrow)
{
    if (path == nullptr || path[0] == L'\0')
    {
        errno = path == nullptr ? EINVAL : ENOENT;
        return false;
    }
    *narrow = platform::ToUtf8(path);
    return true;
}

int Result(int err)
{
    if (err == 0)
        return 0;
    errno = err;
    return -1;
}

// The C library's mode for a Windows one: "t", "b", "N" and the commit flags are dropped,
// an encoding (", ccs=...") is ignored, and every stream is close-on-exec.
bool NarrowMode(std::string_view mode, std::string* narrow)
{
    if (mode.empty() || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return false;
    bool plus = false;
    bool exclusive = false;
    for (const char c : mode.substr(0, mode.find(',')).substr(1))
    {
        if (c == '+')
            plus = true;
        else if (c == 'x' && mode[0] == 'w')
            exclusive = true;
        else if (std::string_view("btNecnSRTD ").find(c) == std::string_view::npos)
            return false;
    }
    *narrow = std::string(1, mode[0]) + (plus ? "+" : "") + (exclusive ? "x" : "") + "e";
    return true;
}

errno_t OpenStream(FILE** file, const std::string& path, std::string_view mode)
{
    std::string narrowMode;
    if (!NarrowMode(mode, &narrowMode))
        return EINVAL;
    *file = std::fopen(path.c_str(), narrowMode.c_str());
    return *file != nullptr ? 0 : errno;
}
} // namespace

int _waccess(const wchar_t* path, int mode)
{
    std::string narrow;
    if ((mode & ~6) != 0)
        return Result(EINVAL);
    if (!Narrow(path, &narrow))
        return -1;
    const int how = mode == 0 ? F_OK : (((mode & 2) != 0 ? W_OK : 0) | ((mode & 4) != 0 ? R_OK : 0));
    return ::access(narrow.c_str(), how);
}

int _wremove(const wchar_t* path)
{
    std::string narrow;
    if (!Narrow(path, &narrow))
        return -1;
    struct stat info = {};
    if (::lstat(narrow.c_str(), &info) != 0)
        return -1;
    if (S_ISDIR(info.st_mode))
        return Result(EACCES);
    return ::unlink(narrow.c_str());
}

int _wrename(const wchar_t* oldName, const wchar_t* newName)
{
    std::string from;
    std::string to;
    if (!Narrow(oldName, &from) || !Narrow(newName, &to))
        return -1;
    const int err = platform::files::MovePath(from, to, MOVEFILE_COPY_ALLOWED);
    return Result(err == EEXIST ? EACCES : err);
}

int _wmkdir(const wchar_t* path)
{
    std::string narrow;
    if (!Narrow(path, &narrow))
        return -1;
    return ::mkdir(narrow.c_str(), 0777);
}

int _wrmdir(const wchar_t* path)
{
    std::string narrow;
    if (!Narrow(path, &narrow))
        return -1;
    return ::rmdir(narrow.c_str());
}

FILE* _wfopen(const wchar_t* path, const wchar_t* mode)
{
    FILE* file = nullptr;
    const errno_t err = _wfopen_s(&file, path, mode);
    if (err != 0)
        errno = err;
    return file;
}

errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode)
{
    if (file == nullptr)
        return EINVAL;
    *file = nullptr;
    std::string narrow;
    if (mode == nullptr || !Narrow(path, &narrow))
        return mode == nullptr ? EINVAL : errno;
    return OpenStream(file, narrow, platform::ToUtf8(mode));
}

errno_t fopen_s(FILE** file, const char* path, const char* mode)
{
    if (file == nullptr)
        return EINVAL;
    *file = nullptr;
    if (path == nullptr || mode == nullptr)
        return EINVAL;
    return OpenStream(file, path, mode);
}
