#include "tests/e2e/DragSource.h"

#include <gtk/gtk.h>

namespace e2e
{
namespace
{
std::string MoveTo(int x, int y)
{
    return "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y);
}
} // namespace

DragSource::DragSource(int x, int y, std::vector<std::string> uris) : m_x(x), m_y(y), m_uris(std::move(uris))
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(m_window), kSize, kSize);
    gtk_window_move(GTK_WINDOW(m_window), x, y);
    GtkWidget* box = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(m_window), box);
    GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_drag_source_set(box, GDK_BUTTON1_MASK, &target, 1, GDK_ACTION_COPY);
    auto onGet = [](GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint, gpointer self) {
        std::vector<gchar*> list;
        for (std::string& uri : static_cast<DragSource*>(self)->m_uris)
            list.push_back(uri.data());
        list.push_back(nullptr);
        gtk_selection_data_set_uris(data, list.data());
    };
    g_signal_connect(box, "drag-data-get", G_CALLBACK(+onGet), this);
    gtk_widget_show_all(m_window);
}

DragSource::~DragSource()
{
    gtk_widget_destroy(m_window);
}

std::string DragSource::UriOf(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri != nullptr ? uri : "";
    g_free(uri);
    return text;
}

bool DragSource::Shown() const
{
    GdkWindow* window = gtk_widget_get_window(m_window);
    return window != nullptr && gdk_window_is_viewable(window);
}

std::vector<std::string> DragSource::DragTo(int x, int y) const
{
    const int fromX = m_x + kSize / 2;
    const int fromY = m_y + kSize / 2;
    // GTK starts a drag only past its threshold, and the target needs positions on the way in.
    return {MoveTo(fromX, fromY),
            "xdotool mousedown 1",
            MoveTo(fromX + 10, fromY + 5),
            MoveTo(fromX + 40, fromY + 10),
            MoveTo((fromX + x) / 2, (fromY + y) / 2),
            MoveTo(x - 20, y - 10),
            MoveTo(x, y),
            "xdotool sleep 0.3 mouseup 1"};
}

} // namespace e2e
