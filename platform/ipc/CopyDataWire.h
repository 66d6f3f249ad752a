#pragma once
// The frames on a window socket. One connection carries one request and its reply; both sides
// are processes of the same user on the same machine, so fields are in host order. The reader
// trusts nothing: a frame with a wrong mark, version or size is refused.
//
//   request: RequestHeader, then cbData bytes of data
//   reply:   ReplyHeader (status 0: result is the window procedure's answer; else a Win32 error)

#include "platform/WinTypes.h"

#include <chrono>
#include <cstdint>

namespace platform::ipc
{
constexpr std::uint32_t kRequestMark = 0x44574350; // "PCWD"
constexpr std::uint32_t kReplyMark = 0x52574350;   // "PCWR"
constexpr std::uint32_t kWireVersion = 1;
// Anything larger is not a window message's data.
constexpr std::uint32_t kMaxCopyData = 1024 * 1024;
// The longest a cross-process send waits for its answer.
constexpr DWORD kSendTimeoutMs = 5000;
constexpr std::uint32_t kHasCopyData = 1; // lParam carried a COPYDATASTRUCT (else lParam 0)

struct RequestHeader
{
    std::uint32_t mark = kRequestMark;
    std::uint32_t version = kWireVersion;
    std::uint64_t hwnd = 0; // the window's handle in the receiving process
    std::uint32_t message = 0;
    std::uint32_t flags = 0;
    std::uint64_t wParam = 0;
    std::uint64_t dwData = 0;
    std::uint32_t cbData = 0;
    std::uint32_t reserved = 0;
};
static_assert(sizeof(RequestHeader) == 48);

struct ReplyHeader
{
    std::uint32_t mark = kReplyMark;
    std::uint32_t status = 0;
    std::int64_t result = 0;
};
static_assert(sizeof(ReplyHeader) == 16);

using WireClock = std::chrono::steady_clock;

class CopyDataWire
{
public:
    // Reads or writes exactly size bytes before the deadline; false on end of stream, error or
    // time-out. Writes never raise SIGPIPE.
    static bool ReadExact(int fd, void* buffer, size_t size, WireClock::time_point deadline);
    static bool WriteExact(int fd, const void* buffer, size_t size, WireClock::time_point deadline);
    // ERROR_SUCCESS when the header may be served, else the error to answer with.
    static DWORD Check(const RequestHeader& header);

private:
    // Waits until fd is ready for events; false at the deadline.
    static bool WaitReady(int fd, short events, WireClock::time_point deadline);
};
} // namespace platform::ipc
