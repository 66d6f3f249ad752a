#include "tests/support/TestSupport.h"

#include "platform/Utf.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace testsupport
{
namespace fs = std::filesystem;

TempDir::TempDir(std::string_view hint)
{
    static std::atomic<int> counter{0};
    std::ostringstream name;
    name << TestRoot() << "/" << hint << "-" << counter.fetch_add(1);
    m_path = name.str();
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so that removal succeeds.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(m_path, ec);
}

std::wstring TempDir::wpath() const
{
    return Wide(m_path);
}

std::string TempDir::operator/(std::string_view name) const
{
    return m_path + "/" + std::string(name);
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

std::string TestBinaryDir()
{
    if (const char* dir = std::getenv("PICTAVO_TEST_BINARY_DIR"))
        return dir;
    return ProgramDir();
}

std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r"))
    {
        char buffer[512];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

std::string ProgramDir()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

bool PlaceFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    if (fs::is_directory(from, ec))
    {
        fs::create_directories(to, ec);
        for (const fs::directory_entry& entry : fs::directory_iterator(from, ec))
        {
            if (!PlaceFile(entry.path().string(), (fs::path(to) / entry.path().filename()).string()))
                return false;
        }
        return !ec;
    }
    // A hard link costs nothing; the linker writes a new file rather than changing this one.
    if (::link(from.c_str(), to.c_str()) == 0)
        return true;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

std::wstring Wide(std::string_view utf8)
{
    return platform::FromUtf8(utf8);
}

std::string Narrow(std::wstring_view wide)
{
    return platform::ToUtf8(wide);
}
} // namespace testsupport
