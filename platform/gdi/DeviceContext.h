#pragma once
// What an HDC stands for: a cairo context plus the GDI state drawn with it. A device context
// made by BeginPaint or GetDC also remembers the window target it must be given back to.

#include "platform/Owned.h"
#include "platform/gdi/FontObject.h"

#include <memory>
#include <pango/pangocairo.h>

namespace platform
{
class DeviceContext
{
public:
    // Takes its own reference to cr.
    DeviceContext(cairo_t* cr, HFONT font, FontPtr fontObject);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // The handle table: a deleted or made-up HDC gives nullptr instead of a wild pointer.
    static HDC Register(std::unique_ptr<DeviceContext> dc);
    static DeviceContext* From(HDC dc);
    static std::unique_ptr<DeviceContext> Unregister(HDC dc);

    cairo_t* Cairo() const { return m_cr.get(); }
    // Returns the previously selected handle.
    HFONT SelectFont(HFONT handle, FontPtr font);
    const FontObject& Font() const { return *m_font; }
    // The device context's one layout, following the cairo context's current transform and set
    // to the selected font, with no text, attributes, width or wrapping left from earlier use.
    PangoLayout* FreshLayout();
    PangoContext* TextContext() const { return m_textContext.get(); }

    COLORREF m_textColor = 0;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = OPAQUE;

    // Set for device contexts of a window (BeginPaint, GetDC).
    std::shared_ptr<PaintTarget> m_target;
    cairo_t* m_targetContext = nullptr;

private:
    CairoPtr m_cr;
    HFONT m_fontHandle;
    FontPtr m_font;
    GObjectPtr<PangoContext> m_textContext;
    GObjectPtr<PangoLayout> m_layout; // declared last: freed before the context it was made in
};
} // namespace platform
