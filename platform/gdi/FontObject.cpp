#include "platform/gdi/FontObject.h"

#include "platform/gdi/FontFaces.h"
#include "platform/gdi/PangoText.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform
{
namespace
{
// lfHeight 0 asks for the default size.
constexpr double kDefaultPixelSize = 12;

std::wstring FaceOf(const LOGFONTW& logFont)
{
    std::wstring face;
    for (LONG i = 0; i < LF_FACESIZE && logFont.lfFaceName[i] != 0; ++i)
        face.push_back(logFont.lfFaceName[i]);
    return face;
}

PangoWeight WeightOf(LONG weight)
{
    // GDI and pango share the 100..900 scale; 0 is "don't care".
    if (weight <= 0)
        return PANGO_WEIGHT_NORMAL;
    return static_cast<PangoWeight>(std::min<LONG>(weight, 1000));
}
} // namespace

FontObject::FontObject(const LOGFONTW& logFont) : m_logFont(logFont)
{
    // A face name that fills the array has no terminator; keep ours terminated.
    m_logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    m_description.reset(pango_font_description_new());
    pango_font_description_set_family(m_description.get(),
                                      FontFaces::Instance().FamilyList(FaceOf(m_logFont)).c_str());
    pango_font_description_set_weight(m_description.get(), WeightOf(m_logFont.lfWeight));
    pango_font_description_set_style(m_description.get(),
                                     m_logFont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    m_pixelSize = PixelSizeFor(m_logFont, m_description.get());
    pango_font_description_set_absolute_size(m_description.get(), m_pixelSize * PANGO_SCALE);
}

double FontObject::PixelSizeFor(const LOGFONTW& logFont, const PangoFontDescription* description)
{
    if (logFont.lfHeight < 0)
        return -static_cast<double>(logFont.lfHeight);
    if (logFont.lfHeight == 0)
        return kDefaultPixelSize;
    // A positive height is the cell (ascent + descent): scale the em size to fit it.
    const double cellPerEm = CellHeightPerEm(description);
    return cellPerEm > 0 ? std::max(1.0, std::floor(logFont.lfHeight / cellPerEm)) : logFont.lfHeight;
}
} // namespace platform
