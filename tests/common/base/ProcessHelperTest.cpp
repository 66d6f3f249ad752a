#include "common/base/ProcessHelper.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using testsupport::TempDir;
using testsupport::Wide;

namespace fs = std::filesystem;

namespace
{
// The sleeper helper copied under a name no other test process uses, so a lookup by that
// image name can only find our own child.
std::string CopySleeper(const TempDir& dir, const std::string& name)
{
    const std::string copy = dir / name;
    fs::copy_file(testsupport::TestBinaryDir() + "/common_sleeper", copy);
    return copy;
}

bool WaitFound(const std::wstring& name, DWORD* pid)
{
    for (int i = 0; i < 100; ++i)
    {
        if (FindProcessByName(name.c_str(), pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::vector<std::wstring> CaptureDebugOutput(const std::function<void()>& action)
{
    std::mutex lock;
    std::vector<std::wstring> lines;
    platform::SetDebugSink([&](const std::wstring& line) {
        std::lock_guard<std::mutex> guard(lock);
        lines.push_back(line);
    });
    action();
    platform::SetDebugSink({});
    return lines;
}
} // namespace

TEST(ProcessHelper, FindsAStartedChildByExactImageName)
{
    TempDir dir;
    const std::string name = "PictavoSleep" + std::to_string(::getpid());
    const std::string program = CopySleeper(dir, name);
    std::wstring cmdLine = L"\"" + Wide(program) + L"\" 20000";
    ASSERT_TRUE(StartProcess(nullptr, cmdLine.data(), false));

    DWORD pid = 0;
    ASSERT_TRUE(WaitFound(Wide(name), &pid));
    EXPECT_NE(pid, 0u);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe").string(), program);

    // Letter case counts, and a prefix is not the name.
    std::wstring lower = Wide(name);
    lower[0] = L'p';
    DWORD other = 0;
    EXPECT_FALSE(FindProcessByName(lower.c_str(), &other));
    EXPECT_FALSE(FindProcessByName(Wide(name.substr(0, name.size() - 1)).c_str(), &other));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

TEST(ProcessHelper, StartsHiddenProgramsToo)
{
    TempDir dir;
    const std::string name = "PictavoHidden" + std::to_string(::getpid());
    std::wstring cmdLine = L"\"" + Wide(CopySleeper(dir, name)) + L"\" 20000";
    ASSERT_TRUE(StartProcess(nullptr, cmdLine.data(), true));
    DWORD pid = 0;
    ASSERT_TRUE(WaitFound(Wide(name), &pid));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

TEST(ProcessHelper, MissingProgramFailsWithOneDebugLine)
{
    TempDir dir;
    std::wstring cmdLine = L"\"" + Wide(dir / "no-such-program") + L"\" -run update";
    bool started = true;
    const auto lines = CaptureDebugOutput([&] { started = StartProcess(nullptr, cmdLine.data(), false); });
    EXPECT_FALSE(started);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(L"CreateProcess failed. Error: ", 0), 0u) << testsupport::Narrow(lines[0]);
    EXPECT_NE(lines[0], L"CreateProcess failed. Error: 0");
}

TEST(ProcessHelper, UnknownNameIsNotFound)
{
    DWORD pid = 12345;
    EXPECT_FALSE(FindProcessByName(L"NoSuchPictavoProgram", &pid));
    EXPECT_EQ(pid, 12345u);
}
