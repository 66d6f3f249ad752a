#include "common/base/LocalFileHandler.h"

#include "platform/DebugOutput.h"
#include "platform/UniqueFd.h"
#include "platform/Win32.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

LocalFileHandler::~LocalFileHandler()
{
    Close();
}

namespace
{
int OpenFlags(const char* mode)
{
    const bool both = std::strchr(mode, '+') != nullptr;
    switch (mode[0])
    {
    case 'w':
        return (both ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
        return (both ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
        return both ? O_RDWR : O_RDONLY;
    }
}
} // namespace

// The product's own files (its logs) are never written through a planted link and a FIFO in
// their place never blocks: only a regular file is opened.
bool LocalFileHandler::Open(const char* path, const char* mode)
{
    Close();
    platform::UniqueFd fd(
        ::open(path, OpenFlags(mode) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    struct stat st
    {
    };
    if (fd && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)))
    {
        fd.reset();
        SetLastError(ERROR_ACCESS_DENIED);
        OutputDebugStringA((std::string(path) + ": is not a regular file; left alone").c_str());
        return false;
    }
    if (!fd)
    {
        if (errno == ELOOP)
            OutputDebugStringA((std::string(path) + ": is a symbolic link; left alone").c_str());
        platform::SetLastErrorFromErrno();
        return false;
    }
    m_pFile = ::fdopen(fd.get(), mode);
    if (m_pFile != nullptr)
        fd.release(); // the stream owns it now
    return m_pFile != nullptr;
}

bool LocalFileHandler::Write(const void* data, size_t length)
{
    if (m_pFile == nullptr)
        return false;
    if (std::fwrite(data, 1, length, m_pFile) == length)
        return true;
    Close();
    return false;
}

void LocalFileHandler::Close()
{
    if (m_pFile == nullptr)
        return;
    std::fclose(m_pFile);
    m_pFile = nullptr;
}
