#pragma once
// A logical font: the LOGFONTW it was made from and the pango description that renders it.
// Shared: a device context keeps the font it has selected alive after DeleteObject.

#include "platform/Gdi.h"
#include "platform/Owned.h"

#include <memory>
#include <pango/pango.h>

namespace platform
{
class FontObject
{
public:
    explicit FontObject(const LOGFONTW& logFont);
    FontObject(const FontObject&) = delete;
    FontObject& operator=(const FontObject&) = delete;

    const LOGFONTW& LogFont() const { return m_logFont; }
    const PangoFontDescription* Description() const { return m_description.get(); }
    // Height of the characters in pixels (the em size pango lays out with).
    double PixelSize() const { return m_pixelSize; }

private:
    static double PixelSizeFor(const LOGFONTW& logFont, const PangoFontDescription* description);

    LOGFONTW m_logFont;
    PangoFontDescriptionPtr m_description;
    double m_pixelSize = 0;
};

using FontPtr = std::shared_ptr<const FontObject>;
} // namespace platform
