#include "platform/Process.h"
#include "platform/WinError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using testsupport::Narrow;
using testsupport::Wide;

namespace
{
std::string Helper()
{
    return testsupport::TestBinaryDir() + "/process_child";
}

struct Child
{
    PROCESS_INFORMATION info{};
    BOOL started = FALSE;
    DWORD error = 0;

    explicit Child(std::wstring commandLine, const wchar_t* directory = nullptr,
                   LPCWSTR application = nullptr, DWORD flags = NORMAL_PRIORITY_CLASS,
                   LPVOID environment = nullptr)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        started = CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE, flags, environment,
                                 directory, &startup, &info);
        error = GetLastError();
    }
    ~Child()
    {
        if (started)
        {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 5000);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    DWORD ExitCode() const
    {
        EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
        DWORD code = 12345;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        return code;
    }
};

std::vector<std::string> Records(const std::string& bytes)
{
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        records.push_back(bytes.substr(start, end - start));
    return records;
}

void WriteScript(const std::string& path, const std::string& body)
{
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

PROCESSENTRY32W* FindInSnapshot(std::vector<PROCESSENTRY32W>& entries, DWORD pid)
{
    for (PROCESSENTRY32W& entry : entries)
    {
        if (entry.th32ProcessID == pid)
            return &entry;
    }
    return nullptr;
}

std::vector<PROCESSENTRY32W> Snapshot()
{
    std::vector<PROCESSENTRY32W> entries;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        entries.push_back(entry);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    CloseHandle(snapshot);
    return entries;
}
} // namespace

TEST(Spawn, ChildGetsArgumentsFolderAndACleanStart)
{
    testsupport::TempDir dir("spawn");
    const std::vector<std::wstring> awkward = {L"with space", L"say \"hi\"", L"trailing\\",
                                               L"",           L"a\\\\\"b",   L"\u4e2d\u6587"};
    std::vector<std::wstring> arguments = {Wide(Helper()), L"write", L"out.bin", L"7"};
    arguments.insert(arguments.end(), awkward.begin(), awkward.end());

    // A blocked signal and an inheritable descriptor of ours must not reach the child.
    sigset_t usr1;
    sigset_t previous;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &previous);
    const int stray = ::open("/dev/null", O_RDONLY);
    Child child(platform::BuildCommandLine(arguments), dir.wpath().c_str());
    ::close(stray);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    ASSERT_TRUE(child.started) << child.error;
    EXPECT_NE(child.info.dwProcessId, 0u);
    EXPECT_EQ(child.ExitCode(), 7u);
    EXPECT_EQ(WaitForSingleObject(child.info.hThread, 0), WAIT_OBJECT_0);
    const std::vector<std::string> records = Records(testsupport::ReadFile(dir / "out.bin"));
    ASSERT_EQ(records.size(), 4 + awkward.size());
    EXPECT_EQ(records[0], std::filesystem::canonical(dir.path()).string());
    EXPECT_EQ(records[1], "/dev/null");
    EXPECT_EQ(records[2], "0");
    EXPECT_EQ(records[3], "0000000000000000");
    for (std::size_t i = 0; i < awkward.size(); ++i)
        EXPECT_EQ(Wide(records[4 + i]), awkward[i]);
}

TEST(Spawn, ProgramIsLookedUpOnPathAndTakesAnEnvironment)
{
    testsupport::TempDir bin("bin");
    WriteScript(bin / "pictavo-echo", "printf '%s|%s' \"$1\" \"$PICTAVO_X\" > \"$2\"\nexit 3\n");
    const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin.path() + ":" + oldPath).c_str(), 1);
    const std::wstring environment =
        std::wstring(L"PICTAVO_X=\u4e2d") + L'\0' + L"PATH=/usr/bin:/bin" + L'\0';
    Child child(L"pictavo-echo \"a b\" " + Wide(bin / "out.txt"), nullptr, nullptr,
                CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT,
                const_cast<wchar_t*>(environment.c_str()));
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(child.started) << child.error;
    EXPECT_EQ(child.ExitCode(), 3u);
    EXPECT_EQ(testsupport::ReadFile(bin / "out.txt"), "a b|\xe4\xb8\xad");
}

TEST(Spawn, ProgramThatCannotRunFailsWithAnError)
{
    testsupport::TempDir dir("bad");
    EXPECT_FALSE(Child(L"/nonexistent/program arg").started);
    EXPECT_EQ(Child(L"/nonexistent/program arg").error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Child(L"no-such-program-of-pictavo").error, ERROR_FILE_NOT_FOUND);
    testsupport::WriteFile(dir / "garbage", "\x01\x02 not a program");
    ::chmod((dir / "garbage").c_str(), 0755);
    EXPECT_FALSE(Child(Wide(dir / "garbage")).started);
    testsupport::WriteFile(dir / "noexec", "#!/bin/sh\n");
    EXPECT_EQ(Child(Wide(dir / "noexec")).error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Child(Wide(Helper()), L"/nonexistent/folder").error, ERROR_DIRECTORY);
    // the application name wins over the command line's first word, which stays argv[0]
    Child named(L"whatever write " + Wide(dir / "o") + L" 4", nullptr, Wide(Helper()).c_str());
    ASSERT_TRUE(named.started);
    EXPECT_EQ(named.ExitCode(), 4u);
}

TEST(Spawn, ChildIsReapedWhenHandlesAreClosedWithoutWaiting)
{
    DWORD pid = 0;
    {
        Child child(Wide(Helper()) + L" sleep 0");
        ASSERT_TRUE(child.started);
        pid = child.info.dwProcessId;
        CloseHandle(child.info.hProcess);
        CloseHandle(child.info.hThread);
        child.started = FALSE;
    }
    const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (testsupport::Exists(stat) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(testsupport::Exists(stat)) << testsupport::ReadFile(stat);
}

TEST(ProcessSnapshot, FindsAChildByItsExactNameEvenAfterItsFileIsReplaced)
{
    testsupport::TempDir dir("snap");
    const std::string program = dir / "PictavoProbe";
    std::filesystem::copy_file(Helper(), program);
    Child child(Wide(program) + L" sleep 30");
    ASSERT_TRUE(child.started);
    std::filesystem::remove(program); // as an update replaces a running program

    std::vector<PROCESSENTRY32W> entries = Snapshot();
    const PROCESSENTRY32W* entry = FindInSnapshot(entries, child.info.dwProcessId);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->szExeFile, L"PictavoProbe");
    EXPECT_EQ(entry->th32ParentProcessID, static_cast<DWORD>(::getpid()));
    EXPECT_GE(entry->cntThreads, 1u);
    for (const PROCESSENTRY32W& other : entries)
        EXPECT_NE(std::wcscmp(other.szExeFile, L"pictavoprobe"), 0);
    EXPECT_EQ(platform::GetProcessImagePath(child.info.dwProcessId), Wide(program));

    ASSERT_TRUE(TerminateProcess(child.info.hProcess, 9));
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(child.ExitCode(), 9u);
    EXPECT_FALSE(TerminateProcess(child.info.hProcess, 1));
}

TEST(ProcessSnapshot, RefusesAnEntryWithoutItsSize)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
    CloseHandle(snapshot);
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(OpenProcess, GivesAWaitableHandleThatCanEndTheProcess)
{
    Child child(Wide(Helper()) + L" sleep 30");
    ASSERT_TRUE(child.started);
    HANDLE opened = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, child.info.dwProcessId);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(WaitForSingleObject(opened, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(TerminateProcess(opened, 5));
    EXPECT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(code, 5u);
    CloseHandle(opened);
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0x3FFFFFF0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
}

TEST(ModuleFileName, TruncatesAsWindowsDoes)
{
    const std::wstring path = platform::GetProcessImagePath(static_cast<DWORD>(::getpid()));
    ASSERT_FALSE(path.empty());
    std::vector<wchar_t> buffer(path.size() + 8, L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size())), path.size());
    EXPECT_EQ(std::wstring(buffer.data()), path);
    std::fill(buffer.begin(), buffer.end(), L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(path.size())), path.size());
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(buffer.data()), path.substr(0, path.size() - 1));
    EXPECT_EQ(buffer[path.size()], L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), 0), 0u);
    EXPECT_EQ(platform::GetParentProcessId(), static_cast<DWORD>(::getppid()));
    EXPECT_EQ(platform::GetProcessImagePath(0x3FFFFFF0), L"");
    EXPECT_NE(Narrow(path).find("test_platform_process"), std::string::npos);
}
