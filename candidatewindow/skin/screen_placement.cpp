#include "candidatewindow/skin/screen_placement.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kepskin {

namespace {

using platform::ui::Point;
using platform::ui::Rect;
using platform::ui::Screen;

struct Choice {
  Rect screen;
  Rect visual;
};

// Index of the flagged screen whose edge is nearest to `value`; the first one wins a tie.
template <typename InRange, typename EdgeOf>
std::optional<std::size_t> nearest_in_range(const std::vector<Screen>& screens, std::size_t count,
                                            double value, InRange in_range, EdgeOf edge_of) {
  std::optional<std::size_t> best;
  double best_distance = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!in_range(screens[i].frame)) continue;
    const double distance = std::fabs(value - edge_of(screens[i].frame));
    if (!best || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

Choice choose_screen(const std::vector<Screen>& screens, Point caret) {
  const std::size_t count = std::min(screens.size(), kMaxPlacementScreens);
  if (count == 1) return {screens[0].frame, screens[0].visible_frame};
  for (std::size_t i = 0; i < count; ++i) {
    if (platform::ui::contains(screens[i].frame, caret)) return {screens[i].frame, screens[i].visible_frame};
  }
  auto by_columns = nearest_in_range(
      screens, count, caret.x, [&](const Rect& r) { return r.x <= caret.x && caret.x <= r.x + r.width; },
      [](const Rect& r) { return r.x; });
  if (!by_columns) {
    by_columns = nearest_in_range(
        screens, count, caret.y, [&](const Rect& r) { return r.y <= caret.y && caret.y <= r.y + r.height; },
        [](const Rect& r) { return r.y; });
  }
  if (by_columns) return {screens[*by_columns].frame, screens[*by_columns].frame};
  return {screens[0].frame, screens[0].visible_frame};
}

double finite_or_zero(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

Placement viewBoundsForSize(double W, double H, Point caret, double fh, bool skinStyle,
                            const std::vector<Screen>& screens) {
  caret = {finite_or_zero(caret.x), finite_or_zero(caret.y)};
  const std::vector<Screen> fallback{platform::ui::default_screen()};
  const Choice chosen = choose_screen(screens.empty() ? fallback : screens, caret);

  // Single precision, so positions round the same way wherever the box is placed.
  const float width = static_cast<float>(W);
  const float height = static_cast<float>(H);
  const float px = static_cast<float>(caret.x);
  const float py = static_cast<float>(caret.y);
  const float line = static_cast<float>(fh);

  const float visual_left = static_cast<float>(chosen.visual.x);
  const float visual_right = static_cast<float>(chosen.visual.x + chosen.visual.width);
  float x = px;
  if (px + width > visual_right) {
    x = visual_right - width;
  } else if (px < visual_left) {
    x = visual_left;
  }

  const float bottom = static_cast<float>(chosen.screen.y);
  const float screen_top = static_cast<float>(chosen.screen.y + chosen.screen.height);
  float top = py;
  if (bottom > py - height - 2) {
    // No room below the caret line: above it, or as low as the screen allows.
    top = py + line + height + 2;
    if (top < bottom) top = bottom + height + 2;
  } else if (py - height - 2 >= screen_top) {
    top = bottom + height + 5;
  }

  const double drop = skinStyle ? H + 17 : H + 9;
  return {Rect{x, top - drop, W, H}, chosen.screen, chosen.visual};
}

}  // namespace kepskin
