#include "tests/ui/SkinKit.h"

#include "tests/support/TestSupport.h"

#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <zip.h>

namespace uitest
{
namespace
{
cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

void SetColor(cairo_t* cr, std::uint32_t argb)
{
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

std::string Encode(cairo_surface_t* surface)
{
    std::string png;
    cairo_surface_write_to_png_stream(surface, &Append, &png);
    cairo_surface_destroy(surface);
    return png;
}
} // namespace

std::string SolidPng(int w, int h, std::uint32_t argb)
{
    return FramedPng(w, h, 0, argb, argb);
}

std::string FramedPng(int w, int h, int corner, std::uint32_t edge, std::uint32_t centre)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    SetColor(cr, edge);
    cairo_paint(cr);
    SetColor(cr, centre);
    cairo_rectangle(cr, corner, corner, w - 2 * corner, h - 2 * corner);
    cairo_fill(cr);
    cairo_destroy(cr);
    return Encode(surface);
}

std::string RampPng(int corner, int step)
{
    const int size = 2 * corner + 1;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    // Nested squares, outermost first: each inner one covers the ring outside it.
    for (int ring = 0; ring <= corner; ++ring)
    {
        const int alpha = ring == corner ? 255 : std::min(255, (ring + 1) * step);
        SetColor(cr, static_cast<std::uint32_t>(alpha) << 24);
        cairo_rectangle(cr, ring, ring, size - 2 * ring, size - 2 * ring);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return Encode(surface);
}

std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& files)
{
    testsupport::TempDir dir("zip");
    const std::string path = dir / "skin.zip";
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes] : files)
    {
        zip_fileinfo info{};
        zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return testsupport::ReadFile(path);
}

ScopedSkinZip::ScopedSkinZip(std::initializer_list<std::pair<std::string, std::string>> files)
{
    const std::string zip = MakeZip(std::vector<std::pair<std::string, std::string>>(files));
    m_ok = DuiLib::CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()));
}

ScopedSkinZip::~ScopedSkinZip()
{
    DuiLib::CPaintManagerUI::SetResourceZip(L"");
}

std::uint32_t PixelAt(void* cairoSurface, int x, int y)
{
    auto* surface = static_cast<cairo_surface_t*>(cairoSurface);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, data + y * stride + x * 4, 4);
    return pixel;
}
void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (!DuiLib::CPaintManagerUI::TranslateMessage(&msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Click(HWND hwnd, POINT down, POINT up)
{
    platform::headless::InjectMessage(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(down.x, down.y));
    platform::headless::InjectMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    platform::headless::InjectMessage(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
    platform::headless::InjectMessage(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}
} // namespace uitest
