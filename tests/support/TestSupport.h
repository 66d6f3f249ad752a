#pragma once
// Helpers shared by the test suites. Every test process runs with its own HOME, TMPDIR and
// PICTAVO_STATE_DIR below TestRoot(), set up by the test main before any test starts.

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
// The folder that holds the running test program (for helper programs built beside it).
std::string TestBinaryDir();
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
} // namespace testsupport
