// What /proc tells about a process: its program file and its parent.
#include "platform/process/ProcessImage.h"

#include "platform/Process.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform
{
std::string ReadLink(const std::string& path)
{
    std::string target(256, '\0');
    for (;;)
    {
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < target.size())
        {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

std::string ImagePathOf(DWORD processId)
{
    static const std::string deleted = " (deleted)";
    std::string path = ReadLink("/proc/" + std::to_string(processId) + "/exe");
    if (path.size() > deleted.size() && path.ends_with(deleted))
        path.resize(path.size() - deleted.size());
    return path;
}

bool ReadProcessStat(DWORD processId, ProcessStat& stat)
{
    std::ifstream file("/proc/" + std::to_string(processId) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return false;
    // The command name in parentheses may itself hold ") ", so read after the last one.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int index = 3; fields >> field; ++index)
    {
        if (index == 4)
            stat.parentId = static_cast<DWORD>(std::strtoul(field.c_str(), nullptr, 10));
        if (index == 20)
        {
            stat.threads = static_cast<DWORD>(std::strtoul(field.c_str(), nullptr, 10));
            return true;
        }
    }
    return false;
}

DWORD GetParentProcessId()
{
    return static_cast<DWORD>(::getppid());
}

std::wstring GetProcessImagePath(DWORD processId)
{
    return FromUtf8(ImagePathOf(processId));
}
} // namespace platform

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    if (module != nullptr)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (fileName == nullptr || size == 0)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::wstring path = platform::FromUtf8(platform::ImagePathOf(static_cast<DWORD>(::getpid())));
    if (path.size() >= size)
    {
        std::copy_n(path.begin(), size - 1, fileName);
        fileName[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(path.begin(), path.end(), fileName);
    fileName[path.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}
