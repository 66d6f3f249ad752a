#include "platform/shell/UserDirs.h"

#include "platform/shell/ProgramSearch.h"

#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace platform
{
namespace
{
std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ReadAll(int fd)
{
    std::string text;
    char chunk[512];
    ssize_t got;
    while ((got = ::read(fd, chunk, sizeof(chunk))) != 0)
    {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        text.append(chunk, static_cast<size_t>(got));
    }
    return text;
}

// Runs program with one argument and returns its standard output (empty when it failed).
std::string OutputOf(const std::string& program, const std::string& argument)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    const UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.reset(); // the child's copy alone keeps the pipe open: ReadAll sees its end
    std::string output = spawned == 0 ? ReadAll(readEnd.get()) : std::string();
    int status = 0;
    while (spawned == 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    const bool ok = spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ok ? output : std::string();
}

// Only an absolute folder other than the home folder names a user folder.
std::string Usable(const std::string& path, const std::string& home)
{
    const std::string folder = WithoutTrailingSlashes(path);
    if (folder.empty() || folder[0] != '/' || folder == WithoutTrailingSlashes(home))
        return {};
    return folder;
}
} // namespace

std::string UserDirs::Home()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return WithoutTrailingSlashes(home);
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? WithoutTrailingSlashes(entry->pw_dir) : "/";
}

std::string UserDirs::ConfigHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return WithoutTrailingSlashes(config);
    return Home() + "/.config";
}

std::string UserDirs::DataHome()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return WithoutTrailingSlashes(data);
    return Home() + "/.local/share";
}

std::string UserDirs::Lookup(const std::string& name, const std::string& fallback)
{
    std::string folder = FromTool(name);
    if (folder.empty())
        folder = FromFile(name);
    return folder.empty() ? Home() + "/" + fallback : folder;
}

std::string UserDirs::FromTool(const std::string& name)
{
    const std::string tool = ProgramSearch::Find("xdg-user-dir");
    if (tool.empty())
        return {};
    std::string output = OutputOf(tool, name);
    const size_t end = output.find('\n');
    if (end != std::string::npos)
        output.resize(end);
    return Usable(output, Home());
}

std::string UserDirs::FromFile(const std::string& name)
{
    std::ifstream file(ConfigHome() + "/user-dirs.dirs", std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return ParseDirsFile(text.str(), name, Home());
}

std::string UserDirs::ParseDirsFile(const std::string& text, const std::string& name, const std::string& home)
{
    const std::string key = "XDG_" + name + "_DIR=";
    std::string value;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, key.size(), key) == 0)
            value = Unquote(line.substr(start + key.size())); // the last setting wins, as in sh
    }
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0)
        value = home + value.substr(5);
    return Usable(value, home);
}

// The file is sh syntax: "value" with backslash escapes; anything else is taken up to a blank.
std::string UserDirs::Unquote(const std::string& value)
{
    if (value.empty() || value[0] != '"')
        return value.substr(0, value.find_first_of(" \t\r"));
    std::string result;
    for (size_t i = 1; i < value.size(); ++i)
    {
        if (value[i] == '"')
            return result;
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        result += value[i];
    }
    return {}; // no closing quote: not a value
}
} // namespace platform
