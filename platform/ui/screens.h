// The screens windows are placed on, from KEP_SCREENS:
//
//   KEP_SCREENS="x,y,w,h[,vx,vy,vw,vh];..."
//
// in points with the origin at the bottom left of the main screen, which comes first. The
// optional second rectangle is the visible frame (the screen less menu bar and dock); a screen
// without one has its whole frame visible. Unset or empty: one 1440x900 screen whose visible
// frame is (0,0,1440,878).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/geometry.h"

namespace platform::ui {

struct Screen {
  Rect frame;
  Rect visible_frame;
  bool operator==(const Screen&) const = default;
};

inline constexpr std::size_t kMaxScreens = 16;

Screen default_screen();

// Parses a KEP_SCREENS value. nullopt with the reason in `error` when any entry is malformed:
// not 4 or 8 comma-separated finite numbers, a side not above zero, a coordinate beyond
// +-1e6, or more than kMaxScreens entries. One trailing ';' is allowed.
std::optional<std::vector<Screen>> parse_screens(std::string_view text, std::string* error);

// The screens as KEP_SCREENS describes them now, main screen first; never empty. A malformed
// value is reported on stderr (once per distinct value) and the default screen is used.
std::vector<Screen> screens();
Screen main_screen();

}  // namespace platform::ui
