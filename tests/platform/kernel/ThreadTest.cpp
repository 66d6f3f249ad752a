#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"

#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/wait.h>

namespace
{
HANDLE Start(unsigned (*routine)(void*), void* arg, unsigned flags = 0, unsigned* id = nullptr)
{
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, routine, arg, flags, id));
}

// A worker that records its thread id, waits for its "go" event and returns a set code.
struct Worker
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> threadId{0};
    std::atomic<pid_t> kernelId{0};
    std::atomic<bool> ran{false};
    std::atomic<bool> finished{false};
    unsigned result = 0;

    ~Worker() { CloseHandle(go); }

    static unsigned Run(void* self)
    {
        auto* worker = static_cast<Worker*>(self);
        worker->threadId = GetCurrentThreadId();
        worker->kernelId = testsupport::ThreadId();
        worker->ran = true;
        WaitForSingleObject(worker->go, INFINITE);
        const unsigned result = worker->result;
        worker->finished = true; // last touch of the worker
        return result;
    }
    ::testing::AssertionResult AwaitFinished() const
    {
        return testsupport::WaitUntil([this] { return finished.load(); });
    }
    // Waits until the worker's thread is gone, past whatever runs after the routine.
    ::testing::AssertionResult AwaitEnded() const { return testsupport::AwaitEnded(kernelId); }
};
} // namespace

TEST(Thread, HandleIsSignalledAtTheEndWithTheExitCode)
{
    Worker worker;
    worker.result = 42;
    unsigned id = 0;
    HANDLE thread = Start(&Worker::Run, &worker, 0, &id);
    ASSERT_NE(thread, nullptr);

    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    SetEvent(worker.go);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0); // stays signalled
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(worker.threadId.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(Thread, SuspendedThreadRunsOnlyAfterResume)
{
    Worker worker;
    SetEvent(worker.go);
    HANDLE thread = Start(&Worker::Run, &worker, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_FALSE(worker.ran);

    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(worker.ran);
    EXPECT_EQ(ResumeThread(thread), 0u);
    CloseHandle(thread);
}

TEST(Thread, KeepsRunningWhenItsHandleIsClosedFirst)
{
    struct Shared
    {
        HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    } shared;
    auto routine = [](void* arg) -> unsigned {
        auto* s = static_cast<Shared*>(arg);
        WaitForSingleObject(s->go, INFINITE);
        SetEvent(s->done);
        return 0;
    };
    HANDLE thread = Start(routine, &shared);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED); // the handle is gone, not the thread

    SetEvent(shared.go);
    EXPECT_EQ(WaitForSingleObject(shared.done, 5000), WAIT_OBJECT_0);
    CloseHandle(shared.go);
    CloseHandle(shared.done);
}

TEST(Thread, TerminateMarksTheHandleAndLeavesTheThreadAlone)
{
    Worker worker;
    worker.result = 5;
    HANDLE thread = Start(&Worker::Run, &worker);
    ASSERT_NE(thread, nullptr);
    while (!worker.ran)
        SwitchToThread();

    EXPECT_TRUE(TerminateThread(thread, 9));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 9u);

    // the thread was not killed: it still finishes its step, and its own result is ignored
    SetEvent(worker.go);
    ASSERT_TRUE(worker.AwaitFinished());
    ASSERT_TRUE(worker.AwaitEnded());
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 9u);
    CloseHandle(thread);

    // the process goes on starting and ending threads normally
    Worker next;
    next.result = 3;
    SetEvent(next.go);
    HANDLE again = Start(&Worker::Run, &next);
    EXPECT_EQ(WaitForSingleObject(again, 5000), WAIT_OBJECT_0);
    GetExitCodeThread(again, &code);
    EXPECT_EQ(code, 3u);
    CloseHandle(again);
}

TEST(Thread, TerminatedSuspendedThreadNeverRuns)
{
    Worker worker;
    SetEvent(worker.go);
    HANDLE thread = Start(&Worker::Run, &worker, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(TerminateThread(thread, 1));
    ResumeThread(thread);
    Sleep(50);
    EXPECT_FALSE(worker.ran);
    CloseHandle(thread);
}

TEST(Thread, ProcessEndsNormallyWithTerminatedThreadsStillRunning)
{
    testsupport::ChildProcess child;
    ASSERT_TRUE(child.Start("kernel_terminate_exit", {}));
    EXPECT_EQ(child.ReadLine(), "terminated 7");
    const int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Thread, BadArgumentsAndHandlesAreRefused)
{
    EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(event, &code)); // an event is not a thread
    EXPECT_FALSE(TerminateThread(event, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ResumeThread(INVALID_HANDLE_VALUE), static_cast<DWORD>(-1));
    CloseHandle(event);
}

TEST(Thread, SmallStackRequestStillRuns)
{
    Worker worker;
    worker.result = 11;
    SetEvent(worker.go);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 1, &Worker::Run, &worker, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 11u);
    CloseHandle(thread);
}

TEST(Thread, IdsAndSleep)
{
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
    EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(::gettid()));
    const ULONGLONG before = GetTickCount64();
    Sleep(30);
    EXPECT_GE(GetTickCount64() - before, 30u);
    EXPECT_TRUE(SwitchToThread());
}
