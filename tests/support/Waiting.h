#pragma once
// Waiting for a condition instead of sleeping: every wait polls for the state it needs and gives
// up after a stated time with a failure that says what it waited for and how long.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace testsupport
{
// Polls done() every millisecond until it holds; a failure after timeout.
::testing::AssertionResult WaitUntil(const std::function<bool()>& done,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Delivers every message queued for this thread (translated and dispatched).
void PumpQueued();
// How long a pump waits by default: a condition met returns at once, so only a failure waits it out.
constexpr int kPumpTimeoutMs = 10000;
// Pumps this thread's messages with pump() until done() holds; a failure after timeoutMs. A
// suite whose windows need another delivery (the framework's pre-translation, say) passes its own.
::testing::AssertionResult PumpUntil(const std::function<bool()>& done, int timeoutMs = kPumpTimeoutMs,
                                     const std::function<void()>& pump = PumpQueued);

// The kernel's id of the calling thread, for AwaitBlocked.
pid_t ThreadId();
// Waits until no thread of this process named in threads runs: each sleeps in the kernel (a
// wait, a lock, a read) or has ended. A thread that said it is about to wait has got there.
::testing::AssertionResult AwaitBlocked(const std::vector<pid_t>& threads,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Waits until the thread of this process has ended (its kernel task is gone).
::testing::AssertionResult AwaitEnded(pid_t thread,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
} // namespace testsupport
