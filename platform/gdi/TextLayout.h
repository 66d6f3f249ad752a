#pragma once
// DrawTextW's work: the text with its "&" prefixes, tabs and line breaks turned into a pango
// layout on the device context, measured and drawn with GDI's placement rules.

#include "platform/gdi/DeviceContext.h"

#include <string>
#include <string_view>

namespace platform
{
class TextLayout
{
public:
    TextLayout(DeviceContext& dc, std::wstring_view text, UINT format);

    // Lays the text out for the rectangle; Width and Height are then the text's extent.
    void LayOut(const RECT& rect);
    int Width() const { return m_extent.width; }
    int Height() const { return m_extent.height; }
    // Draws what LayOut laid out and returns DrawTextW's result.
    int Draw(const RECT& rect);

private:
    struct Shown
    {
        std::string utf8;
        int underlineStart = -1; // byte range of the character after a single "&"
        int underlineEnd = -1;
    };
    Shown PrepareText(std::wstring_view text) const;
    void ApplyAttributes(PangoLayout* layout) const;
    void ApplyTabs(PangoLayout* layout) const;
    bool Wraps() const;
    int Left(const RECT& rect) const;
    int Top(const RECT& rect) const;
    void FillBackground(int x, int y);

    DeviceContext& m_dc;
    UINT m_format;
    Shown m_shown;
    PangoLayout* m_layout = nullptr;
    PangoRectangle m_extent{};
};
} // namespace platform
