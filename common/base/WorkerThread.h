#pragma once
// One worker thread owned by one object: its body gets a stop token, and the owner stops it
// (a request the body reads) and waits for it, at the latest in the destructor, so a worker
// never outlives what it works on. Start, RequestStop, Join, JoinFor, Stop and the destructor
// belong to the owner's thread; only the body runs on the worker. A body that blocks on
// something else than the token registers a std::stop_callback that wakes it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

class CWorkerThread
{
public:
    using Body = std::function<void(std::stop_token)>;

    CWorkerThread() = default;
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs body on a new thread (after waiting for an earlier one); false when the system
    // gave no thread (errno tells why), and the body is not run then.
    bool Start(Body body);
    // True from a successful Start until the worker is joined.
    bool IsStarted() const { return m_thread.joinable(); }
    // Asks the body to end; returns at once.
    void RequestStop();
    // Waits for the body to return, without a time-out.
    void Join();
    // Waits up to timeout for the body to return; true (and joined) when it did, false when it
    // still runs (it stays owned, and the destructor waits for it).
    bool JoinFor(std::chrono::milliseconds timeout);
    // RequestStop, then Join.
    void Stop();

private:
    void Run(const std::stop_token& token, const Body& body);

    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_bEnded = false;
    // Last: started after the members above exist, joined before they go.
    std::jthread m_thread;
};
