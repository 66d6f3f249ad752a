// Fonts, device context state and text: the GDI calls the window framework measures and draws
// with.
#include "platform/Utf.h"
#include "platform/WinError.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/PangoText.h"
#include "platform/gdi/TextLayout.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>

namespace
{
using platform::DeviceContext;
using platform::GdiObjects;

constexpr int kDotsPerInch = 96;

DeviceContext* DcOrFail(HDC dc)
{
    DeviceContext* context = DeviceContext::From(dc);
    if (context == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return context;
}

std::wstring_view TextOf(LPCWSTR text, int count)
{
    if (text == nullptr)
        return {};
    return count < 0 ? std::wstring_view(text) : std::wstring_view(text, static_cast<size_t>(count));
}

// The height of one line of the selected font, as pango lays it out.
PangoRectangle SingleLineExtent(DeviceContext& dc, std::wstring_view text)
{
    PangoLayout* layout = dc.FreshLayout();
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    const std::string utf8 = platform::ToDisplayUtf8(text);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    return logical;
}
} // namespace

HFONT CreateFontIndirectW(const LOGFONTW* font)
{
    if (font == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return GdiObjects::Instance().AddFont(std::make_shared<const platform::FontObject>(*font));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName)
{
    LOGFONTW font{height,
                  width,
                  escapement,
                  orientation,
                  weight,
                  static_cast<BYTE>(italic),
                  static_cast<BYTE>(underline),
                  static_cast<BYTE>(strikeOut),
                  static_cast<BYTE>(charSet),
                  static_cast<BYTE>(outPrecision),
                  static_cast<BYTE>(clipPrecision),
                  static_cast<BYTE>(quality),
                  static_cast<BYTE>(pitchAndFamily),
                  {}};
    if (faceName != nullptr)
        std::wcsncpy(font.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

HGDIOBJ GetStockObject(int object)
{
    return GdiObjects::Instance().Stock(object);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    DeviceContext* context = DcOrFail(dc);
    platform::FontPtr font = GdiObjects::Instance().Font(object);
    if (context == nullptr || font == nullptr)
        return nullptr;
    return context->SelectFont(reinterpret_cast<HFONT>(object), std::move(font));
}

BOOL DeleteObject(HGDIOBJ object)
{
    return GdiObjects::Instance().Delete(object) ? TRUE : FALSE;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer)
{
    const platform::FontPtr font = GdiObjects::Instance().Font(object);
    if (font == nullptr)
        return 0;
    if (buffer == nullptr)
        return sizeof(LOGFONTW);
    // A short buffer gets what fits, as GDI does.
    const int copied = std::min<int>(std::max(size, 0), sizeof(LOGFONTW));
    std::memcpy(buffer, &font->LogFont(), static_cast<size_t>(copied));
    return copied;
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr || metrics == nullptr)
        return FALSE;
    const platform::FontObject& font = context->Font();
    const platform::FontPixels pixels = platform::MeasureFont(context->TextContext(), font.Description());
    const PangoRectangle line = SingleLineExtent(*context, L"");
    const LOGFONTW& logFont = font.LogFont();
    *metrics = TEXTMETRICW{};
    metrics->tmHeight = line.height;
    metrics->tmAscent = pango_layout_get_baseline(context->FreshLayout()) / PANGO_SCALE;
    metrics->tmDescent = line.height - metrics->tmAscent;
    metrics->tmInternalLeading =
        std::max<LONG>(0, line.height - static_cast<LONG>(std::lround(font.PixelSize())));
    metrics->tmAveCharWidth = pixels.averageCharWidth;
    // Chinese characters are full width: one em.
    metrics->tmMaxCharWidth = std::max<LONG>(pixels.averageCharWidth, std::lround(font.PixelSize()));
    metrics->tmWeight = logFont.lfWeight > 0 ? logFont.lfWeight : FW_NORMAL;
    metrics->tmDigitizedAspectX = kDotsPerInch;
    metrics->tmDigitizedAspectY = kDotsPerInch;
    metrics->tmFirstChar = L' ';
    metrics->tmLastChar = 0xFFFF;
    metrics->tmDefaultChar = L'?';
    metrics->tmBreakChar = L' ';
    metrics->tmItalic = logFont.lfItalic;
    metrics->tmUnderlined = logFont.lfUnderline;
    metrics->tmStruckOut = logFont.lfStrikeOut;
    metrics->tmPitchAndFamily = 0x06; // a scalable TrueType-like font
    metrics->tmCharSet = logFont.lfCharSet;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr || size == nullptr || (text == nullptr && count != 0))
        return FALSE;
    const PangoRectangle extent = SingleLineExtent(*context, TextOf(text, std::max(count, 0)));
    *size = SIZE{extent.width, extent.height};
    return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr || rect == nullptr)
        return 0;
    platform::TextLayout layout(*context, TextOf(text, count), format);
    layout.LayOut(*rect);
    if ((format & DT_CALCRECT) == 0)
        return layout.Draw(*rect);
    rect->right = rect->left + layout.Width();
    rect->bottom = rect->top + layout.Height();
    return layout.Height();
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr)
        return CLR_INVALID;
    return std::exchange(context->m_textColor, color);
}

COLORREF GetTextColor(HDC dc)
{
    DeviceContext* context = DcOrFail(dc);
    return context == nullptr ? CLR_INVALID : context->m_textColor;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr)
        return CLR_INVALID;
    return std::exchange(context->m_bkColor, color);
}

int SetBkMode(HDC dc, int mode)
{
    DeviceContext* context = DcOrFail(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    return std::exchange(context->m_bkMode, mode);
}

int GetDeviceCaps(HDC dc, int index)
{
    if (DcOrFail(dc) == nullptr)
        return 0;
    return index == LOGPIXELSX || index == LOGPIXELSY ? kDotsPerInch : 0;
}

namespace platform
{
cairo_t* CairoOf(HDC dc)
{
    DeviceContext* context = DeviceContext::From(dc);
    return context == nullptr ? nullptr : context->Cairo();
}

HDC CreateCairoDC(cairo_t* cr)
{
    if (cr == nullptr)
        return nullptr;
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    return DeviceContext::Register(std::make_unique<DeviceContext>(cr, reinterpret_cast<HFONT>(font),
                                                                   GdiObjects::Instance().Font(font)));
}

void DeleteCairoDC(HDC dc)
{
    DeviceContext::Unregister(dc);
}
} // namespace platform
