#pragma once
// Where a native window's pixels go: during GTK's draw, the cairo context GTK hands out (so
// WM_PAINT draws straight into the frame being drawn). Outside a draw there is nowhere to
// draw, so the request becomes a redraw that sends WM_PAINT again, from inside the draw.

#include "platform/Gdi.h"

namespace platform
{
class GtkBackend;

class GtkPaintTarget final : public PaintTarget
{
public:
    GtkPaintTarget(GtkBackend& display, HWND hwnd) : m_display(display), m_hwnd(hwnd) {}

    cairo_t* Open(int width, int height) override;
    void Close(cairo_t* cr) override;

private:
    // Scratch pixels for windows without a native window of their own (children, other
    // threads' windows): their drawing reaches the display through their top-level window.
    cairo_t* OpenScratch(int width, int height);

    GtkBackend& m_display;
    HWND m_hwnd;
};
} // namespace platform
