// A scheme's background picture cut into a 3 x 3 grid: corners, edges and centre.
#pragma once

#include <array>
#include <optional>

#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"

namespace kepskin {

struct NinePieces {
  // Index = row * 3 + column, row 0 at the top; an empty piece has no image and a zero rect.
  std::array<std::optional<platform::gfx::Surface>, 9> images;
  std::array<platform::gfx::IntRect, 9> rect{};
};

// The source rectangles before clamping, from the borders left, right, top, bottom of a
// picture_width x picture_height picture. The centre column spans the overlap when the side
// borders cover the picture, and two pixels around their seam when they meet exactly.
std::array<platform::gfx::IntRect, 9> nine_piece_sources(int picture_width, int picture_height, int left,
                                                         int right, int top, int bottom);

// Cuts `picture`; every source rectangle is clamped to the picture, and rect[] holds what was cut.
NinePieces cut_nine_pieces(const platform::gfx::Surface& picture, int left, int right, int top, int bottom);

}  // namespace kepskin
