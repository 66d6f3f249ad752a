#pragma once
// Tray icons as StatusNotifierItems (ayatana AppIndicator) for desktops without an XEmbed
// tray. An indicator reports no clicks: it shows a menu, whose rows the program gives with
// SetNotifyIconMenu; its image is the file icon.png beside the program.

#include "platform/NotifyIcon.h"
#include "platform/Owned.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

struct _AppIndicator;

namespace platform
{
class GtkBackend;

class IndicatorTray final : public NotifyIconBackend
{
public:
    // Work goes to the display's UI thread.
    explicit IndicatorTray(GtkBackend& display) : m_display(display) {}

    void Add(const NotifyIconState& icon) override;
    void Modify(const NotifyIconState& icon) override;
    void Delete(const NotifyIconState& icon) override;
    void SetMenu(const NotifyIconState& icon, const std::vector<NotifyIconMenuRow>& rows) override;

private:
    struct Entry
    {
        NotifyIconState state;
        GObjectPtr<GtkWidget> menu; // our own reference, so the menu outlives its indicator
        GObjectPtr<_AppIndicator> indicator;
    };
    struct Row
    {
        Entry* entry;
        UINT command;
    };

    static void OnActivate(GtkMenuItem* item, gpointer row) noexcept;
    GtkBackend& m_display;
    Entry* Find(const NotifyIconState& icon);

    std::vector<std::unique_ptr<Entry>> m_entries; // UI thread only
    std::vector<std::unique_ptr<Row>> m_rows;
};
} // namespace platform
