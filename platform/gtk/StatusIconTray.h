#pragma once
// Tray icons in an XEmbed system tray (GtkStatusIcon): presses and releases on an icon come
// back as its callback message with the mouse message, as on Windows.

#include "platform/NotifyIcon.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace platform
{
class StatusIconTray final : public NotifyIconBackend
{
public:
    // True when an XEmbed tray owns the screen's tray selection now.
    static bool TrayPresent();

    void Add(const NotifyIconState& icon) override;
    void Modify(const NotifyIconState& icon) override;
    void Delete(const NotifyIconState& icon) override;

private:
    struct Entry
    {
        NotifyIconState state;
        GtkStatusIcon* icon = nullptr;
    };

    static gboolean OnButton(GtkStatusIcon* icon, GdkEventButton* event, gpointer entry);
    static void Show(Entry& entry);
    Entry* Find(const NotifyIconState& icon);

    std::vector<std::unique_ptr<Entry>> m_entries; // UI thread only
};

// The decoded image (a new reference), or nullptr when the bytes are not one.
GdkPixbuf* DecodeImage(const void* bytes, std::size_t size);
} // namespace platform
