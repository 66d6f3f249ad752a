#include "platform/gdi/TextLayout.h"

#include "platform/Utf.h"
#include "platform/gdi/PangoText.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr int kTabCharacters = 8;

void SetSourceColor(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                         ((color >> 16) & 0xFF) / 255.0);
}

int RectWidth(const RECT& rect)
{
    return std::max<LONG>(rect.right - rect.left, 0);
}

PangoEllipsizeMode EllipsizeOf(UINT format)
{
    if (format & DT_PATH_ELLIPSIS)
        return PANGO_ELLIPSIZE_MIDDLE;
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
        return PANGO_ELLIPSIZE_END;
    return PANGO_ELLIPSIZE_NONE;
}

PangoAlignment AlignmentOf(UINT format)
{
    if (format & DT_CENTER)
        return PANGO_ALIGN_CENTER;
    if (format & DT_RIGHT)
        return PANGO_ALIGN_RIGHT;
    return PANGO_ALIGN_LEFT;
}

void AddAttribute(PangoAttrList* list, PangoAttribute* attribute, int start, int end)
{
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, attribute);
}
} // namespace

TextLayout::TextLayout(DeviceContext& dc, std::wstring_view text, UINT format)
    : m_dc(dc), m_format(format), m_shown(PrepareText(text))
{
}

TextLayout::Shown TextLayout::PrepareText(std::wstring_view text) const
{
    std::wstring shown;
    size_t underline = std::wstring::npos;
    const bool prefixes = (m_format & DT_NOPREFIX) == 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        wchar_t c = text[i];
        if (prefixes && c == L'&')
        {
            // "&&" is a plain "&"; a single "&" marks the next character; a trailing one vanishes.
            if (++i == text.size())
                break;
            c = text[i];
            if (c != L'&')
                underline = shown.size();
        }
        if ((c == L'\r' || c == L'\n') && (m_format & DT_SINGLELINE))
            continue;
        if (c == L'\t' && (m_format & DT_EXPANDTABS) == 0)
            c = L' ';
        shown.push_back(c);
    }
    Shown result;
    result.utf8 = ToDisplayUtf8(shown);
    if (underline != std::wstring::npos)
    {
        result.underlineStart =
            static_cast<int>(ToDisplayUtf8(std::wstring_view(shown).substr(0, underline)).size());
        result.underlineEnd =
            static_cast<int>(ToDisplayUtf8(std::wstring_view(shown).substr(0, underline + 1)).size());
    }
    return result;
}

void TextLayout::ApplyAttributes(PangoLayout* layout) const
{
    const LOGFONTW& font = m_dc.Font().LogFont();
    const int length = static_cast<int>(m_shown.utf8.size());
    const PangoAttrListPtr attributes(pango_attr_list_new());
    PangoAttrList* list = attributes.get();
    if (font.lfUnderline)
        AddAttribute(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), 0, length);
    if (font.lfStrikeOut)
        AddAttribute(list, pango_attr_strikethrough_new(TRUE), 0, length);
    if (m_shown.underlineStart >= 0)
        AddAttribute(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), m_shown.underlineStart,
                     m_shown.underlineEnd);
    pango_layout_set_attributes(layout, list);
}

void TextLayout::ApplyTabs(PangoLayout* layout) const
{
    if ((m_format & DT_EXPANDTABS) == 0)
        return;
    // GDI's tab stops: every eight average character widths.
    const FontPixels pixels = MeasureFont(m_dc.TextContext(), m_dc.Font().Description());
    PangoTabArray* tabs = pango_tab_array_new_with_positions(
        1, TRUE, PANGO_TAB_LEFT, std::max(1, kTabCharacters * pixels.averageCharWidth));
    pango_layout_set_tabs(layout, tabs);
    pango_tab_array_free(tabs);
}

bool TextLayout::Wraps() const
{
    return (m_format & DT_WORDBREAK) && (m_format & DT_SINGLELINE) == 0;
}

void TextLayout::LayOut(const RECT& rect)
{
    m_layout = m_dc.FreshLayout();
    pango_layout_set_text(m_layout, m_shown.utf8.data(), static_cast<int>(m_shown.utf8.size()));
    ApplyAttributes(m_layout);
    ApplyTabs(m_layout);
    const PangoEllipsizeMode ellipsize = EllipsizeOf(m_format);
    // pango's word wrap keeps a word that does not fit alone whole, as GDI does.
    if (Wraps() || ellipsize != PANGO_ELLIPSIZE_NONE)
        pango_layout_set_width(m_layout, RectWidth(rect) * PANGO_SCALE);
    pango_layout_set_ellipsize(m_layout, ellipsize);
    if (Wraps() && ellipsize != PANGO_ELLIPSIZE_NONE && (m_format & DT_CALCRECT) == 0)
        pango_layout_set_height(m_layout, std::max<LONG>(rect.bottom - rect.top, 0) * PANGO_SCALE);
    if ((m_format & DT_CALCRECT) == 0)
        pango_layout_set_alignment(m_layout, AlignmentOf(m_format));
    pango_layout_get_pixel_extents(m_layout, nullptr, &m_extent);
    if (m_shown.utf8.empty())
        m_extent = PangoRectangle{};
}

int TextLayout::Left(const RECT& rect) const
{
    // With a layout width pango aligns each line inside the rectangle; without one the lines
    // are aligned within the widest, and the block is placed here.
    if (pango_layout_get_width(m_layout) >= 0)
        return rect.left;
    const int spare = RectWidth(rect) - m_extent.width;
    if (m_format & DT_CENTER)
        return rect.left + spare / 2;
    if (m_format & DT_RIGHT)
        return rect.left + spare;
    return rect.left;
}

int TextLayout::Top(const RECT& rect) const
{
    if ((m_format & DT_SINGLELINE) == 0)
        return rect.top;
    const int spare = (rect.bottom - rect.top) - m_extent.height;
    if (m_format & DT_VCENTER)
        return rect.top + spare / 2;
    if (m_format & DT_BOTTOM)
        return rect.top + spare;
    return rect.top;
}

void TextLayout::FillBackground(int x, int y)
{
    cairo_t* cr = m_dc.Cairo();
    SetSourceColor(cr, m_dc.m_bkColor);
    cairo_rectangle(cr, x + m_extent.x, y + m_extent.y, m_extent.width, m_extent.height);
    cairo_fill(cr);
}

int TextLayout::Draw(const RECT& rect)
{
    const int x = Left(rect);
    const int y = Top(rect);
    if (m_shown.utf8.empty())
        return 0;
    cairo_t* cr = m_dc.Cairo();
    cairo_save(cr);
    cairo_new_path(cr);
    if ((m_format & DT_NOCLIP) == 0)
    {
        cairo_rectangle(cr, rect.left, rect.top, RectWidth(rect), std::max<LONG>(rect.bottom - rect.top, 0));
        cairo_clip(cr);
    }
    if (m_dc.m_bkMode == OPAQUE)
        FillBackground(x, y);
    SetSourceColor(cr, m_dc.m_textColor);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, m_layout);
    cairo_restore(cr);
    const bool placed = (m_format & DT_SINGLELINE) && (m_format & (DT_VCENTER | DT_BOTTOM));
    return placed ? y + m_extent.height - rect.top : m_extent.height;
}
} // namespace platform
