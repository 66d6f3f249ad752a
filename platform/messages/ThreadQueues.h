#pragma once
// The message queue of every thread that has one, by thread id. A thread's queue is made on
// its first use and closed when the thread ends; its windows vanish with it.

#include "platform/messages/MessageQueue.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform
{
class ThreadQueues
{
public:
    static ThreadQueues& Instance();

    // The calling thread's queue, made on first use.
    std::shared_ptr<MessageQueue> Current();
    // The queue of a live thread, or nullptr.
    std::shared_ptr<MessageQueue> Find(DWORD threadId);

private:
    ThreadQueues() = default;
    friend class ThreadQueueHolder;
    void Remove(DWORD threadId);

    std::mutex m_lock;
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> m_queues;
};
} // namespace platform
