#include "ui/RenderEngine.h"

#include "ui/HtmlTextLayout.h"

#include "platform/Owned.h"

#include <algorithm>
#include <cstring>

namespace DuiLib
{
namespace
{
struct PngReader
{
    const std::vector<BYTE>* data;
    std::size_t offset;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->data->size() - reader->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data->data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

void SetSourceColor(cairo_t* cr, DWORD color)
{
    cairo_set_source_rgba(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, ((color >> 24) & 0xFF) / 255.0);
}

void PathRoundRect(cairo_t* cr, double x, double y, double w, double h, double rx, double ry)
{
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    if (rx <= 0 || ry <= 0)
    {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    const double pi = 3.14159265358979323846;
    const double wr = w / rx;
    const double hr = h / ry;
    cairo_arc(cr, wr - 1, 1, 1, -pi / 2, 0);
    cairo_arc(cr, wr - 1, hr - 1, 1, 0, pi / 2);
    cairo_arc(cr, 1, hr - 1, 1, pi / 2, pi);
    cairo_arc(cr, 1, 1, 1, pi, 3 * pi / 2);
    cairo_restore(cr);
    cairo_close_path(cr);
}

// One cell of a nine-patch: src of the image scaled (or tiled) into dst.
void DrawCell(cairo_t* cr, cairo_surface_t* image, const CDuiRect& src, const CDuiRect& dst, BYTE fade,
              bool tileX, bool tileY)
{
    if (src.IsEmpty() || dst.IsEmpty())
        return;
    const platform::CairoSurfacePtr part(
        cairo_surface_create_for_rectangle(image, src.left, src.top, src.GetWidth(), src.GetHeight()));
    const platform::CairoPatternPtr pattern(cairo_pattern_create_for_surface(part.get()));
    const double sx = tileX ? 1.0 : static_cast<double>(src.GetWidth()) / dst.GetWidth();
    const double sy = tileY ? 1.0 : static_cast<double>(src.GetHeight()) / dst.GetHeight();
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, sx, sy);
    cairo_matrix_translate(&matrix, -dst.left, -dst.top);
    cairo_pattern_set_matrix(pattern.get(), &matrix);
    cairo_pattern_set_extend(pattern.get(), (tileX || tileY) ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
    const bool scaled = sx != 1.0 || sy != 1.0;
    cairo_pattern_set_filter(pattern.get(), scaled ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_save(cr);
    cairo_rectangle(cr, dst.left, dst.top, dst.GetWidth(), dst.GetHeight());
    cairo_clip(cr);
    cairo_set_source(cr, pattern.get());
    cairo_paint_with_alpha(cr, fade / 255.0);
    cairo_restore(cr);
}

// The three spans (start, middle, end) of one axis.
void Spans(LONG lo, LONG hi, LONG cutLo, LONG cutHi, LONG out[4])
{
    out[0] = lo;
    out[1] = std::min(lo + cutLo, hi);
    out[2] = std::max(hi - cutHi, out[1]);
    out[3] = hi;
}
} // namespace

bool CRenderEngine::LoadImageFromMemory(const std::vector<BYTE>& data, TImageInfo& image)
{
    PngReader reader{&data, 0};
    platform::CairoSurfacePtr surface(cairo_image_surface_create_from_png_stream(&ReadPng, &reader));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    image.nX = cairo_image_surface_get_width(surface.get());
    image.nY = cairo_image_surface_get_height(surface.get());
    image.bAlpha = cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_ARGB32;
    image.surface = surface.release(); // FreeImage gives it back
    return true;
}

bool CRenderEngine::LoadImage(LPCTSTR bitmap, TImageInfo& image)
{
    std::vector<BYTE> data;
    return CPaintManagerUI::LoadResourceFile(bitmap, data) && LoadImageFromMemory(data, image);
}

void CRenderEngine::FreeImage(TImageInfo& image)
{
    if (image.surface)
        cairo_surface_destroy(image.surface);
    image = TImageInfo();
}

bool CRenderEngine::LoadBuffer(LPCTSTR pstrName, std::vector<BYTE>& buffer)
{
    return CPaintManagerUI::LoadResourceFile(pstrName, buffer);
}

void CRenderEngine::DrawImage(HDC hDC, const TImageInfo& image, const RECT& rc, const RECT& rcPaint,
                              const RECT& rcBmpPart, const RECT& rcCorners, BYTE uFade, bool hole,
                              bool xtiled, bool ytiled)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr || image.surface == nullptr || uFade == 0)
        return;
    CDuiRect visible(rc);
    if (!visible.Intersect(rcPaint))
        return;
    PushClip(hDC, visible);
    LONG dx[4], dy[4], sx[4], sy[4];
    Spans(rc.left, rc.right, rcCorners.left, rcCorners.right, dx);
    Spans(rc.top, rc.bottom, rcCorners.top, rcCorners.bottom, dy);
    Spans(rcBmpPart.left, rcBmpPart.right, rcCorners.left, rcCorners.right, sx);
    Spans(rcBmpPart.top, rcBmpPart.bottom, rcCorners.top, rcCorners.bottom, sy);
    for (int row = 0; row < 3; ++row)
    {
        for (int col = 0; col < 3; ++col)
        {
            const bool centre = row == 1 && col == 1;
            if (centre && hole)
                continue;
            DrawCell(cr, image.surface, CDuiRect(sx[col], sy[row], sx[col + 1], sy[row + 1]),
                     CDuiRect(dx[col], dy[row], dx[col + 1], dy[row + 1]), uFade, centre && xtiled,
                     centre && ytiled);
        }
    }
    PopClip(hDC);
}

bool CRenderEngine::PushClip(HDC hDC, const RECT& rc)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr)
        return false;
    cairo_save(cr);
    cairo_rectangle(cr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    cairo_clip(cr);
    return true;
}

void CRenderEngine::PopClip(HDC hDC)
{
    if (cairo_t* cr = platform::CairoOf(hDC))
        cairo_restore(cr);
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                                    const RECT& rcPaint, LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    TDrawInfo info;
    if (pManager == nullptr || !info.Parse(pStrImage, pStrModify))
        return false;
    const TImageInfo* image = pManager->GetImageEx(info.sImageName);
    if (image == nullptr)
        return false;
    CDuiRect dest(rcItem);
    if (!CDuiRect(info.rcDest).IsNull())
    {
        dest = CDuiRect(rcItem.left + info.rcDest.left, rcItem.top + info.rcDest.top,
                        std::min(rcItem.left + info.rcDest.right, rcItem.right),
                        std::min(rcItem.top + info.rcDest.bottom, rcItem.bottom));
    }
    CDuiRect source(info.rcSource);
    if (source.IsNull())
        source = CDuiRect(0, 0, image->nX, image->nY);
    source.Intersect(CDuiRect(0, 0, image->nX, image->nY));
    if (dest.IsEmpty() || source.IsEmpty())
        return true;
    DrawImage(hDC, *image, dest, rcPaint, source, info.rcCorner, info.uFade, info.bHole, info.bTiledX,
              info.bTiledY);
    return true;
}

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr || (color >> 24) == 0)
        return;
    cairo_save(cr);
    SetSourceColor(cr, color);
    cairo_rectangle(cr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CRenderEngine::DrawRoundColor(HDC hDC, const RECT& rc, int width, int height, DWORD color)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr || (color >> 24) == 0)
        return;
    cairo_save(cr);
    SetSourceColor(cr, color);
    PathRoundRect(cr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, width / 2.0, height / 2.0);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr || nSize <= 0)
        return;
    cairo_save(cr);
    SetSourceColor(cr, dwPenColor);
    cairo_set_line_width(cr, nSize);
    cairo_move_to(cr, rc.left + 0.5, rc.top + 0.5);
    cairo_line_to(cr, rc.right + 0.5, rc.bottom + 0.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor)
{
    DrawRoundRect(hDC, rc, 0, 0, nSize, dwPenColor);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize, DWORD dwPenColor)
{
    cairo_t* cr = platform::CairoOf(hDC);
    if (cr == nullptr || nSize <= 0)
        return;
    // The pen stays inside the rectangle, as the border belongs to the control.
    const double half = nSize / 2.0;
    cairo_save(cr);
    SetSourceColor(cr, dwPenColor);
    cairo_set_line_width(cr, nSize);
    PathRoundRect(cr, rc.left + half, rc.top + half, rc.right - rc.left - nSize, rc.bottom - rc.top - nSize,
                  width / 2.0, height / 2.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText,
                             DWORD dwTextColor, int iFont, UINT uStyle)
{
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr)
        return;
    HGDIOBJ oldFont = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(pManager->GetFont(iFont)));
    SetTextColor(hDC, RGB((dwTextColor >> 16) & 0xFF, (dwTextColor >> 8) & 0xFF, dwTextColor & 0xFF));
    SetBkMode(hDC, TRANSPARENT);
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    SelectObject(hDC, oldFont);
}

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText,
                                 DWORD dwTextColor, RECT*, CDuiString*, int& nLinkRects, int iFont,
                                 UINT uStyle)
{
    nLinkRects = 0;
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr)
        return;
    CHtmlTextLayout layout(hDC, pManager, iFont, dwTextColor);
    layout.Parse(pstrText);
    layout.Draw(rc, uStyle);
}

SIZE CRenderEngine::GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle)
{
    RECT rc{0, 0, 9999, 9999};
    DrawText(hDC, pManager, rc, pstrText, 0, iFont, uStyle | DT_CALCRECT);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}
} // namespace DuiLib
