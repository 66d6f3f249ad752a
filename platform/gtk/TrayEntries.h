#pragma once
// What the two tray backends share: each keeps one entry per icon, found by window and id.

#include "platform/NotifyIcon.h"

#include <memory>
#include <vector>

namespace platform
{
template <typename Entry>
Entry* FindTrayEntry(const std::vector<std::unique_ptr<Entry>>& entries, const NotifyIconState& icon)
{
    for (const auto& entry : entries)
    {
        if (entry->state.hwnd == icon.hwnd && entry->state.id == icon.id)
            return entry.get();
    }
    return nullptr;
}
} // namespace platform
