// A child for the process tests.
//   process_child write <file> <exit code> [arguments...]
//     writes, each ending in a zero byte: its current folder, where its stdin leads, how many
//     descriptors beyond 0-2 it holds, its blocked-signal mask, then the arguments; exits with
//     the given code.
//   process_child sleep <seconds>
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
std::string LinkTarget(const char* path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(path, buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
}

int ExtraDescriptors()
{
    DIR* folder = ::opendir("/proc/self/fd");
    int count = 0;
    while (const dirent* item = ::readdir(folder))
    {
        const int fd = std::atoi(item->d_name);
        if (fd > 2 && fd != ::dirfd(folder))
            ++count;
    }
    ::closedir(folder);
    return count;
}

std::string BlockedSignals()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("SigBlk:", 0) == 0)
            return line.substr(line.find_first_not_of(" \t", 7));
    }
    return {};
}
} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "sleep" && argc > 2)
    {
        ::sleep(static_cast<unsigned>(std::atoi(argv[2])));
        return 0;
    }
    if (mode != "write" || argc < 4)
        return 100;
    char cwd[4096];
    std::string out = std::string(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "") + '\0';
    out += LinkTarget("/proc/self/fd/0") + '\0';
    out += std::to_string(ExtraDescriptors()) + '\0';
    out += BlockedSignals() + '\0';
    for (int i = 4; i < argc; ++i)
        out += std::string(argv[i]) + '\0';
    std::ofstream(argv[2], std::ios::binary) << out;
    return std::atoi(argv[3]);
}
