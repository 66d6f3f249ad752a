// Test main: gives the process private HOME, TMPDIR, XDG folders and PICTAVO_STATE_DIR so
// that tests never touch the real user's files and can run in parallel.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport
{
namespace
{
std::string g_root;

void SetUpPrivateFolders()
{
    const char* base = std::getenv("PICTAVO_TEST_BASE");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/pictavo-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
    {
        std::perror("mkdtemp");
        std::exit(2);
    }
    g_root = pattern;
    for (const char* sub : {"home", "tmp", "state", "runtime"})
        std::filesystem::create_directories(g_root + "/" + sub);
    std::filesystem::permissions(g_root + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (g_root + "/home").c_str(), 1);
    ::setenv("TMPDIR", (g_root + "/tmp/").c_str(), 1);
    ::setenv("PICTAVO_STATE_DIR", (g_root + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (g_root + "/runtime").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_root + "/home/.config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (g_root + "/home/.local/state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_root + "/home/.local/share").c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("PICTAVO_DEBUG");
}
} // namespace

const std::string& TestRoot()
{
    return g_root;
}
} // namespace testsupport

// fontconfig, pango, GTK and GLib keep caches for the life of the process and never free
// them (GTK's file chooser leaves GLib allocations whose stacks end in g_malloc); the sanitizer
// build's leak checker must not count those against our code, which allocates nothing through
// GLib itself.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpango-1.0.so\n"
           "leak:libpangoft2-1.0.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n";
}

int main(int argc, char** argv)
{
    testsupport::SetUpPrivateFolders();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (std::getenv("PICTAVO_KEEP_TEST_DIRS") == nullptr)
    {
        std::error_code ec;
        std::filesystem::remove_all(testsupport::TestRoot(), ec);
    }
    return result;
}
