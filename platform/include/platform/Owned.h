#pragma once
// Owning holders for GLib, GObject, cairo and pango objects: each frees its object the way its
// library asks when it goes out of scope, so no early return forgets an unref. Include it only
// where those libraries are used already.
//
//   const platform::GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new()); // a new object
//   return platform::RefObject(gdk_pixbuf_loader_get_pixbuf(loader.get()));    // a borrowed one

// First: GLib's TRUE and FALSE macros must come after the platform's own constants.
#include "platform/WinTypes.h"

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace platform
{
// The deleter that calls Free, for the holders below.
template <auto Free> struct FreeWith
{
    template <typename T> void operator()(T* object) const { Free(object); }
};

inline void FreeStringList(GSList* list)
{
    g_slist_free_full(list, g_free);
}

template <typename T> using GObjectPtr = std::unique_ptr<T, FreeWith<g_object_unref>>;
// Memory GLib hands out to be given back with g_free (strings, arrays).
template <typename T> using GMemoryPtr = std::unique_ptr<T, FreeWith<g_free>>;
// A GSList of g_malloc'ed strings, as GTK hands out file names.
using GStringListPtr = std::unique_ptr<GSList, FreeWith<FreeStringList>>;

using CairoPtr = std::unique_ptr<cairo_t, FreeWith<cairo_destroy>>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, FreeWith<cairo_surface_destroy>>;
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, FreeWith<cairo_pattern_destroy>>;
using CairoRegionPtr = std::unique_ptr<cairo_region_t, FreeWith<cairo_region_destroy>>;
using CairoFontOptionsPtr = std::unique_ptr<cairo_font_options_t, FreeWith<cairo_font_options_destroy>>;

using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, FreeWith<pango_font_description_free>>;
using PangoFontMetricsPtr = std::unique_ptr<PangoFontMetrics, FreeWith<pango_font_metrics_unref>>;
using PangoAttrListPtr = std::unique_ptr<PangoAttrList, FreeWith<pango_attr_list_unref>>;

// Takes a new reference to object for a holder of its own.
template <typename T> GObjectPtr<T> RefObject(T* object)
{
    return GObjectPtr<T>(object != nullptr ? static_cast<T*>(g_object_ref(object)) : nullptr);
}
} // namespace platform
