#pragma once
// Which messages a retrieval accepts: GetMessageW/PeekMessageW's window and number range.

#include "platform/Messages.h"

namespace platform
{
struct MessageFilter
{
    HWND hwnd = nullptr;
    UINT min = 0;
    UINT max = 0;

    // hwnd NULL accepts every window and thread messages; (HWND)-1 only thread messages.
    bool MatchesWindow(HWND target) const
    {
        if (hwnd == nullptr)
            return true;
        if (hwnd == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)))
            return target == nullptr;
        return target == hwnd;
    }
    bool MatchesNumber(UINT message) const
    {
        return (min == 0 && max == 0) || (message >= min && message <= max);
    }
    bool Matches(const MSG& msg) const { return MatchesWindow(msg.hwnd) && MatchesNumber(msg.message); }
};
} // namespace platform
