#include "tests/platform/shell/ShellTestEnv.h"

#include "tests/support/TestSupport.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace shelltest
{
ScopedEnv::~ScopedEnv()
{
    for (const auto& [name, value] : m_saved)
    {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
}

void ScopedEnv::Set(const std::string& name, const std::string& value)
{
    if (m_saved.find(name) == m_saved.end())
    {
        const char* old = std::getenv(name.c_str());
        m_saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name.c_str(), value.c_str(), 1);
}

void WriteScript(const std::string& path, const std::string& body)
{
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

std::string WaitForFile(const std::string& path)
{
    for (int i = 0; i < 1000 && !testsupport::Exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return testsupport::ReadFile(path);
}
} // namespace shelltest
