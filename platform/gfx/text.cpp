#include "platform/gfx/text.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/gfx/fonts.h"

namespace platform::gfx {

namespace {

// Sizes beyond this are no text anyone can read and only make Pango rasterise huge glyphs.
constexpr double kMaxFontPixels = 1024;

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
struct DescriptionFree {
  void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
struct StringFree {
  void operator()(gchar* text) const { g_free(text); }
};

double usable_size(double size_px) {
  return std::isfinite(size_px) ? std::clamp(size_px, 1.0, kMaxFontPixels) : 12.0;
}

// Lays `text` out on `cr`, which must outlive the returned layout's use.
std::unique_ptr<PangoLayout, GObjectUnref> make_layout(cairo_t* cr, std::string_view text, const Font& font) {
  std::unique_ptr<PangoLayout, GObjectUnref> layout(pango_cairo_create_layout(cr));
  std::unique_ptr<PangoFontDescription, DescriptionFree> description(pango_font_description_new());
  const std::string family = effective_family(font);
  pango_font_description_set_family(description.get(), family.c_str());
  pango_font_description_set_absolute_size(description.get(), usable_size(font.size_px) * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), description.get());
  const gssize length = static_cast<gssize>(std::min<std::size_t>(text.size(), G_MAXSSIZE));
  std::unique_ptr<gchar, StringFree> valid(g_utf8_make_valid(text.data(), length));
  pango_layout_set_text(layout.get(), valid.get(), -1);
  return layout;
}

TextMetrics metrics_of(PangoLayout* layout) {
  PangoRectangle logical{};
  pango_layout_get_extents(layout, nullptr, &logical);
  TextMetrics metrics;
  metrics.width = static_cast<double>(logical.width) / PANGO_SCALE;
  metrics.height = static_cast<double>(logical.height) / PANGO_SCALE;
  metrics.ascent = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  PangoLayoutIter* lines = pango_layout_get_iter(layout);
  int top = 0;
  int bottom = 0;
  pango_layout_iter_get_line_yrange(lines, &top, &bottom);
  pango_layout_iter_free(lines);
  metrics.descent = static_cast<double>(bottom - top) / PANGO_SCALE - metrics.ascent;
  return metrics;
}

}  // namespace

std::string effective_family(const Font& font) {
  return resolve_family(font.family).value_or(std::string(kFallbackFamily));
}

TextMetrics measure(std::string_view text, const Font& font) {
  // Measured on the same kind of target as drawn on, so the numbers match what draw_text paints.
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  TextMetrics metrics = metrics_of(make_layout(cr, text, font).get());
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return metrics;
}

void draw_text(Canvas& canvas, std::string_view text, const Font& font, Point top_left, const Colour& colour) {
  cairo_t* cr = canvas.cairo();
  cairo_save(cr);
  cairo_translate(cr, top_left.x, top_left.y);
  // Pango lays out downwards; undo the y-up flip locally so glyphs stay upright.
  if (canvas.orientation() == Orientation::y_up) cairo_scale(cr, 1, -1);
  cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
  auto layout = make_layout(cr, text, font);
  cairo_move_to(cr, 0, 0);
  pango_cairo_show_layout(cr, layout.get());
  cairo_restore(cr);
}

}  // namespace platform::gfx
