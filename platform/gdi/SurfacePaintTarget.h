#pragma once
// The headless backend's window pixels: an ARGB32 image surface of the client size, kept
// across paints and resized (keeping what fits) when the window's size changes.

#include "platform/Gdi.h"
#include "platform/Owned.h"

namespace platform
{
class SurfacePaintTarget : public PaintTarget
{
public:
    SurfacePaintTarget() = default;
    SurfacePaintTarget(const SurfacePaintTarget&) = delete;
    SurfacePaintTarget& operator=(const SurfacePaintTarget&) = delete;

    cairo_t* Open(int width, int height) override;
    void Close(cairo_t* cr) override;
    cairo_surface_t* Surface() const { return m_surface.get(); }

private:
    void Resize(int width, int height);

    CairoSurfacePtr m_surface;
};
} // namespace platform
