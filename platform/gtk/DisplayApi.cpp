// Choosing the backend, compositing, and window icons.
#include "GtkBackend.h"
#include "IndicatorTray.h"
#include "NativeWindow.h"
#include "StatusIconTray.h"
#include "platform/Display.h"
#include "platform/WinError.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

using platform::GtkBackend;

// The decoded image, or nullptr when the bytes are not one.
GdkPixbuf* platform::DecodeImage(const void* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0)
        return nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GdkPixbuf* image = nullptr;
    if (gdk_pixbuf_loader_write(loader, static_cast<const guchar*>(bytes), size, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr))
        image = gdk_pixbuf_loader_get_pixbuf(loader);
    else
        gdk_pixbuf_loader_close(loader, nullptr);
    if (image != nullptr)
        g_object_ref(image);
    g_object_unref(loader);
    return image;
}

namespace platform
{
bool InitDisplayBackend()
{
    const bool installed = GtkBackend::Install();
    static bool s_trayChosen = false;
    if (installed && !s_trayChosen)
    {
        // Once, at start: an XEmbed tray where one runs, else the StatusNotifierItem road.
        s_trayChosen = true;
        static StatusIconTray s_statusIcons;
        static IndicatorTray s_indicators;
        if (StatusIconTray::TrayPresent())
            SetNotifyIconBackend(&s_statusIcons);
        else
            SetNotifyIconBackend(&s_indicators);
    }
    return installed;
}

bool HasDisplay()
{
    return GtkBackend::Active() != nullptr;
}

bool IsCompositing()
{
    const GtkBackend* backend = GtkBackend::Active();
    return backend != nullptr && backend->IsCompositing();
}

BOOL SetWindowIconFromImage(HWND hwnd, const void* bytes, std::size_t size)
{
    if (!IsWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    GdkPixbuf* image = DecodeImage(bytes, size);
    if (image == nullptr)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    GtkBackend* backend = GtkBackend::Active();
    if (backend == nullptr)
    {
        g_object_unref(image);
        return TRUE;
    }
    backend->RunOnUi([backend, hwnd, image] {
        if (NativeWindow* window = backend->FindRoot(hwnd))
            window->SetIcon(image);
        g_object_unref(image);
    });
    return TRUE;
}
} // namespace platform
