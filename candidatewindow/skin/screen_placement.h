// Where the candidate box goes: the screen under (or nearest to) the caret, then the box kept on
// that screen, below the caret line when it fits and above it otherwise.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/ui/geometry.h"
#include "platform/ui/screens.h"

namespace kepskin {

struct Placement {
  platform::ui::Rect box;         // origin and size of the box, y upwards
  platform::ui::Rect screenRect;  // frame of the chosen screen
  platform::ui::Rect visualRect;  // the part of it the box is kept inside horizontally
};

// Only this many screens, in order, take part in the choice; later ones are never chosen.
inline constexpr std::size_t kMaxPlacementScreens = 32;

// Places a W x H box for a caret at `caret` whose line is `fh` high. The screen is the only one;
// else the first whose frame contains the caret; else, among those whose horizontal range holds
// the caret's x, the one whose left edge is nearest; else the same by vertical range and bottom
// edge; else the first. A screen chosen by range is used whole (its frame for both rectangles).
// The box's origin sits H + 17 (skin style) or H + 9 (plain style) below its top line, which
// leaves room for the window's shadow. An empty screen list means the default screen; caret
// coordinates that are not finite count as 0.
Placement viewBoundsForSize(double W, double H, platform::ui::Point caret, double fh, bool skinStyle,
                            const std::vector<platform::ui::Screen>& screens);

}  // namespace kepskin
