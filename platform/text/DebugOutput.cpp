#include "platform/DebugOutput.h"

#include "platform/ProductName.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace platform
{
namespace
{
void WriteToStderr(const std::wstring& message)
{
    if (ProductSetting("DEBUG") != "1")
        return;
    std::string line = ToUtf8(message);
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
}

struct DebugChannel
{
    std::mutex lock;
    std::shared_ptr<const DebugSink> sink = std::make_shared<const DebugSink>(WriteToStderr);
};

DebugChannel& Channel()
{
    static DebugChannel* channel = new DebugChannel; // outlives static destructors: used at exit
    return *channel;
}

// The sink is called outside the lock so that it may itself write debug output.
void Deliver(const std::wstring& message)
{
    std::shared_ptr<const DebugSink> sink;
    {
        DebugChannel& channel = Channel();
        std::lock_guard<std::mutex> guard(channel.lock);
        sink = channel.sink;
    }
    (*sink)(message);
}
} // namespace

DebugSink SetDebugSink(DebugSink sink)
{
    if (!sink)
        sink = WriteToStderr;
    auto next = std::make_shared<const DebugSink>(std::move(sink));
    DebugChannel& channel = Channel();
    std::lock_guard<std::mutex> guard(channel.lock);
    std::swap(channel.sink, next);
    return *next;
}
} // namespace platform

void OutputDebugStringA(LPCSTR message)
{
    if (message != nullptr)
        platform::Deliver(platform::FromUtf8(message));
}

void OutputDebugStringW(LPCWSTR message)
{
    if (message != nullptr)
        platform::Deliver(message);
}
