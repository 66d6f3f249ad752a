#pragma once
// A person at the display who does not give up: runs its steps (command lines against the test
// display) on a thread of its own, and runs them again every so often until it is stopped. An
// input sent before its window could take it is simply sent again, so a test waits for the
// answer rather than for a guessed moment. Each step is cut off after a few seconds.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e
{
class InputRepeater
{
public:
    explicit InputRepeater(std::vector<std::string> steps, int everyMs = 700);
    // Stops and waits for the running step.
    ~InputRepeater();
    InputRepeater(const InputRepeater&) = delete;
    InputRepeater& operator=(const InputRepeater&) = delete;

    void Stop();
    // How many times all steps ran.
    int Rounds() const { return m_rounds; }

private:
    void Run(int everyMs);

    std::vector<std::string> m_steps;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopped = false;
    std::atomic<int> m_rounds{0};
    std::thread m_thread;
};

// The command line wrapped so that it ends after `seconds` (xdotool's --sync waits for ever).
std::string WithTimeout(const std::string& command, int seconds = 5);
} // namespace e2e
