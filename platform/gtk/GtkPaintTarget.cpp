#include "platform/gtk/GtkPaintTarget.h"

#include "platform/Owned.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/NativeWindow.h"

#include <algorithm>

namespace platform
{
cairo_t* GtkPaintTarget::Open(int width, int height)
{
    NativeWindow* window = m_display.OnUiThread() ? m_display.Find(m_hwnd) : nullptr;
    if (window == nullptr)
        return OpenScratch(width, height);
    cairo_t* cr = window->DrawContext();
    if (cr == nullptr)
    {
        window->Invalidate(nullptr);
        return nullptr;
    }
    // The caller clips the context; GTK gets it back as it was.
    cairo_save(cr);
    return cairo_reference(cr);
}

void GtkPaintTarget::Close(cairo_t* cr)
{
    if (cr == nullptr)
        return;
    // Still shared with GTK's draw: undo the caller's clip before GTK goes on with it.
    if (cairo_get_reference_count(cr) > 1)
        cairo_restore(cr);
    cairo_destroy(cr);
}

cairo_t* GtkPaintTarget::OpenScratch(int width, int height)
{
    const CairoSurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 1), std::max(height, 1)));
    return cairo_create(surface.get()); // the context keeps the surface alive
}
} // namespace platform
