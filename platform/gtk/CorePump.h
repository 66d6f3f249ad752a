#pragma once
// Keeps the UI thread's messages and timers flowing while a GLib loop other than the message
// core's own wait runs (a GTK modal dialog of another area, a drag): a GLib source that
// retrieves and dispatches what the thread's queue holds, as a Windows modal loop would.

#include "platform/Messages.h"

#include <glib.h>

namespace platform
{
class GtkBackend;

class CorePump
{
public:
    // Adds the source to the default main context (once), for the display's UI thread.
    static void Attach(GtkBackend& display);

private:
    // GLib's source functions: a window procedure that throws loses its message, never the pump.
    static gboolean Prepare(GSource* source, gint* timeout) noexcept;
    static gboolean Check(GSource* source) noexcept;
    static gboolean Dispatch(GSource* source, GSourceFunc callback, gpointer data) noexcept;
    static bool InForeignLoop();
    static bool HasWork();
};
} // namespace platform
