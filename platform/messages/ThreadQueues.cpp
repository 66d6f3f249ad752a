#include "platform/messages/ThreadQueues.h"

#include "platform/messages/Internal.h"

#include <unistd.h>

namespace platform
{
// Lives in thread-local storage so that the queue is closed when its thread ends.
class ThreadQueueHolder
{
public:
    ThreadQueueHolder() = default;
    ThreadQueueHolder(const ThreadQueueHolder&) = delete;
    ThreadQueueHolder& operator=(const ThreadQueueHolder&) = delete;
    ~ThreadQueueHolder()
    {
        if (!m_queue)
            return;
        const DWORD threadId = m_queue->ThreadId();
        // Closing first makes every later post fail, so nothing can slip in behind the drain.
        const std::vector<MSG> dropped = m_queue->Close();
        ThreadQueues::Instance().Remove(threadId);
        ForgetThreadWindows(threadId);
        ReportDropped(dropped);
    }

    std::shared_ptr<MessageQueue> m_queue;
};

namespace
{
thread_local ThreadQueueHolder t_holder;
} // namespace

DWORD CurrentThreadId()
{
    thread_local const DWORD id = static_cast<DWORD>(::gettid());
    return id;
}

ThreadQueues& ThreadQueues::Instance()
{
    // Never destroyed: threads may still end while the process exits.
    static ThreadQueues* const instance = new ThreadQueues;
    return *instance;
}

std::shared_ptr<MessageQueue> ThreadQueues::Current()
{
    if (!t_holder.m_queue)
    {
        auto queue = std::make_shared<MessageQueue>(CurrentThreadId());
        std::lock_guard lock(m_lock);
        m_queues[queue->ThreadId()] = queue;
        t_holder.m_queue = std::move(queue);
    }
    return t_holder.m_queue;
}

std::shared_ptr<MessageQueue> ThreadQueues::Find(DWORD threadId)
{
    std::lock_guard lock(m_lock);
    auto it = m_queues.find(threadId);
    return it == m_queues.end() ? nullptr : it->second;
}

void ThreadQueues::Remove(DWORD threadId)
{
    std::lock_guard lock(m_lock);
    m_queues.erase(threadId);
}
} // namespace platform
