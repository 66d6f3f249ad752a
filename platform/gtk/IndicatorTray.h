#pragma once
// Tray icons as StatusNotifierItems (ayatana AppIndicator) for desktops without an XEmbed
// tray. An indicator reports no clicks: it shows a menu, whose rows the program gives with
// SetNotifyIconMenu; its image is the file icon.png beside the program.

#include "platform/NotifyIcon.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

struct _AppIndicator;

namespace platform
{
class IndicatorTray final : public NotifyIconBackend
{
public:
    void Add(const NotifyIconState& icon) override;
    void Modify(const NotifyIconState& icon) override;
    void Delete(const NotifyIconState& icon) override;
    void SetMenu(const NotifyIconState& icon, const std::vector<NotifyIconMenuRow>& rows) override;

private:
    struct Entry
    {
        NotifyIconState state;
        _AppIndicator* indicator = nullptr;
        GtkWidget* menu = nullptr;
    };
    struct Row
    {
        Entry* entry;
        UINT command;
    };

    static void OnActivate(GtkMenuItem* item, gpointer row);
    Entry* Find(const NotifyIconState& icon);

    std::vector<std::unique_ptr<Entry>> m_entries; // UI thread only
    std::vector<std::unique_ptr<Row>> m_rows;
};
} // namespace platform
