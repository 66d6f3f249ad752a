#include "SurfacePaintTarget.h"

#include <algorithm>

namespace platform
{
SurfacePaintTarget::~SurfacePaintTarget()
{
    if (m_surface != nullptr)
        cairo_surface_destroy(m_surface);
}

void SurfacePaintTarget::Resize(int width, int height)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (m_surface != nullptr)
    {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_surface(cr, m_surface, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(m_surface);
    }
    m_surface = surface;
}

cairo_t* SurfacePaintTarget::Open(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (m_surface == nullptr || cairo_image_surface_get_width(m_surface) != width ||
        cairo_image_surface_get_height(m_surface) != height)
        Resize(width, height);
    return cairo_create(m_surface);
}

void SurfacePaintTarget::Close(cairo_t* cr)
{
    cairo_destroy(cr);
    cairo_surface_flush(m_surface);
}
} // namespace platform
