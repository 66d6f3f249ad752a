#pragma once
// Tray icons in an XEmbed system tray (GtkStatusIcon): presses and releases on an icon come
// back as its callback message with the mouse message, as on Windows.

#include "platform/NotifyIcon.h"
#include "platform/Owned.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace platform
{
class GtkBackend;

class StatusIconTray final : public NotifyIconBackend
{
public:
    // Work goes to the display's UI thread.
    explicit StatusIconTray(GtkBackend& display) : m_display(display) {}
    // True when an XEmbed tray owns the screen's tray selection now.
    static bool TrayPresent();

    void Add(const NotifyIconState& icon) override;
    void Modify(const NotifyIconState& icon) override;
    void Delete(const NotifyIconState& icon) override;

private:
    struct Entry
    {
        NotifyIconState state;
        GObjectPtr<GtkStatusIcon> icon;
    };

    static gboolean OnButton(GtkStatusIcon* icon, GdkEventButton* event, gpointer entry) noexcept;
    static void Show(Entry& entry);
    Entry* Find(const NotifyIconState& icon);

    GtkBackend& m_display;
    std::vector<std::unique_ptr<Entry>> m_entries; // UI thread only
};

// The decoded image, or nullptr when the bytes are not one.
GObjectPtr<GdkPixbuf> DecodeImage(const void* bytes, std::size_t size);
} // namespace platform
