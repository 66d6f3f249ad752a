#include "platform/gtk/StatusIconTray.h"

#include "platform/Utf.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/TrayEntries.h"

#include <gdk/gdkx.h>

#include <string>

// GtkStatusIcon is the one GTK 3 road into an XEmbed tray; it is deprecated, not gone.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace platform
{
namespace
{

UINT MouseMessage(const GdkEventButton* event)
{
    const bool left = event->button == 1;
    const bool right = event->button == 3;
    switch (event->type)
    {
    case GDK_BUTTON_PRESS:
        return left ? WM_LBUTTONDOWN : right ? WM_RBUTTONDOWN : 0;
    case GDK_2BUTTON_PRESS:
        return left ? WM_LBUTTONDBLCLK : right ? WM_RBUTTONDBLCLK : 0;
    case GDK_BUTTON_RELEASE:
        return left ? WM_LBUTTONUP : right ? WM_RBUTTONUP : 0;
    default:
        return 0;
    }
}
} // namespace

bool StatusIconTray::TrayPresent()
{
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_X11_DISPLAY(display))
        return false;
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x));
    return XGetSelectionOwner(x, XInternAtom(x, name.c_str(), False)) != None;
}

void StatusIconTray::Show(Entry& entry)
{
    const std::vector<unsigned char> png = IconImage(entry.state.icon);
    if (const GObjectPtr<GdkPixbuf> pixbuf = DecodeImage(png.data(), png.size()))
        gtk_status_icon_set_from_pixbuf(entry.icon.get(), pixbuf.get());
    else
        gtk_status_icon_set_from_icon_name(entry.icon.get(), "image-x-generic");
    const std::string tip = ToDisplayUtf8(entry.state.tip);
    gtk_status_icon_set_tooltip_text(entry.icon.get(), tip.c_str());
    gtk_status_icon_set_title(entry.icon.get(), tip.c_str());
}

void StatusIconTray::Add(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        auto entry = std::make_unique<Entry>();
        entry->state = icon;
        entry->icon.reset(gtk_status_icon_new());
        Show(*entry);
        g_signal_connect(entry->icon.get(), "button-press-event", G_CALLBACK(&StatusIconTray::OnButton),
                         entry.get());
        g_signal_connect(entry->icon.get(), "button-release-event", G_CALLBACK(&StatusIconTray::OnButton),
                         entry.get());
        gtk_status_icon_set_visible(entry->icon.get(), TRUE);
        m_entries.push_back(std::move(entry));
    });
}

void StatusIconTray::Modify(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        if (Entry* entry = Find(icon))
        {
            entry->state = icon;
            Show(*entry);
        }
    });
}

void StatusIconTray::Delete(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        Entry* entry = Find(icon);
        if (entry == nullptr)
            return;
        gtk_status_icon_set_visible(entry->icon.get(), FALSE);
        g_signal_handlers_disconnect_by_data(entry->icon.get(), entry);
        std::erase_if(m_entries, [entry](const std::unique_ptr<Entry>& e) { return e.get() == entry; });
    });
}

StatusIconTray::Entry* StatusIconTray::Find(const NotifyIconState& icon)
{
    return FindTrayEntry(m_entries, icon);
}

gboolean StatusIconTray::OnButton(GtkStatusIcon*, GdkEventButton* event, gpointer data) noexcept
try
{
    const auto* entry = static_cast<const Entry*>(data);
    const UINT mouse = MouseMessage(event);
    if (mouse != 0 && entry->state.callbackMessage != 0)
        PostMessageW(entry->state.hwnd, entry->state.callbackMessage, entry->state.id,
                     static_cast<LPARAM>(mouse));
    return TRUE;
}
catch (...)
{
    return TRUE;
}
} // namespace platform
