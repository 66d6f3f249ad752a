#include "platform/gdi/PangoText.h"

#include <cmath>
#include <memory>

namespace platform
{
namespace
{
constexpr double kDpi = 96;
constexpr double kProbePixels = 100;

PangoFontMap* ThreadFontMap()
{
    // Per thread: layouts are made and used on the thread that paints, and this keeps pango's
    // caches free of cross-thread locking. Contexts hold their own reference.
    thread_local GObjectPtr<PangoFontMap> map(pango_cairo_font_map_new());
    return map.get();
}

int PixelsRounded(int pangoUnits)
{
    return static_cast<int>(std::lround(static_cast<double>(pangoUnits) / PANGO_SCALE));
}
} // namespace

PangoContext* NewTextContext()
{
    PangoContext* context = pango_font_map_create_context(ThreadFontMap());
    pango_cairo_context_set_resolution(context, kDpi);
    pango_context_set_language(context, pango_language_from_string("zh-cn"));
    const CairoFontOptionsPtr options(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options.get()); // copies them
    return context;
}

FontPixels MeasureFont(PangoContext* context, const PangoFontDescription* description)
{
    const PangoFontMetricsPtr metrics(pango_context_get_metrics(context, description, nullptr));
    FontPixels pixels;
    pixels.ascent = PixelsRounded(pango_font_metrics_get_ascent(metrics.get()));
    pixels.descent = PixelsRounded(pango_font_metrics_get_descent(metrics.get()));
    pixels.averageCharWidth = PixelsRounded(pango_font_metrics_get_approximate_char_width(metrics.get()));
    return pixels;
}

double CellHeightPerEm(const PangoFontDescription* description)
{
    thread_local GObjectPtr<PangoContext> context(NewTextContext());
    const PangoFontDescriptionPtr probe(pango_font_description_copy(description));
    pango_font_description_set_absolute_size(probe.get(), kProbePixels * PANGO_SCALE);
    const PangoFontMetricsPtr metrics(pango_context_get_metrics(context.get(), probe.get(), nullptr));
    const double cell = static_cast<double>(pango_font_metrics_get_ascent(metrics.get()) +
                                            pango_font_metrics_get_descent(metrics.get())) /
                        PANGO_SCALE;
    return cell / kProbePixels;
}
} // namespace platform
