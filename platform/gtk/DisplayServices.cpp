#include "platform/gtk/DisplayServices.h"

#include <mutex>
#include <vector>

namespace platform
{
namespace
{
struct Services
{
    std::mutex lock;
    std::vector<DisplayServiceInstaller> installers;
    GtkBackend* display = nullptr;
};

// Made on first use: the installers are added by other files' static initialisers.
Services& Registry()
{
    static Services* const services = new Services;
    return *services;
}
} // namespace

void AddDisplayService(DisplayServiceInstaller install)
{
    Services& services = Registry();
    std::unique_lock lock(services.lock);
    services.installers.push_back(install);
    GtkBackend* display = services.display;
    lock.unlock();
    if (display != nullptr)
        install(*display);
}

void StartDisplayServices(GtkBackend& display)
{
    Services& services = Registry();
    std::vector<DisplayServiceInstaller> installers;
    {
        std::lock_guard lock(services.lock);
        services.display = &display;
        installers = services.installers;
    }
    for (DisplayServiceInstaller install : installers)
        install(display);
}
} // namespace platform
