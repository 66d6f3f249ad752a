#pragma once
// Ends a wait that may never end by itself (a modal loop, GetMessageW with nothing to wake it):
// when the time is up before the object ends, the test fails, a WM_QUIT is posted to the thread
// that made the watchdog (every message loop and modal loop of the platform ends on it), and if
// the test is still stuck a few seconds later the process exits, so ctest never waits for its
// own time-out.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace e2e
{
class Watchdog
{
public:
    Watchdog(int seconds, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool Fired() const;

private:
    void Watch(int seconds);

    std::string m_what;
    unsigned long m_thread;
    mutable std::mutex m_lock;
    std::condition_variable m_done;
    bool m_ended = false;
    bool m_fired = false;
    std::thread m_watcher;
};
} // namespace e2e
