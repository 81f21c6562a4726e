// Outlines recorded as segments, replayed onto a Canvas to fill or stroke them.
#pragma once

#include <optional>
#include <vector>

#include "platform/gfx/image.h"

namespace platform::gfx {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

class Path {
 public:
  enum class Kind { move, line, curve, arc, close };

  // move and line: `point` is the target. curve: `control1`, `control2`, then `point`.
  // arc: around `centre` with `radius`, from angle `from` to `to` in radians (0 along +x,
  // pi/2 along +y), turning towards +y when `to` > `from` and the other way otherwise.
  struct Segment {
    Kind kind = Kind::move;
    Point point;
    Point control1;
    Point control2;
    Point centre;
    double radius = 0;
    double from = 0;
    double to = 0;
  };

  void move_to(Point point);
  void line_to(Point point);
  void curve_to(Point control1, Point control2, Point end);
  void arc(Point centre, double radius, double from, double to);
  void close();

  const std::vector<Segment>& segments() const { return segments_; }
  bool empty() const { return segments_.empty(); }

  // Where an arc segment begins and ends.
  static Point arc_start(const Segment& arc);
  static Point arc_end(const Segment& arc);

  // In a y-up system: starts at the middle of the top edge (largest y), then the corner arcs
  // top-left, bottom-left, bottom-right, top-right, then closes. The radius is clamped to
  // 0..half the shorter side, so an over-large one gives a capsule rather than crossed arcs.
  // An empty path for a rectangle without area.
  static Path rounded_rectangle(const Rect& rect, double radius);

 private:
  std::vector<Segment> segments_;
};

}  // namespace platform::gfx
