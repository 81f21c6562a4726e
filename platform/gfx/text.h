// Text laid out with Pango in a named font; sizes in pixels (1 point = 1 pixel).
#pragma once

#include <string>
#include <string_view>

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"

namespace platform::gfx {

inline constexpr std::string_view kFallbackFamily = "WenQuanYi Micro Hei";

struct Font {
  std::string family;
  double size_px = 12;
};

// The layout box of a text. The baseline of the first line lies `ascent` below the top of the
// box; height covers every line, so it is at least ascent + descent.
struct TextMetrics {
  double width = 0;
  double height = 0;
  double ascent = 0;
  double descent = 0;
};

// The family a Font draws with: resolve_family(family), or kFallbackFamily when that fails.
std::string effective_family(const Font& font);

TextMetrics measure(std::string_view text, const Font& font);

// Draws `text` (UTF-8; invalid bytes are replaced) with the layout box's top-left corner at
// `top_left`: the box extends downwards on the screen in both orientations, so on a y-up canvas
// the baseline is at top_left.y - ascent, on a y-down one at top_left.y + ascent.
void draw_text(Canvas& canvas, std::string_view text, const Font& font, Point top_left, const Colour& colour);

}  // namespace platform::gfx
