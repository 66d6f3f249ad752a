#include "tests/platform/kernel/ThreadRun.h"
#include "tests/support/ChildProcess.h"

#include "platform/Kernel.h"
#include "platform/WinError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Points XDG_RUNTIME_DIR at a folder of the test's own for as long as it lives.
class RuntimeBase
{
public:
    RuntimeBase() : m_saved(std::getenv("XDG_RUNTIME_DIR"))
    {
        ::setenv("XDG_RUNTIME_DIR", m_dir.path().c_str(), 1);
    }
    ~RuntimeBase() { ::setenv("XDG_RUNTIME_DIR", m_saved.c_str(), 1); }
    std::string operator/(const std::string& name) const { return m_dir / name; }

private:
    std::string m_saved;
    testsupport::TempDir m_dir{"runtime"};
};

// Creates the named mutex and answers the last error it reported.
DWORD CreateAndReport(const wchar_t* name, HANDLE* handle)
{
    SetLastError(0xDEAD);
    *handle = CreateMutexW(nullptr, TRUE, name);
    return GetLastError();
}
} // namespace

TEST(NamedMutex, SecondHandleInTheProcessSeesItExistsUntilTheFirstCloses)
{
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    EXPECT_EQ(CreateAndReport(L"{same-process}", &first), ERROR_SUCCESS);
    ASSERT_NE(first, nullptr);
    // the single-instance check releases ownership at once but keeps the handle
    EXPECT_TRUE(ReleaseMutex(first));
    EXPECT_EQ(CreateAndReport(L"{same-process}", &second), ERROR_ALREADY_EXISTS);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(ReleaseMutex(second)); // "already exists" gives no ownership
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    CloseHandle(second);
    CloseHandle(first);

    HANDLE third = nullptr;
    EXPECT_EQ(CreateAndReport(L"{same-process}", &third), ERROR_SUCCESS);
    CloseHandle(third);
}

TEST(NamedMutex, AnotherProcessHoldsItUntilKilled)
{
    testsupport::ChildProcess holder;
    ASSERT_TRUE(holder.Start("kernel_mutex_holder", {"Pictavo-{2F1C}"}));
    ASSERT_EQ(holder.ReadLine(), "held");

    HANDLE mutex = nullptr;
    EXPECT_EQ(CreateAndReport(L"Pictavo-{2F1C}", &mutex), ERROR_ALREADY_EXISTS);
    ASSERT_NE(mutex, nullptr);
    CloseHandle(mutex);

    holder.Kill(SIGKILL);
    holder.Wait();
    EXPECT_EQ(CreateAndReport(L"Pictavo-{2F1C}", &mutex), ERROR_SUCCESS);

    // and now the roles are reversed
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start("kernel_mutex_holder", {"Pictavo-{2F1C}"}));
    EXPECT_EQ(second.ReadLine(), "exists");
    CloseHandle(mutex);
}

TEST(NamedMutex, ChildProcessesDoNotInheritTheLock)
{
    HANDLE mutex = nullptr;
    ASSERT_EQ(CreateAndReport(L"inherit-check", &mutex), ERROR_SUCCESS);
    testsupport::ChildProcess child; // started while we hold the lock; lives on after we close it
    ASSERT_TRUE(child.Start("kernel_mutex_holder", {"other-name"}));
    ASSERT_EQ(child.ReadLine(), "held");
    CloseHandle(mutex);

    EXPECT_EQ(CreateAndReport(L"inherit-check", &mutex), ERROR_SUCCESS);
    CloseHandle(mutex);
}

TEST(NamedMutex, NamesBecomeSafeDistinctFileNames)
{
    RuntimeBase base;
    HANDLE handles[3] = {};
    EXPECT_EQ(CreateAndReport(L"Global\\a/b", &handles[0]), ERROR_SUCCESS);
    EXPECT_EQ(CreateAndReport(L"Global_a_b", &handles[1]), ERROR_SUCCESS); // not the same lock
    EXPECT_EQ(CreateAndReport(L"../\u5355\u4f8b", &handles[2]), ERROR_SUCCESS);
    EXPECT_TRUE(testsupport::Exists(base / "pictavo/Global%5Ca%2Fb.lock"));
    EXPECT_TRUE(testsupport::Exists(base / "pictavo/Global_a_b.lock"));
    EXPECT_TRUE(testsupport::Exists(base / "pictavo/..%2F%E5%8D%95%E4%BE%8B.lock"));
    EXPECT_FALSE(testsupport::Exists(base / "\u5355\u4f8b.lock"));
    for (HANDLE h : handles)
        CloseHandle(h);

    const std::wstring longName(400, L'x');
    HANDLE a = nullptr;
    HANDLE b = nullptr;
    EXPECT_EQ(CreateAndReport(longName.c_str(), &a), ERROR_SUCCESS);
    EXPECT_EQ(CreateAndReport((longName + L"y").c_str(), &b), ERROR_SUCCESS); // same prefix, other lock
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(Mutex, OwnershipIsReentrantAndExcludesOtherThreads)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // owner enters again
    auto tryTake = [](void* m) -> unsigned {
        const DWORD result = WaitForSingleObject(static_cast<HANDLE>(m), 0);
        if (result == WAIT_OBJECT_0)
            ReleaseMutex(static_cast<HANDLE>(m));
        return result;
    };
    auto runOther = [&] { return kerneltest::RunThreadToEnd(tryTake, mutex); };
    EXPECT_EQ(runOther(), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(runOther(), WAIT_TIMEOUT); // still one level held
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(runOther(), WAIT_OBJECT_0);
    EXPECT_FALSE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST(RuntimeDir, IsAPrivateFolderUnderXdgRuntimeDir)
{
    RuntimeBase base;
    const std::string dir = platform::RuntimeDir();
    EXPECT_EQ(dir, base / "pictavo");
    struct stat st;
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // a folder of ours left open to others is tightened
    ::chmod(dir.c_str(), 0777);
    EXPECT_EQ(platform::RuntimeDir(), dir);
    ::lstat(dir.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(RuntimeDir, FallsBackToAPerUserTmpFolder)
{
    const std::string saved = std::getenv("XDG_RUNTIME_DIR");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::RuntimeDir(), "/tmp/pictavo-" + std::to_string(::geteuid()) + "-run");
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST(RuntimeDir, RefusesASymlinkOrAFolderOfAnotherUser)
{
    RuntimeBase base;
    testsupport::TempDir elsewhere("elsewhere");
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), (base / "pictavo").c_str()), 0);
    EXPECT_EQ(platform::RuntimeDir(), "");
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"through-symlink");
    EXPECT_EQ(mutex, nullptr);
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS); // the caller then runs as the first instance
    EXPECT_FALSE(testsupport::Exists(elsewhere / "through-symlink.lock"));
    ::unlink((base / "pictavo").c_str());

    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    ASSERT_EQ(::mkdir((base / "pictavo").c_str(), 0700), 0);
    ASSERT_EQ(::chown((base / "pictavo").c_str(), 65534, 65534), 0);
    EXPECT_EQ(platform::RuntimeDir(), "");
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(RuntimeDir, RefusesAFileInThePlaceOfTheFolder)
{
    RuntimeBase base;
    testsupport::WriteFile(base / "pictavo", "not a folder");
    EXPECT_EQ(platform::RuntimeDir(), "");
}
