#pragma once
// The debug channel that OutputDebugString writes to. It is process-wide; by default messages
// go to stderr when the environment has <PRODUCT>_DEBUG=1 (ProductName.h) and are dropped otherwise. Tests
// install their own sink to see what was sent.

#include "platform/WinTypes.h"

#include <functional>
#include <string>

// A narrow message is UTF-8. A null message is ignored.
void OutputDebugStringA(LPCSTR message);
void OutputDebugStringW(LPCWSTR message);
#define OutputDebugString OutputDebugStringW

namespace platform
{
using DebugSink = std::function<void(const std::wstring&)>;

// Installs a sink (an empty one restores the default) and returns the previous one. Safe from
// any thread; a message being delivered while the sink changes may still reach the old sink.
DebugSink SetDebugSink(DebugSink sink);
} // namespace platform
