#pragma once
// A device context over a real image surface, and readers for what was drawn on it.

#include "platform/Gdi.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace gditest
{
// Ink: pixels whose alpha is not zero, inside an inclusive bounding box.
struct Ink
{
    bool any = false;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline Ink InkOf(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    Ink ink;
    for (int y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
        {
            if ((row[x] >> 24) == 0)
                continue;
            ink = ink.any ? Ink{true, std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                                std::max(ink.bottom, y)}
                          : Ink{true, x, y, x, y};
        }
    }
    return ink;
}

// The premultiplied ARGB pixel.
inline uint32_t PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
}

inline HFONT MakeFont(const wchar_t* face, LONG height, LONG weight = FW_NORMAL)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

// A transparent surface with a device context drawing transparently in the given font.
class Canvas
{
public:
    Canvas(int width, int height, const wchar_t* face = L"Microsoft YaHei", LONG fontHeight = -14)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
    {
        cairo_t* cr = cairo_create(m_surface);
        m_dc = platform::CreateCairoDC(cr);
        cairo_destroy(cr);
        m_font = MakeFont(face, fontHeight);
        m_previous = SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_font);
        platform::DeleteCairoDC(m_dc);
        cairo_surface_destroy(m_surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    cairo_surface_t* surface() const { return m_surface; }
    Ink ink() const { return InkOf(m_surface); }

    // DrawTextW with DT_CALCRECT from (0, 0) in a rectangle width x height.
    RECT Measure(const wchar_t* text, LONG width, UINT format = DT_WORDBREAK, LONG height = 9999) const
    {
        RECT rect{0, 0, width, height};
        DrawTextW(m_dc, text, -1, &rect, format | DT_CALCRECT);
        return rect;
    }

private:
    cairo_surface_t* m_surface;
    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};
} // namespace gditest
