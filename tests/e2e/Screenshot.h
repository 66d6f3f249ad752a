#pragma once
// The whole test display as ImageMagick's `import -window root` sees it.

#include "platform/WinTypes.h"

#include <cairo.h>

#include <string>

namespace e2e
{
class Screenshot
{
public:
    Screenshot() = default;
    ~Screenshot();
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    // Saves the screen to path (kept for a look after a failure) and loads it.
    bool Take(const std::string& path);
    // The colour at screen position (x, y) as a COLORREF; CLR_NONE outside the image.
    COLORREF Pixel(int x, int y) const;
    static constexpr COLORREF kNone = 0xFFFFFFFF;

private:
    cairo_surface_t* m_image = nullptr;
};
} // namespace e2e
