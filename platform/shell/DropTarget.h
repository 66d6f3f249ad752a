#pragma once
// A top-level GtkWindow as an XDND destination for URI lists. A drop of local files is posted
// to the accepting window as WM_DROPFILES and then finished with the source; a drop without
// any local file is finished as failed. UI thread only.

#include "platform/Window.h"

#include <gtk/gtk.h>

namespace platform
{
class NativeWindow;

class DropTarget
{
public:
    // Makes the native window a destination posting to hwnd, or (accept false) no longer one.
    static void Set(NativeWindow& native, HWND hwnd, bool accept);

private:
    explicit DropTarget(NativeWindow& native) : m_native(native) {}
    POINT ClientPoint(GtkWidget* widget, gint x, gint y) const;

    static gboolean OnDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time,
                           gpointer self) noexcept;
    static void OnData(GtkWidget* widget, GdkDragContext* context, gint x, gint y, GtkSelectionData* data,
                       guint info, guint time, gpointer self) noexcept;
    static void Free(gpointer self, GClosure*) noexcept;

    NativeWindow& m_native;
    HWND m_hwnd = nullptr;
};
} // namespace platform
