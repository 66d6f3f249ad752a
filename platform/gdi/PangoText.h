#pragma once
// The pango side of text: contexts made from one font map per thread (a font map is costly and
// holds the glyph caches, so it is never made per call), and font measurements in pixels.

#include "platform/Owned.h"

#include <pango/pangocairo.h>

namespace platform
{
// A new context at 96 dpi for Chinese text with integer (GDI-like) advances; the caller unrefs.
PangoContext* NewTextContext();
// Cell height (ascent + descent) per pixel of em size, for positive LOGFONT heights.
double CellHeightPerEm(const PangoFontDescription* description);

struct FontPixels
{
    int ascent = 0;
    int descent = 0;
    int averageCharWidth = 0;
};
FontPixels MeasureFont(PangoContext* context, const PangoFontDescription* description);
} // namespace platform
