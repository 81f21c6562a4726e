#include "platform/gfx/canvas.h"

#include <cairo.h>

#include <cmath>

namespace platform::gfx {

namespace {

bool drawable(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height) && rect.width > 0 && rect.height > 0;
}

bool usable_width(double line_width) { return std::isfinite(line_width) && line_width > 0; }

}  // namespace

Canvas::Canvas(Surface& target, Orientation orientation)
    : cr_(cairo_create(target.cairo())), orientation_(orientation), width_(target.width()),
      height_(target.height()) {
  if (orientation_ == Orientation::y_up) {
    cairo_translate(cr_, 0, height_);
    cairo_scale(cr_, 1, -1);
  }
}

Canvas::~Canvas() {
  cairo_surface_flush(cairo_get_target(cr_));
  cairo_destroy(cr_);
}

void Canvas::save() {
  cairo_save(cr_);
  ++depth_;
}

void Canvas::restore() {
  if (depth_ == 0) return;
  cairo_restore(cr_);
  --depth_;
}

void Canvas::clip(const Rect& rect) {
  cairo_rectangle(cr_, rect.x, rect.y, drawable(rect) ? rect.width : 0, drawable(rect) ? rect.height : 0);
  cairo_clip(cr_);
}

void Canvas::clip(const Path& path) {
  append(path);
  cairo_clip(cr_);
}

void Canvas::clear(const Colour& colour) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  set_colour(colour);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void Canvas::fill(const Rect& rect, const Colour& colour) {
  if (!drawable(rect)) return;
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  set_colour(colour);
  cairo_fill(cr_);
}

void Canvas::fill(const Path& path, const Colour& colour) {
  append(path);
  set_colour(colour);
  cairo_fill(cr_);
}

void Canvas::stroke(const Rect& rect, const Colour& colour, double line_width) {
  if (!drawable(rect)) return;
  if (!usable_width(line_width)) return;
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  set_colour(colour);
  cairo_set_line_width(cr_, line_width);
  cairo_stroke(cr_);
}

void Canvas::stroke(const Path& path, const Colour& colour, double line_width) {
  if (!usable_width(line_width)) return;
  append(path);
  set_colour(colour);
  cairo_set_line_width(cr_, line_width);
  cairo_stroke(cr_);
}

void Canvas::line(Point from, Point to, const Colour& colour, double line_width) {
  if (!usable_width(line_width)) return;
  cairo_move_to(cr_, from.x, from.y);
  cairo_line_to(cr_, to.x, to.y);
  set_colour(colour);
  cairo_set_line_width(cr_, line_width);
  cairo_stroke(cr_);
}

void Canvas::draw(const Surface& picture, const Rect& dest, double alpha) {
  if (!drawable(dest) || picture.cairo() == nullptr) return;
  cairo_save(cr_);
  cairo_rectangle(cr_, dest.x, dest.y, dest.width, dest.height);
  cairo_clip(cr_);
  map_picture_into(dest, picture.width(), picture.height());
  cairo_set_source_surface(cr_, picture.cairo(), 0, 0);
  // Pad so that scaling does not fade the picture's edges into transparency.
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_paint_with_alpha(cr_, alpha);
  cairo_restore(cr_);
}

void Canvas::tile(const Surface& piece, const Rect& dest, Size piece_size) {
  if (!drawable(dest) || piece.cairo() == nullptr || !(piece_size.width > 0) || !(piece_size.height > 0) ||
      !std::isfinite(piece_size.width) || !std::isfinite(piece_size.height)) {
    return;
  }
  cairo_save(cr_);
  cairo_rectangle(cr_, dest.x, dest.y, dest.width, dest.height);
  cairo_clip(cr_);
  // Transform so that one piece_size cell from the starting corner holds the picture upright;
  // the pattern repeats it in every direction.
  map_picture_into({dest.x, dest.y, piece_size.width, piece_size.height}, piece.width(), piece.height());
  cairo_set_source_surface(cr_, piece.cairo(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_REPEAT);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void Canvas::map_picture_into(const Rect& dest, int picture_width, int picture_height) {
  const double sx = dest.width / picture_width;
  const double sy = dest.height / picture_height;
  if (orientation_ == Orientation::y_up) {
    cairo_translate(cr_, dest.x, dest.y + dest.height);
    cairo_scale(cr_, sx, -sy);
  } else {
    cairo_translate(cr_, dest.x, dest.y);
    cairo_scale(cr_, sx, sy);
  }
}

void Canvas::append(const Path& path) {
  cairo_new_path(cr_);
  for (const Path::Segment& segment : path.segments()) {
    switch (segment.kind) {
      case Path::Kind::move: cairo_move_to(cr_, segment.point.x, segment.point.y); break;
      case Path::Kind::line: cairo_line_to(cr_, segment.point.x, segment.point.y); break;
      case Path::Kind::curve:
        cairo_curve_to(cr_, segment.control1.x, segment.control1.y, segment.control2.x, segment.control2.y,
                       segment.point.x, segment.point.y);
        break;
      case Path::Kind::arc:
        if (segment.to >= segment.from) {
          cairo_arc(cr_, segment.centre.x, segment.centre.y, segment.radius, segment.from, segment.to);
        } else {
          cairo_arc_negative(cr_, segment.centre.x, segment.centre.y, segment.radius, segment.from, segment.to);
        }
        break;
      case Path::Kind::close: cairo_close_path(cr_); break;
    }
  }
}

void Canvas::set_colour(const Colour& colour) {
  cairo_set_source_rgba(cr_, colour.red, colour.green, colour.blue, colour.alpha);
}

}  // namespace platform::gfx
