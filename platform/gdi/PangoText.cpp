#include "PangoText.h"

#include <cmath>
#include <memory>

namespace platform
{
namespace
{
constexpr double kDpi = 96;
constexpr double kProbePixels = 100;

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

PangoFontMap* ThreadFontMap()
{
    // Per thread: layouts are made and used on the thread that paints, and this keeps pango's
    // caches free of cross-thread locking. Contexts hold their own reference.
    thread_local std::unique_ptr<PangoFontMap, ObjectUnref> map(pango_cairo_font_map_new());
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
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    return context;
}

FontPixels MeasureFont(PangoContext* context, const PangoFontDescription* description)
{
    PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
    FontPixels pixels;
    pixels.ascent = PixelsRounded(pango_font_metrics_get_ascent(metrics));
    pixels.descent = PixelsRounded(pango_font_metrics_get_descent(metrics));
    pixels.averageCharWidth = PixelsRounded(pango_font_metrics_get_approximate_char_width(metrics));
    pango_font_metrics_unref(metrics);
    return pixels;
}

double CellHeightPerEm(const PangoFontDescription* description)
{
    thread_local std::unique_ptr<PangoContext, ObjectUnref> context(NewTextContext());
    PangoFontDescription* probe = pango_font_description_copy(description);
    pango_font_description_set_absolute_size(probe, kProbePixels * PANGO_SCALE);
    PangoFontMetrics* metrics = pango_context_get_metrics(context.get(), probe, nullptr);
    const double cell = static_cast<double>(pango_font_metrics_get_ascent(metrics) +
                                            pango_font_metrics_get_descent(metrics)) /
                        PANGO_SCALE;
    pango_font_metrics_unref(metrics);
    pango_font_description_free(probe);
    return cell / kProbePixels;
}
} // namespace platform
