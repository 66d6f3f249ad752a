#include "platform/shell/DropTarget.h"

#include "platform/Input.h"
#include "platform/shell/DropFiles.h"
#include "platform/shell/UriList.h"

#include "platform/gtk/NativeWindow.h"

#include <string>

namespace platform
{
namespace
{
constexpr const char* kKey = "platform-drop-target";

// The uri list first: "text/plain" only for file managers that offer nothing better.
GtkTargetEntry g_targets[] = {
    {const_cast<gchar*>("text/uri-list"), 0, 0},
    {const_cast<gchar*>("text/plain;charset=utf-8"), 0, 1},
    {const_cast<gchar*>("text/plain"), 0, 2},
};
} // namespace

void DropTarget::Set(NativeWindow& native, HWND hwnd, bool accept)
{
    GtkWidget* widget = GTK_WIDGET(native.Window());
    auto* target = static_cast<DropTarget*>(g_object_get_data(G_OBJECT(widget), kKey));
    if (!accept)
    {
        gtk_drag_dest_unset(widget);
        return;
    }
    if (target == nullptr)
    {
        target = new DropTarget(native);
        // The object owns the target: it ends with the widget (or the last handler).
        g_object_set_data(G_OBJECT(widget), kKey, target);
        g_signal_connect_data(widget, "drag-drop", G_CALLBACK(&DropTarget::OnDrop), target, nullptr,
                              GConnectFlags(0));
        g_signal_connect_data(widget, "drag-data-received", G_CALLBACK(&DropTarget::OnData), target,
                              &DropTarget::Free, GConnectFlags(0));
    }
    target->m_hwnd = hwnd;
    // Only motion is GTK's: the drop itself is asked for and finished here.
    gtk_drag_dest_set(widget, GTK_DEST_DEFAULT_MOTION, g_targets, G_N_ELEMENTS(g_targets),
                      GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
}

void DropTarget::Free(gpointer self, GClosure*) noexcept
{
    delete static_cast<DropTarget*>(self);
}

gboolean DropTarget::OnDrop(GtkWidget* widget, GdkDragContext* context, gint, gint, guint time,
                            gpointer) noexcept
{
    const GdkAtom target = gtk_drag_dest_find_target(widget, context, nullptr);
    if (target == GDK_NONE)
        gtk_drag_finish(context, FALSE, FALSE, time);
    else
        gtk_drag_get_data(widget, context, target, time);
    return TRUE;
}

POINT DropTarget::ClientPoint(GtkWidget* widget, gint x, gint y) const
{
    gint originX = 0;
    gint originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &originX, &originY);
    POINT point = m_native.ClientPoint(originX + x, originY + y);
    if (m_hwnd != m_native.Handle())
    {
        ClientToScreen(m_native.Handle(), &point);
        ScreenToClient(m_hwnd, &point);
    }
    return point;
}

void DropTarget::OnData(GtkWidget* widget, GdkDragContext* context, gint x, gint y, GtkSelectionData* data,
                        guint, guint time, gpointer self) noexcept
try
{
    auto* target = static_cast<DropTarget*>(self);
    const guchar* bytes = gtk_selection_data_get_data(data);
    const gint length = gtk_selection_data_get_length(data);
    std::vector<std::wstring> paths;
    if (bytes != nullptr && length > 0)
        paths = UriList::LocalPaths(
            std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length)));
    const bool posted = !paths.empty() && target->m_hwnd != nullptr &&
                        DropFiles::Post(target->m_hwnd, std::move(paths), target->ClientPoint(widget, x, y));
    gtk_drag_finish(context, posted ? TRUE : FALSE, FALSE, time);
}
catch (...)
{
    gtk_drag_finish(context, FALSE, FALSE, time); // the source must not wait for an answer
}
} // namespace platform
