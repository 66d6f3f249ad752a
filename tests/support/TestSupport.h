#pragma once
// Helpers shared by the test suites. Every test process runs with its own HOME, TMPDIR,
// PICTAVO_STATE_DIR and XDG_RUNTIME_DIR below TestRoot(), and from its own copy of the test
// program in ProgramDir(), set up by the test main before any test starts.

#include <string>
#include <string_view>

namespace testsupport
{
// The private folder of this test process (no trailing "/").
const std::string& TestRoot();

// A fresh empty folder below TestRoot(), removed when the object ends.
class TempDir
{
public:
    explicit TempDir(std::string_view hint = "dir");
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& path() const { return m_path; }
    std::wstring wpath() const;
    // path() + "/" + name
    std::string operator/(std::string_view name) const;

private:
    std::string m_path;
};

void WriteFile(const std::string& path, std::string_view bytes);
// The file's bytes, or an empty string when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The build folder of the test program, where the helper programs it starts are built.
std::string TestBinaryDir();
// What a shell command writes to its standard output; its error output goes where the command
// sends it ("2>&1", "2>/dev/null"), else to the test's.
std::string CommandOutput(const std::string& command);
// The private folder the test program runs from (<TestRoot()>/program): what a program keeps
// beside itself, such as config.ini, is this test's own.
std::string ProgramDir();
// Puts a file, or a folder with everything in it, at `to`: hard links where the file system
// allows, copies elsewhere. False when something could not be placed.
bool PlaceFile(const std::string& from, const std::string& to);
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
} // namespace testsupport
