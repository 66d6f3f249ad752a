#include "tests/e2e/Screenshot.h"

#include "tests/e2e/XServer.h"

#include <cstdint>
#include <cstring>

namespace e2e
{
Screenshot::~Screenshot()
{
    if (m_image != nullptr)
        cairo_surface_destroy(m_image);
}

bool Screenshot::Take(const std::string& path)
{
    if (!XServer::Run("import -window root png24:'" + path + "'"))
        return false;
    if (m_image != nullptr)
        cairo_surface_destroy(m_image);
    m_image = cairo_image_surface_create_from_png(path.c_str());
    return cairo_surface_status(m_image) == CAIRO_STATUS_SUCCESS;
}

COLORREF Screenshot::Pixel(int x, int y) const
{
    if (m_image == nullptr || x < 0 || y < 0 || x >= cairo_image_surface_get_width(m_image) ||
        y >= cairo_image_surface_get_height(m_image))
        return kNone;
    cairo_surface_flush(m_image);
    const unsigned char* row =
        cairo_image_surface_get_data(m_image) + y * cairo_image_surface_get_stride(m_image);
    std::uint32_t argb = 0;
    std::memcpy(&argb, row + x * 4, 4);
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}
} // namespace e2e
