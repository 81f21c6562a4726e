#include "candidatewindow/skin/nine_pieces.h"

#include <cstdint>
#include <limits>

namespace kepskin {

using platform::gfx::IntRect;

namespace {

// Borders come from the skin file; keep the arithmetic on them out of overflow.
int bounded(std::int64_t value) {
  constexpr std::int64_t kLimit = std::numeric_limits<int>::max() / 4;
  if (value > kLimit) return static_cast<int>(kLimit);
  if (value < -kLimit) return static_cast<int>(-kLimit);
  return static_cast<int>(value);
}

}  // namespace

std::array<IntRect, 9> nine_piece_sources(int picture_width, int picture_height, int left, int right, int top,
                                          int bottom) {
  const int pw = bounded(picture_width), ph = bounded(picture_height);
  const int l = bounded(left), r = bounded(right), t = bounded(top), b = bounded(bottom);
  int cx = l;
  int cw = pw - l - r;
  if (cw <= 0) {
    if (pw < l + r) {
      cx = pw - r;
      cw = l + r - pw;
    } else {
      cx = l - 1;
      cw = 2;
    }
  }
  const int middle_height = ph - t - b;
  return {{
      {0, 0, l, t},
      {cx, 0, cw, t},
      {pw - r, 0, r, t},
      {0, t, l, middle_height},
      {cx, t, cw, middle_height},
      {pw - r, t, r, middle_height},
      {0, ph - b, l, b},
      {cx, ph - b, cw, b},
      {pw - r, ph - b, r, b},
  }};
}

NinePieces cut_nine_pieces(const platform::gfx::Surface& picture, int left, int right, int top, int bottom) {
  NinePieces pieces;
  const auto sources = nine_piece_sources(picture.width(), picture.height(), left, right, top, bottom);
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sources[i].empty()) continue;
    const IntRect clamped = platform::gfx::clamp_to(picture, sources[i]);
    if (clamped.empty()) continue;
    pieces.images[i] = platform::gfx::sub_image(picture, clamped);
    if (pieces.images[i]) pieces.rect[i] = clamped;
  }
  return pieces;
}

}  // namespace kepskin
