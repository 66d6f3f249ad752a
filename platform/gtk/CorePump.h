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
    static gboolean Prepare(GSource* source, gint* timeout);
    static gboolean Check(GSource* source);
    static gboolean Dispatch(GSource* source, GSourceFunc callback, gpointer data);
    static bool InForeignLoop();
    static bool HasWork();
};
} // namespace platform
