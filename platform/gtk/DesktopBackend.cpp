// The installed desktop.
#include "platform/gtk/DesktopBackend.h"

#include "platform/gtk/HeadlessDesktop.h"

#include <atomic>

namespace platform
{
namespace
{
// Never destroyed: threads that outlive main may still ask for the pointer or the screen.
DesktopBackend& Headless()
{
    static DesktopBackend* const desktop = new HeadlessDesktop;
    return *desktop;
}

std::atomic<DesktopBackend*> g_desktop{nullptr};
} // namespace

DesktopBackend& Desktop()
{
    DesktopBackend* desktop = g_desktop.load(std::memory_order_acquire);
    return desktop != nullptr ? *desktop : Headless();
}

void SetDesktopBackend(DesktopBackend* desktop)
{
    g_desktop.store(desktop, std::memory_order_release);
}
} // namespace platform
