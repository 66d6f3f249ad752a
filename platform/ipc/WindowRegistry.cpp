#include "platform/ipc/WindowRegistry.h"

#include "platform/Kernel.h"
#include "platform/ProductName.h"
#include "platform/UniqueFd.h"
#include "platform/Utf.h"
#include "platform/ipc/ProcessStart.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::ipc
{
namespace
{
constexpr int kVersion = 1;

// First word of a registry file: files of another product sharing the folder are not ours.
std::string Header()
{
    return ProductName() + "-windows";
}
// A registry file is a handful of lines; anything larger is not one of ours.
constexpr off_t kMaxFileSize = 256 * 1024;
constexpr size_t kMaxNameBytes = 4096;

std::string FilePath(const std::string& folder, pid_t pid)
{
    return folder + "/" + std::to_string(pid) + ".win";
}

std::string ToHex(const std::wstring& text)
{
    static const char digits[] = "0123456789abcdef";
    const std::string utf8 = ToUtf8(text);
    if (utf8.empty())
        return "-";
    std::string hex;
    for (unsigned char c : utf8)
    {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool FromHex(const std::string& hex, std::wstring* text)
{
    if (hex == "-")
    {
        text->clear();
        return true;
    }
    if (hex.size() % 2 != 0 || hex.size() / 2 > kMaxNameBytes)
        return false;
    std::string utf8;
    for (size_t i = 0; i < hex.size(); i += 2)
    {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        utf8 += static_cast<char>(high * 16 + low);
    }
    *text = FromUtf8(utf8);
    return true;
}

bool ReadSmallFile(const std::string& path, std::string* text)
{
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return false;
    struct stat st;
    bool ok = ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
              st.st_size <= kMaxFileSize;
    if (ok)
    {
        text->resize(static_cast<size_t>(st.st_size));
        ok = ::read(fd.get(), text->data(), text->size()) == static_cast<ssize_t>(text->size());
    }
    return ok;
}

bool WriteWhole(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool IsPrivateFolder(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// "<digits>.win" -> pid, else 0.
pid_t PidOfEntry(const std::string& name)
{
    const std::string suffix = ".win";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(0, name.size() - suffix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::atoi(digits.c_str()));
}
} // namespace

std::string WindowRegistry::Folder()
{
    const std::string runtime = RuntimeDir();
    if (runtime.empty())
        return {};
    const std::string folder = runtime + "/windows";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::string WindowRegistry::SocketPath(const std::string& folder, pid_t pid)
{
    return folder + "/" + std::to_string(pid) + ".sock";
}

std::string WindowRegistry::Format(const std::vector<SharedWindow>& windows, unsigned long long startTime)
{
    std::ostringstream out;
    out << Header() << ' ' << kVersion << ' ' << startTime << '\n';
    for (const SharedWindow& window : windows)
        out << std::hex << window.hwnd << std::dec << ' ' << ToHex(window.className) << ' '
            << ToHex(window.title) << '\n';
    return out.str();
}

bool WindowRegistry::Parse(const std::string& text, pid_t pid, unsigned long long* startTime,
                           std::vector<SharedWindow>* windows)
{
    std::istringstream in(text);
    std::string line;
    std::istringstream header;
    std::string mark;
    int version = 0;
    if (!std::getline(in, line))
        return false;
    header.str(line);
    if (!(header >> mark >> version >> *startTime) || mark != Header() || version != kVersion)
        return false;
    while (std::getline(in, line))
    {
        SharedWindow window;
        if (!ParseLine(line, &window))
            return false;
        window.pid = pid;
        window.startTime = *startTime;
        windows->push_back(std::move(window));
    }
    return true;
}

bool WindowRegistry::ParseLine(const std::string& line, SharedWindow* window)
{
    std::istringstream fields(line);
    std::string handle, className, title, rest;
    if (!(fields >> handle >> className >> title) || (fields >> rest))
        return false;
    char* end = nullptr;
    window->hwnd = std::strtoull(handle.c_str(), &end, 16);
    return *end == '\0' && window->hwnd != 0 && FromHex(className, &window->className) &&
           FromHex(title, &window->title);
}

bool WindowRegistry::Publish(const std::string& folder, const std::vector<SharedWindow>& windows)
{
    const std::string path = FilePath(folder, ::getpid());
    if (windows.empty())
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    const std::string temp = path + ".tmp";
    ::unlink(temp.c_str());
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return false;
    const bool written = WriteWhole(fd.get(), Format(windows, ProcessStartTime(::getpid())));
    const bool closed = fd.Close();
    if (written && closed && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

void WindowRegistry::Withdraw(const std::string& folder)
{
    ::unlink(FilePath(folder, ::getpid()).c_str());
    ::unlink(SocketPath(folder, ::getpid()).c_str());
}

void WindowRegistry::RemoveStale(const std::string& folder, pid_t pid)
{
    ::unlink(FilePath(folder, pid).c_str());
    ::unlink(SocketPath(folder, pid).c_str());
}

void WindowRegistry::ReadOne(const std::string& folder, pid_t pid, std::vector<SharedWindow>* windows)
{
    std::string text;
    unsigned long long startTime = 0;
    std::vector<SharedWindow> found;
    const bool parsed = ReadSmallFile(FilePath(folder, pid), &text) && Parse(text, pid, &startTime, &found);
    // A process that died without cleaning up, or whose pid now belongs to another process.
    if (!IsSameProcess(pid, parsed ? startTime : ProcessStartTime(pid)))
    {
        RemoveStale(folder, pid);
        return;
    }
    windows->insert(windows->end(), found.begin(), found.end());
}

std::vector<SharedWindow> WindowRegistry::ReadOthers(const std::string& folder)
{
    std::vector<SharedWindow> windows;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return windows;
    std::vector<pid_t> pids;
    while (const dirent* entry = ::readdir(dir))
    {
        const pid_t pid = PidOfEntry(entry->d_name);
        if (pid > 0 && pid != ::getpid())
            pids.push_back(pid);
    }
    ::closedir(dir);
    for (pid_t pid : pids)
        ReadOne(folder, pid, &windows);
    return windows;
}
} // namespace platform::ipc
