#pragma once
// A message sent to a window of another thread, waiting in that thread's queue for its answer.

#include "platform/Messages.h"

#include <memory>

namespace platform
{
class MessageQueue;

struct SentMessage
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    // Set with result by MessageQueue::Answer under the sender queue's lock.
    bool done = false;
    // The waiting thread's queue, kept alive until the answer has been given.
    std::shared_ptr<MessageQueue> sender;
};
} // namespace platform
