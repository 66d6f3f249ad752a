#include "platform/gdi/SurfacePaintTarget.h"

#include <algorithm>

namespace platform
{
void SurfacePaintTarget::Resize(int width, int height)
{
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (m_surface != nullptr)
    {
        const CairoPtr cr(cairo_create(surface.get()));
        cairo_set_source_surface(cr.get(), m_surface.get(), 0, 0);
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr.get());
    }
    m_surface = std::move(surface);
}

cairo_t* SurfacePaintTarget::Open(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (m_surface == nullptr || cairo_image_surface_get_width(m_surface.get()) != width ||
        cairo_image_surface_get_height(m_surface.get()) != height)
        Resize(width, height);
    return cairo_create(m_surface.get());
}

void SurfacePaintTarget::Close(cairo_t* cr)
{
    cairo_destroy(cr);
    cairo_surface_flush(m_surface.get());
}
} // namespace platform
