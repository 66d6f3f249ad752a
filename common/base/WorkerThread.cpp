#include "common/base/WorkerThread.h"

#include "platform/CrashReport.h"

#include <cerrno>
#include <system_error>

CWorkerThread::~CWorkerThread()
{
    Stop();
}

bool CWorkerThread::Start(Body body)
{
    Join();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bEnded = false;
    }
    try
    {
        m_thread = std::jthread([this, work = std::move(body)](std::stop_token token) { Run(token, work); });
    }
    catch (const std::system_error& error)
    {
        errno = error.code().value();
        return false;
    }
    return true;
}

void CWorkerThread::Run(const std::stop_token& token, const Body& body)
{
    // Its own signal stack, so that even an overflow of this thread's stack is reported.
    platform::PrepareThreadForCrashes();
    body(token);
    // Told under the lock: JoinFor may join (and the owner go) as soon as it sees the flag.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bEnded = true;
    m_ended.notify_all();
}

void CWorkerThread::RequestStop()
{
    m_thread.request_stop();
}

void CWorkerThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CWorkerThread::JoinFor(std::chrono::milliseconds timeout)
{
    if (!m_thread.joinable())
        return true;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_ended.wait_for(lock, timeout, [this] { return m_bEnded; }))
            return false;
    }
    m_thread.join();
    return true;
}

void CWorkerThread::Stop()
{
    RequestStop();
    Join();
}
