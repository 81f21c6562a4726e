// Points and rectangles in screen points, origin at the bottom left (y grows upwards).
#pragma once

#include <optional>
#include <string_view>

#include "platform/gfx/image.h"

namespace platform::ui {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

using Rect = gfx::Rect;

// Edges inclusive at the origin, exclusive at the far side, so touching rectangles never both
// contain a point.
inline bool contains(const Rect& rect, Point point) {
  return point.x >= rect.x && point.x < rect.x + rect.width && point.y >= rect.y &&
         point.y < rect.y + rect.height;
}

// A coordinate written as text: a finite number within +-1e6 points, nothing around it.
std::optional<double> parse_coordinate(std::string_view text);

}  // namespace platform::ui
