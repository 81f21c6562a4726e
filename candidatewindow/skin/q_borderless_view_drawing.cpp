// Drawing a laid-out page: the skin layer (nine pieces, texts, page arrows, separator) painted
// with its shadow, or the plain rounded box with the composition and candidate lines.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "candidatewindow/skin/layer_areas.h"
#include "candidatewindow/skin/page_arrows.h"
#include "candidatewindow/skin/q_borderless_view.h"
#include "platform/gfx/path.h"
#include "platform/gfx/shadow.h"
#include "platform/gfx/text.h"

namespace kepskin {

using platform::gfx::Canvas;
using platform::gfx::Colour;
using platform::gfx::Orientation;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::Surface;

namespace {

constexpr double kShadowRoom = 15;

// Draws `text` with the bottom-left corner of its layout box at `origin` on a y-up canvas;
// answers the width it took.
double draw_from_bottom_left(Canvas& canvas, std::string_view text, const SkinFont& font, Point origin,
                             const Colour& colour) {
  const platform::gfx::Font gfx = drawingFont(font);
  const platform::gfx::TextMetrics metrics = platform::gfx::measure(text, gfx);
  platform::gfx::draw_text(canvas, text, gfx, {origin.x, origin.y + metrics.height}, colour);
  return metrics.width;
}

// Hiragino faces sit lower on the line at larger sizes.
int baseline_adjustment(const SkinFont& font, int fontHeight) {
  std::string lowered = font.name;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lowered.find("hiragino") == std::string::npos) return 0;
  if (fontHeight > 18) return -1;
  if (fontHeight >= 14) return -2;
  return 0;
}

// The picture scaled to width x height (the picture itself when it already has that size).
std::optional<Surface> scaled_to(const Surface& picture, int width, int height) {
  if (picture.width() == width && picture.height() == height) return picture;
  std::optional<Surface> scaled = Surface::create(width, height);
  if (!scaled) return std::nullopt;
  Canvas canvas(*scaled);
  canvas.draw(picture, {0, 0, static_cast<double>(width), static_cast<double>(height)});
  return scaled;
}

}  // namespace

void QBorderlessView::drawToLayer(int width, int height) {
  std::optional<Surface> layer = Surface::create(width, height);
  if (!layer) return;
  {
    Canvas canvas(*layer, Orientation::y_up);
    canvas.clear();
    drawLayerPieces(canvas, width, height);
    drawLayerText(canvas);
    if (sepColor && sep[1] > 0) {
      const double line_y = pyPoint.y - pyMarge[1] + 0.5;
      draw_separator(canvas, line_y, sep[1], width - kShadowRoom - sep[2], *sepColor);
    }
  }
  layerImage = std::move(layer);
}

void QBorderlessView::drawLayerPieces(Canvas& canvas, int width, int height) const {
  auto piece = [&](int i) -> const std::optional<Surface>& { return images[static_cast<std::size_t>(i)]; };
  auto at = [&](int i) { return pieceRects[static_cast<std::size_t>(i)]; };
  for (const int corner : {0, 2, 6, 8}) {
    if (piece(corner)) canvas.draw(*piece(corner), at(corner));
  }
  const int across = layout_h[0];
  const int down = layout_v[0];
  draw_horizontal_edge(canvas, piece(1), at(1), width - at(0).width - at(2).width, across);
  draw_horizontal_edge(canvas, piece(7), at(7), width - at(6).width - at(8).width, across);
  draw_area(canvas, piece(3), {at(3).x, at(3).y, at(3).width, height - at(0).height - at(6).height}, across, down);
  draw_area(canvas, piece(5), {at(5).x, at(5).y, at(5).width, height - at(2).height - at(8).height}, across, down);
  draw_area(canvas, piece(4),
            {at(4).x, at(4).y, width - at(3).width - at(5).width, height - at(1).height - at(7).height}, across, down);
}

void QBorderlessView::drawLayerText(Canvas& canvas) const {
  draw_from_bottom_left(canvas, py, pyFont, pyPoint, pyColor);
  if (schemeIndex == 2) {
    const double count = static_cast<double>(shownLabels.size());
    double row_y = (count - 1) * hzHeight + 5 + hzPoint.y;
    for (std::size_t i = 0; i < shownLabels.size(); ++i) {
      draw_from_bottom_left(canvas, shownLabels[i], hzFont, {hzPoint.x, row_y}, i == 0 ? firstColor : hzColor);
      row_y -= hzHeight;
    }
  } else if (schemeIndex == 0) {
    // One line in two colours: each label starts where the one before it ended.
    double label_x = hzPoint.x;
    for (std::size_t i = 0; i < shownLabels.size(); ++i)
      label_x += draw_from_bottom_left(canvas, shownLabels[i], hzFont, {label_x, hzPoint.y}, i == 0 ? firstColor : hzColor);
  }
  draw_page_arrows(canvas, {hzPoint.x + hzSize.width + 5, hzPoint.y}, hzFontHeight, page != 1, page < total, hzColor);
}

void QBorderlessView::drawRect(Surface& picture) const {
  if (!usesSkinStyle()) {
    drawPlain(picture);
    return;
  }
  if (!layerImage) return;
  const int width = picture.width() - static_cast<int>(kShadowRoom);
  const int height = picture.height() - static_cast<int>(kShadowRoom);
  if (width < 1 || height < 1) return;
  Canvas canvas(picture, Orientation::y_up);
  const std::optional<Surface> layer = scaled_to(*layerImage, width, height);
  if (!layer) return;
  if (hasShadow) {
    const platform::gfx::Shadow shadow{6, -6, 6, Colour{0, 0, 0, 0.3}};
    if (platform::gfx::draw_with_shadow(canvas, *layer, {0, kShadowRoom}, shadow)) return;
  }
  canvas.draw(*layer, {0, kShadowRoom, static_cast<double>(width), static_cast<double>(height)});
}

void QBorderlessView::drawPlain(Surface& picture) const {
  const double width = picture.width();
  const double height = picture.height();
  const Rect box{8, 8, width - 16, height - 16};
  const platform::gfx::Path outline = platform::gfx::Path::rounded_rectangle(box, 6);
  Canvas canvas(picture, Orientation::y_up);
  canvas.save();
  canvas.stroke(outline, Colour{0.5, 0.5, 0.5, 1}, 1);
  if (hasShadow && !outline.empty()) {
    // The box is filled on a picture of its own so that its outline casts the shadow.
    if (std::optional<Surface> filled = Surface::create(picture.width(), picture.height())) {
      {
        Canvas fill_canvas(*filled, Orientation::y_up);
        fill_canvas.fill(outline, plain.background);
      }
      const platform::gfx::Shadow shadow{6, -6, 4, Colour{0, 0, 0, 0.3}};
      if (!platform::gfx::draw_with_shadow(canvas, *filled, {0, 0}, shadow)) canvas.draw(*filled, {0, 0, width, height});
    }
  } else {
    canvas.fill(outline, plain.background);
  }

  const int fontHeight = plain.fontHeight;
  const int adjust = baseline_adjustment(plain.font, fontHeight);
  const Colour& ink = plain.foreground;
  if (imeMode == 1 && !py.empty() && py != "-") {
    canvas.line({12.5, fontHeight + 19.5}, {width - 11.5, fontHeight + 19.5}, ink, 1);
    draw_from_bottom_left(canvas, py, plain.font, {14, fontHeight + 20.0}, ink);
  }
  if (!hz.empty()) {
    const double descender = -platform::gfx::measure(hz, drawingFont(plain.font)).descent;
    const Point origin{14, descender + (fontHeight > 18 ? 16 : 15) + adjust};
    std::string_view rest = hz;
    double line_x = origin.x;
    if (traditional && rest.starts_with("繁")) {
      // The marker stands inverted: background-coloured on a block of the text colour.
      const std::string_view marker = rest.substr(0, std::string_view("繁").size());
      const platform::gfx::TextMetrics metrics = platform::gfx::measure(marker, drawingFont(plain.font));
      canvas.fill(Rect{line_x, origin.y, metrics.width, metrics.height}, ink);
      line_x += draw_from_bottom_left(canvas, marker, plain.font, {line_x, origin.y}, plain.background);
      rest.remove_prefix(marker.size());
    }
    draw_from_bottom_left(canvas, rest, plain.font, {line_x, origin.y}, ink);
    if (!showPage) {
      const double arrow_y = imeMode != 0 ? adjust + 14 : (height - fontHeight) / 2;
      draw_page_arrows(canvas, {width - 38, arrow_y}, fontHeight, page != 1, page < total, ink);
    }
  }
  canvas.restore();
}

}  // namespace kepskin
