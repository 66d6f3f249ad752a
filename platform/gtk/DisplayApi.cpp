// Choosing the backend, compositing, and window icons.
#include "platform/Display.h"
#include "platform/WinError.h"
#include "platform/gtk/DesktopBackend.h"
#include "platform/gtk/DisplayServices.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkDesktop.h"
#include "platform/gtk/IndicatorTray.h"
#include "platform/gtk/StatusIconTray.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace platform
{
namespace
{
// Once, at start: the desktop that goes with the display, an XEmbed tray where one runs (else
// the StatusNotifierItem road), and the other areas' services for the display.
bool ChooseDesktop(GtkBackend& display)
{
    static GtkDesktop s_desktop(display);
    static StatusIconTray s_statusIcons(display);
    static IndicatorTray s_indicators(display);
    SetDesktopBackend(&s_desktop);
    if (StatusIconTray::TrayPresent())
        SetNotifyIconBackend(&s_statusIcons);
    else
        SetNotifyIconBackend(&s_indicators);
    StartDisplayServices(display);
    return true;
}
} // namespace

GObjectPtr<GdkPixbuf> DecodeImage(const void* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0)
        return nullptr;
    const GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    const bool read =
        gdk_pixbuf_loader_write(loader.get(), static_cast<const guchar*>(bytes), size, nullptr) &&
        gdk_pixbuf_loader_close(loader.get(), nullptr);
    if (!read)
    {
        gdk_pixbuf_loader_close(loader.get(), nullptr);
        return nullptr;
    }
    return RefObject(gdk_pixbuf_loader_get_pixbuf(loader.get()));
}

bool InitDisplayBackend()
{
    GtkBackend* display = GtkBackend::Install();
    if (display == nullptr)
        return false;
    static const bool s_chosen = ChooseDesktop(*display);
    return s_chosen;
}

bool HasDisplay()
{
    return Desktop().HasDisplay();
}

bool IsCompositing()
{
    return Desktop().IsCompositing();
}

BOOL SetWindowIconFromImage(HWND hwnd, const void* bytes, std::size_t size)
{
    if (!IsWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    GObjectPtr<GdkPixbuf> image = DecodeImage(bytes, size);
    if (image == nullptr)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    Desktop().SetIcon(hwnd, std::move(image));
    return TRUE;
}
} // namespace platform
