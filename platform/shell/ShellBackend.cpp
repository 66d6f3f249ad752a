// The shell implementation that goes with the window backend.
#include "ShellBackend.h"

#include "GtkShell.h"
#include "HeadlessShell.h"

#include "../gtk/GtkBackend.h"

namespace platform
{
ShellBackend& Shell()
{
    // The display backend is installed once at start-up and never taken away; the GTK shell
    // needs it, so it is made when the first call finds it.
    static HeadlessShell s_headless;
    if (GtkBackend* display = GtkBackend::Active())
    {
        static GtkShell s_desktop(*display);
        return s_desktop;
    }
    return s_headless;
}
} // namespace platform
