#include "platform/gtk/IndicatorTray.h"

#include "platform/ProductName.h"
#include "platform/Utf.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/TrayEntries.h"

#include <libayatana-appindicator/app-indicator.h>

#include <climits>
#include <string>
#include <unistd.h>

namespace platform
{
namespace
{

std::string ProgramIconFile()
{
    char path[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string folder(path, length > 0 ? static_cast<size_t>(length) : 0);
    folder.erase(folder.find_last_of('/') + 1);
    return folder + "icon.png";
}
} // namespace

void IndicatorTray::Add(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        auto entry = std::make_unique<Entry>();
        entry->state = icon;
        const std::string id =
            ProductName() + "-tray-" + std::to_string(::getpid()) + "-" + std::to_string(icon.id);
        entry->indicator.reset(app_indicator_new(id.c_str(), ProgramIconFile().c_str(),
                                                 APP_INDICATOR_CATEGORY_APPLICATION_STATUS));
        const std::string tip = ToDisplayUtf8(icon.tip);
        app_indicator_set_title(entry->indicator.get(), tip.c_str());
        // An indicator without a menu is not shown at all.
        entry->menu.reset(GTK_WIDGET(g_object_ref_sink(gtk_menu_new())));
        app_indicator_set_menu(entry->indicator.get(), GTK_MENU(entry->menu.get()));
        app_indicator_set_status(entry->indicator.get(), APP_INDICATOR_STATUS_ACTIVE);
        m_entries.push_back(std::move(entry));
    });
}

void IndicatorTray::Modify(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        if (Entry* entry = Find(icon))
        {
            entry->state = icon;
            app_indicator_set_title(entry->indicator.get(), ToDisplayUtf8(icon.tip).c_str());
        }
    });
}

void IndicatorTray::Delete(const NotifyIconState& icon)
{
    m_display.RunOnUi([this, icon] {
        Entry* entry = Find(icon);
        if (entry == nullptr)
            return;
        app_indicator_set_status(entry->indicator.get(), APP_INDICATOR_STATUS_PASSIVE);
        entry->indicator.reset();
        gtk_widget_destroy(entry->menu.get());
        std::erase_if(m_rows, [entry](const std::unique_ptr<Row>& row) { return row->entry == entry; });
        std::erase_if(m_entries, [entry](const std::unique_ptr<Entry>& e) { return e.get() == entry; });
    });
}

void IndicatorTray::SetMenu(const NotifyIconState& icon, const std::vector<NotifyIconMenuRow>& rows)
{
    m_display.RunOnUi([this, icon, rows] {
        Entry* entry = Find(icon);
        if (entry == nullptr)
            return;
        for (const NotifyIconMenuRow& row : rows)
        {
            GtkWidget* item = gtk_menu_item_new_with_label(ToDisplayUtf8(row.text).c_str());
            m_rows.push_back(std::make_unique<Row>(Row{entry, row.command}));
            g_signal_connect(item, "activate", G_CALLBACK(&IndicatorTray::OnActivate), m_rows.back().get());
            gtk_menu_shell_append(GTK_MENU_SHELL(entry->menu.get()), item);
            gtk_widget_show(item);
        }
    });
}

void IndicatorTray::OnActivate(GtkMenuItem*, gpointer data) noexcept
try
{
    const auto* row = static_cast<const Row*>(data);
    const NotifyIconState& state = row->entry->state;
    if (state.callbackMessage != 0)
        PostMessageW(state.hwnd, state.callbackMessage, row->command, static_cast<LPARAM>(WM_COMMAND));
}
catch (...)
{
}

IndicatorTray::Entry* IndicatorTray::Find(const NotifyIconState& icon)
{
    return FindTrayEntry(m_entries, icon);
}
} // namespace platform
