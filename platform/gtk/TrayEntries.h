#pragma once
// What the two tray backends share: their work runs on the UI thread, and each keeps one entry
// per icon, found by window and id.

#include "GtkBackend.h"
#include "platform/NotifyIcon.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform
{
inline void RunOnTrayUi(std::function<void()> work)
{
    if (GtkBackend* backend = GtkBackend::Active())
        backend->RunOnUi(std::move(work));
}

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
