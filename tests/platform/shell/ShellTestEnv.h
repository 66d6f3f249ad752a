#pragma once
// Environment variables changed by a test and put back when it ends, and small script files.

#include <map>
#include <optional>
#include <string>

namespace shelltest
{
class ScopedEnv
{
public:
    ScopedEnv() = default;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

    void Set(const std::string& name, const std::string& value);

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

// Writes an executable sh script.
void WriteScript(const std::string& path, const std::string& body);
// Waits (up to 10 s) until the file exists and returns its bytes.
std::string WaitForFile(const std::string& path);
} // namespace shelltest
