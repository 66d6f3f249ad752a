// The installed shell: the headless one until the display opens, then the GTK one for good.
#include "platform/shell/ShellBackend.h"

#include "platform/shell/GtkShell.h"
#include "platform/shell/HeadlessShell.h"

#include "platform/gtk/DisplayServices.h"

#include <atomic>

namespace platform
{
namespace
{
std::atomic<ShellBackend*> g_shell{nullptr};

// Never destroyed: threads that outlive main may still ask for a file dialog.
ShellBackend& Headless()
{
    static ShellBackend* const shell = new HeadlessShell;
    return *shell;
}

void InstallGtkShell(GtkBackend& display)
{
    static ShellBackend* const shell = new GtkShell(display);
    g_shell.store(shell, std::memory_order_release);
}

// Added before main, in every program that calls into the shell (this file comes with Shell()).
[[maybe_unused]] const bool g_added = (AddDisplayService(&InstallGtkShell), true);
} // namespace

ShellBackend& Shell()
{
    ShellBackend* shell = g_shell.load(std::memory_order_acquire);
    return shell != nullptr ? *shell : Headless();
}
} // namespace platform
