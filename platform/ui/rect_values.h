// Rectangles as the windows' states write them, and the check every frame setter makes.
// Internal to platform/ui.
#pragma once

#include "platform/plist.h"
#include "platform/ui/geometry.h"

namespace platform::ui {

bool is_finite(const Rect& rect);
// {x, y, width, height} as reals.
plist::Dictionary rect_dictionary(const Rect& rect);

}  // namespace platform::ui
