#include "main/MagickLeftovers.h"

#include "common/base/StringHelper.h"
#include "common/install/ProductFiles.h"

#include "platform/Win32.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
const std::string kMagickFolderPrefix = WideToAnsi(ProductFiles::kMagickTempFolderPrefix);

// A process id in decimal; 0 when the text is none (0 itself would name our process group).
pid_t ParsePid(const std::string& digits)
{
    if (digits.empty() || digits.size() > 10)
        return 0;
    const unsigned long value = std::strtoul(digits.c_str(), nullptr, 10);
    return value == 0 || value > INT_MAX ? 0 : static_cast<pid_t>(value);
}

// Gone for certain: no such process. Our own id counts as alive, and so does a process of
// another user (EPERM).
bool IsDeadProcess(pid_t pid)
{
    return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Only entries of our own of the given kind; a link is never followed.
bool IsOwn(const std::string& path, bool directory)
{
    struct stat st = {};
    if (::lstat(path.c_str(), &st) != 0 || st.st_uid != ::geteuid())
        return false;
    return directory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

std::vector<std::string> EntryNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
            names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

std::string TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return length == 0 || length > MAX_PATH ? std::string() : WideToAnsi(buffer);
}
} // namespace

std::string HiddenOutputName(const std::string& name, unsigned number, const std::string& extension)
{
    return ".~" + name + "." + std::to_string(::getpid()) + "-" + std::to_string(number) +
           (extension.empty() ? "" : "." + extension);
}

void RemoveDeadHiddenOutputs(const std::string& folder)
{
    static const std::regex hidden(R"(^\.~.+\.([0-9]+)-[0-9]+(\.[a-z0-9]+)?$)");
    for (const std::string& name : EntryNames(folder))
    {
        std::smatch match;
        if (!std::regex_match(name, match, hidden) || !IsDeadProcess(ParsePid(match[1].str())))
            continue;
        const std::string path = folder + "/" + name;
        if (IsOwn(path, false))
            ::unlink(path.c_str());
    }
}

std::string MagickTemporaryFolder()
{
    static const std::string folder = [] {
        const std::string temp = TempFolder();
        if (temp.empty())
            return std::string();
        const std::string path = temp + kMagickFolderPrefix + std::to_string(::getpid());
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return std::string();
        return IsOwn(path, true) ? path : std::string();
    }();
    return folder;
}

void RemoveMagickTemporaryFolder()
{
    const std::string folder = MagickTemporaryFolder();
    if (!folder.empty())
        ::rmdir(folder.c_str());
}

void RemoveDeadMagickFolders()
{
    const std::string temp = TempFolder();
    if (temp.empty())
        return;
    const std::string prefix = kMagickFolderPrefix;
    for (const std::string& name : EntryNames(temp))
    {
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos || !IsDeadProcess(ParsePid(digits)))
            continue;
        const std::string path = temp + name;
        std::error_code ignored;
        if (IsOwn(path, true))
            std::filesystem::remove_all(path, ignored);
    }
}
