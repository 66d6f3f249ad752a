// Test main: gives the process private HOME, TMPDIR, XDG folders and PICTAVO_STATE_DIR, and runs
// the test program from a private folder of its own, so that what a program keeps beside itself
// (config.ini, its log) is never shared between tests running at the same time nor left in the
// build tree. ctest runs every test in a process of its own, so every test gets all of this.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace testsupport
{
namespace
{
namespace fs = std::filesystem;

// Set once by the first process to the build folder of the test program: children and the
// private copy find the helper programs there, and the copy is not moved again.
constexpr const char* kBinaryDirVariable = "PICTAVO_TEST_BINARY_DIR";
// Hands the private folder to the copy the first process starts; read once and removed.
constexpr const char* kRootVariable = "PICTAVO_TEST_ROOT_HANDOVER";

std::string g_root;

void MakeRoot()
{
    if (const char* handed = std::getenv(kRootVariable))
    {
        g_root = handed;
        ::unsetenv(kRootVariable);
        return;
    }
    const char* base = std::getenv("PICTAVO_TEST_BASE");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/pictavo-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
    {
        std::perror("mkdtemp");
        std::exit(2);
    }
    g_root = pattern;
}

void SetUpPrivateFolders()
{
    MakeRoot();
    for (const char* sub : {"home", "tmp", "state", "runtime", "program"})
        fs::create_directories(g_root + "/" + sub);
    fs::permissions(g_root + "/runtime", fs::perms::owner_all);
    ::setenv("HOME", (g_root + "/home").c_str(), 1);
    ::setenv("TMPDIR", (g_root + "/tmp/").c_str(), 1);
    ::setenv("PICTAVO_STATE_DIR", (g_root + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (g_root + "/runtime").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_root + "/home/.config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (g_root + "/home/.local/state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_root + "/home/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_root + "/home/.cache").c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("PICTAVO_DEBUG");
}

// Starts this test program again from <root>/program (a hard link, or a copy across file
// systems); returns only when that cannot be done or this already is the copy.
void RunFromPrivateFolder(char** argv)
{
    if (std::getenv(kBinaryDirVariable) != nullptr)
        return;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return;
    ::setenv(kBinaryDirVariable, self.parent_path().c_str(), 1);
    const fs::path copy = fs::path(g_root) / "program" / self.filename();
    if (!PlaceFile(self.string(), copy.string()))
        return;
    ::setenv(kRootVariable, g_root.c_str(), 1);
    ::execv(copy.c_str(), argv);
    ::unsetenv(kRootVariable);
}
} // namespace

const std::string& TestRoot()
{
    return g_root;
}
} // namespace testsupport

namespace
{
// fontconfig, pango, GTK and GLib keep caches for the life of the process and never free
// them (GTK's file chooser leaves GLib allocations whose stacks end in g_malloc), and so does
// the web engine's script heap; the sanitizer build's leak checker must not count those against
// our code, which allocates nothing through GLib itself.
constexpr const char* kLeakSuppressions = "leak:libfontconfig.so\n"
                                          "leak:libpango-1.0.so\n"
                                          "leak:libpangoft2-1.0.so\n"
                                          "leak:libgtk-3.so\n"
                                          "leak:libgdk-3.so\n"
                                          "leak:libglib-2.0.so\n"
                                          "leak:libgobject-2.0.so\n"
                                          "leak:libgio-2.0.so\n"
                                          "leak:libjavascriptcoregtk-4.1.so\n";

// The programs a test starts (Pictavo, the setup, the updater...) keep the same caches: they
// find the same list through the environment they inherit.
void ShareLeakSuppressions()
{
    const char* given = std::getenv("LSAN_OPTIONS");
    std::string options = given != nullptr ? given : "";
    if (options.find("suppressions=") != std::string::npos)
        return;
    const std::string path = testsupport::TestRoot() + "/lsan.supp";
    testsupport::WriteFile(path, kLeakSuppressions);
    options += (options.empty() ? "" : ":") + std::string("suppressions=") + path;
    ::setenv("LSAN_OPTIONS", options.c_str(), 1);
}
} // namespace

extern "C" const char* __lsan_default_suppressions()
{
    return kLeakSuppressions;
}

int main(int argc, char** argv)
{
    testsupport::SetUpPrivateFolders();
    testsupport::RunFromPrivateFolder(argv);
    ShareLeakSuppressions();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (std::getenv("PICTAVO_KEEP_TEST_DIRS") == nullptr)
    {
        std::error_code ec;
        std::filesystem::remove_all(testsupport::TestRoot(), ec);
    }
    return result;
}
