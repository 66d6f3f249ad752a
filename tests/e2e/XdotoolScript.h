#pragma once
// xdotool steps run one after another on a thread of their own, for the moments when the test's
// UI thread must keep pumping: a modal loop is up, or a drag source of ours has to answer.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace e2e
{
class XdotoolScript
{
public:
    XdotoolScript() = default;
    ~XdotoolScript() { Join(); }
    XdotoolScript(const XdotoolScript&) = delete;
    XdotoolScript& operator=(const XdotoolScript&) = delete;

    // Starts the steps (full command lines); a script still running is waited for first.
    void Start(std::vector<std::string> steps);
    bool Finished() const { return m_finished; }
    // Waits for the end; true when every step exited with 0.
    bool Join();

private:
    std::thread m_thread;
    std::atomic<bool> m_finished{true};
    std::atomic<bool> m_failed{false};
};
} // namespace e2e
