#include "candidatewindow/skin/layer_areas.h"

#include <algorithm>
#include <cmath>

namespace kepskin {

namespace {

using platform::gfx::Canvas;
using platform::gfx::Rect;
using platform::gfx::Surface;

// Below this a remainder is rounding noise, not a copy to draw.
constexpr double kSmallestRemainder = 1e-6;

// How `length` splits into whole steps and what is left; no steps when the step does not advance.
struct Split {
  double whole = 0;      // length covered by whole copies
  double remainder = 0;  // length of the squeezed last copy
};

Split split(double length, double step) {
  if (!(step > 0) || !(length > 0)) return {};
  const double whole = std::floor(length / step) * step;
  const double remainder = length - whole;
  return {whole, remainder > kSmallestRemainder ? remainder : 0};
}

// Copies of the piece at `cell` size from the bottom-left of `dest`; a dest as large as one cell
// is a plain scaled draw.
void repeat(Canvas& canvas, const Surface& piece, const Rect& dest, double cell_width, double cell_height) {
  if (!(dest.width > 0) || !(dest.height > 0)) return;
  if (dest.width <= cell_width && dest.height <= cell_height) {
    canvas.draw(piece, dest);
  } else {
    canvas.tile(piece, dest, {cell_width, cell_height});
  }
}

// Columns of `cell_width` across `row`, the last one squeezed, each as high as the row.
void columns(Canvas& canvas, const Surface& piece, const Rect& row, double cell_width) {
  const Split across = split(row.width, cell_width);
  repeat(canvas, piece, {row.x, row.y, across.whole, row.height}, cell_width, row.height);
  repeat(canvas, piece, {row.x + across.whole, row.y, across.remainder, row.height}, across.remainder,
         row.height);
}

bool usable(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height);
}

}  // namespace

void draw_horizontal_edge(Canvas& canvas, const std::optional<Surface>& piece, const Rect& at, double length,
                          int mode) {
  if (!piece || !usable(at) || !std::isfinite(length) || !(at.width > 0) || !(at.height > 0) || !(length > 0)) {
    return;
  }
  const Rect edge{at.x, at.y, length, at.height};
  if (mode == kLayoutStretch) {
    canvas.draw(*piece, edge);
  } else if (mode == kLayoutTile) {
    columns(canvas, *piece, edge, at.width);
  }
}

void draw_area(Canvas& canvas, const std::optional<Surface>& piece, const Rect& area, int hmode, int vmode) {
  if (!piece || !usable(area)) return;
  const double piece_width = piece->width();
  const double piece_height = piece->height();
  if (!(piece_width > 0) || !(piece_height > 0)) return;
  const double width = std::max(1.0, std::trunc(area.width));
  const double height = std::max(1.0, std::trunc(area.height));
  const Rect whole{area.x, area.y, width, height};

  if (hmode == kLayoutStretch && vmode == kLayoutStretch) {
    canvas.draw(*piece, whole);
  } else if (hmode == kLayoutStretch && vmode == kLayoutTile) {
    const Split up = split(height, piece_height);
    repeat(canvas, *piece, {area.x, area.y, width, up.whole}, width, piece_height);
    repeat(canvas, *piece, {area.x, area.y + up.whole, width, up.remainder}, width, up.remainder);
  } else if (hmode == kLayoutTile && vmode == kLayoutStretch) {
    columns(canvas, *piece, whole, piece_width);
  } else if (hmode == kLayoutTile && vmode == kLayoutTile) {
    const Split across = split(width, piece_width);
    const Split up = split(height, piece_height);
    const double right = area.x + across.whole;
    const double top = area.y + up.whole;
    repeat(canvas, *piece, {area.x, area.y, across.whole, up.whole}, piece_width, piece_height);
    repeat(canvas, *piece, {right, area.y, across.remainder, up.whole}, across.remainder, piece_height);
    repeat(canvas, *piece, {area.x, top, across.whole, up.remainder}, piece_width, up.remainder);
    repeat(canvas, *piece, {right, top, across.remainder, up.remainder}, across.remainder, up.remainder);
  } else if (hmode == kLayoutStretch && vmode == kLayoutOwnHeight) {
    canvas.draw(*piece, {area.x, area.y, width, piece_height});
  } else if (hmode == kLayoutTile && vmode == kLayoutOwnHeight) {
    columns(canvas, *piece, {area.x, area.y, width, piece_height}, piece_width);
  }
}

}  // namespace kepskin
