#include "platform/gfx/path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::gfx {

void Path::move_to(Point point) {
  Segment segment;
  segment.kind = Kind::move;
  segment.point = point;
  segments_.push_back(segment);
}

void Path::line_to(Point point) {
  Segment segment;
  segment.kind = Kind::line;
  segment.point = point;
  segments_.push_back(segment);
}

void Path::curve_to(Point control1, Point control2, Point end) {
  Segment segment;
  segment.kind = Kind::curve;
  segment.point = end;
  segment.control1 = control1;
  segment.control2 = control2;
  segments_.push_back(segment);
}

void Path::arc(Point centre, double radius, double from, double to) {
  Segment segment;
  segment.kind = Kind::arc;
  segment.centre = centre;
  segment.radius = std::isfinite(radius) ? std::max(radius, 0.0) : 0.0;
  segment.from = from;
  segment.to = to;
  segments_.push_back(segment);
}

void Path::close() {
  Segment segment;
  segment.kind = Kind::close;
  segments_.push_back(segment);
}

Point Path::arc_start(const Segment& arc) {
  return {arc.centre.x + arc.radius * std::cos(arc.from), arc.centre.y + arc.radius * std::sin(arc.from)};
}

Point Path::arc_end(const Segment& arc) {
  return {arc.centre.x + arc.radius * std::cos(arc.to), arc.centre.y + arc.radius * std::sin(arc.to)};
}

Path Path::rounded_rectangle(const Rect& rect, double radius) {
  Path path;
  if (!(rect.width > 0) || !(rect.height > 0)) return path;
  const double r = std::clamp(std::isnan(radius) ? 0.0 : radius, 0.0, std::min(rect.width, rect.height) / 2);
  const double left = rect.x;
  const double right = rect.x + rect.width;
  const double bottom = rect.y;
  const double top = rect.y + rect.height;
  constexpr double quarter = std::numbers::pi / 2;
  path.move_to({left + rect.width / 2, top});
  path.arc({left + r, top - r}, r, quarter, 2 * quarter);
  path.arc({left + r, bottom + r}, r, 2 * quarter, 3 * quarter);
  path.arc({right - r, bottom + r}, r, 3 * quarter, 4 * quarter);
  path.arc({right - r, top - r}, r, 0, quarter);
  path.close();
  return path;
}

}  // namespace platform::gfx
