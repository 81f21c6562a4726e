// One candidate page: the text to show, its measurements, the box size in either style, the
// pieces' and texts' places in the layer, and where the window goes on screen.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "candidatewindow/protocol/label_format.h"
#include "candidatewindow/skin/q_borderless_view.h"
#include "candidatewindow/skin/screen_placement.h"
#include "platform/gfx/text.h"
#include "platform/text.h"

namespace kepskin {

using platform::gfx::Size;

namespace {

// Texts are measured in a container this wide, so a line wraps only past it.
constexpr double kMeasureWidth = 5000;
// A page shows at most this many candidates; more would only be cut off by the box bound.
constexpr std::size_t kMaxLabels = 9;
// Room the skin style's window keeps beyond the layer for the shadow.
constexpr double kShadowRoom = 15;
// Both the layer and the window (the layer plus the shadow room) stay within a picture's bound.
constexpr double kMaxBoxSide = platform::gfx::kMaxSide - kShadowRoom;

double bounded_side(double side) {
  if (!std::isfinite(side)) return 1;
  return std::clamp(std::floor(side), 1.0, kMaxBoxSide);
}

}  // namespace

platform::gfx::Font drawingFont(const SkinFont& font) {
  const std::string& family = !font.family.empty() ? font.family : font.name;
  return {family.empty() ? std::string(platform::gfx::kFallbackFamily) : family,
          static_cast<double>(font.size > 0 ? font.size : 16)};
}

std::vector<std::string> SeperateInputString(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  auto keep = [&](std::string_view piece) {
    if (platform::text::is_valid_utf8(piece)) pieces.emplace_back(piece);
  };
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    keep(text.substr(start, at - start));
    start = at + 1;
  }
  if (start < text.size()) keep(text.substr(start));
  return pieces;
}

Size WidthForStringDrawing(std::string_view text, const SkinFont& font, double maxWidth) {
  const platform::gfx::TextMetrics metrics = platform::gfx::measure(text, drawingFont(font));
  if (!(maxWidth > 0) || metrics.width <= maxWidth) return {metrics.width, metrics.height};
  // A line wider than the container continues on further lines of the same height.
  const double lines = std::ceil(metrics.width / maxWidth);
  return {maxWidth, metrics.height * lines};
}

bool QBorderlessView::usesSkinStyle() const {
  if (schemeMode == 0) return false;
  return dictionary || std::any_of(images.begin(), images.end(), [](const auto& piece) { return piece.has_value(); });
}

std::vector<std::string> QBorderlessView::candidateLabels(const std::vector<std::string>& candidates,
                                                          bool vertical) const {
  std::vector<std::string> labels;
  const std::size_t count = std::min(candidates.size(), kMaxLabels);
  for (std::size_t i = 0; i < count; ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string label =
        fixedNumbering ? kepcandidate::formatLabel("%d.%@", number, candidates[i])
                       : kepcandidate::formatLabel(labelFormat, number, candidates[i]);
    labels.push_back(i == 0 || vertical ? label : " " + label);
  }
  return labels;
}

std::vector<platform::ui::Screen> QBorderlessView::placementScreens() const {
  return screens.empty() ? platform::ui::screens() : screens;
}

platform::ui::Point QBorderlessView::placementCaret(platform::ui::Point at) {
  x = static_cast<int>(std::clamp(std::isfinite(at.x) ? at.x : 0.0, -1e6, 1e6));
  y = static_cast<int>(std::clamp(std::isfinite(at.y) ? at.y : 0.0, -1e6, 1e6));
  if (x != 0 || y != 0) lastCaret_ = {static_cast<double>(x), static_cast<double>(y)};
  return lastCaret_;
}

int QBorderlessView::displayCandidateString(std::string_view candidates, std::string_view title,
                                            platform::ui::Point at, double caretHeight) {
  placementCaret(at);
  const std::vector<std::string> pieces = SeperateInputString(candidates, '\x01');
  py = platform::text::is_valid_utf8(title) ? std::string(title) : std::string();
  if (usesSkinStyle()) {
    layoutSkin(pieces, py, caretHeight);
  } else {
    layoutPlain(pieces, py);
  }
  return 0;
}

void QBorderlessView::layoutPlain(const std::vector<std::string>& candidates, std::string_view title) {
  shownLabels = candidateLabels(candidates, false);
  hz = traditional ? "繁 " : "";
  for (const std::string& label : shownLabels) hz += label;
  if (showPage) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, " (%d/%d)", page, total);
    hz += suffix;
  }
  const double fontHeight = plain.fontHeight;
  hzSize = WidthForStringDrawing(hz, plain.font, kMeasureWidth);
  double width = hzSize.width + (showPage ? 30 : 55);
  // The skin's font height counts only once a skin was loaded.
  const int skinFontHeight = dictionary ? hzFontHeight : 0;
  double height = fontHeight + (skinFontHeight > 19 ? 27 : 25);
  if (imeMode == 1 && !title.empty() && title != "-") height += fontHeight + 8;
  width = bounded_side(width);
  height = bounded_side(height);
  boxSize = {width, height};

  const Placement placed =
      viewBoundsForSize(width, height, lastCaret_, fontHeight, false, placementScreens());
  screenRect = placed.screenRect;
  visualRect = placed.visualRect;
  windowFrame = {placed.box.x, placed.box.y + 15, width, height};
  layerImage.reset();
}

void QBorderlessView::layoutSkin(const std::vector<std::string>& candidates, std::string_view title,
                                 double caretHeight) {
  const bool horizontal = schemeIndex == 0;
  const bool vertical = schemeIndex == 2;
  shownLabels = horizontal || vertical ? candidateLabels(candidates, vertical) : std::vector<std::string>{};
  // A page sent at (0, 0) keeps the heights of the page before it, so turning pages does not
  // make the box jump; the first page is always measured.
  const bool measureHeights = x != 0 || y != 0 || !measuredOnce_;

  const Size title_size = WidthForStringDrawing(title, pyFont, kMeasureWidth);
  pySize.width = title_size.width;
  if (measureHeights) pySize.height = title_size.height;

  if (horizontal) {
    hz.clear();
    for (const std::string& label : shownLabels) hz += label;
    const Size line = WidthForStringDrawing(hz, hzFont, kMeasureWidth);
    hzSize.width = line.width;
    if (measureHeights) hzSize.height = line.height + 2;
  } else if (vertical && !shownLabels.empty()) {
    hz.clear();
    double widest = -1;
    double total_height = 0;
    double last_height = 0;
    for (const std::string& label : shownLabels) {
      const Size row = WidthForStringDrawing(label, hzFont, kMeasureWidth);
      widest = std::max(widest, row.width);
      total_height += row.height + 8;
      last_height = row.height;
    }
    hzSize = {widest, total_height};
    hzHeight = static_cast<float>(last_height + 8);
  }
  measuredOnce_ = true;

  const double a = pyMarge[2] + pySize.width + pyMarge[3];
  const double b = hzMarge[2] + hzSize.width + hzMarge[3];
  double width = a > b ? a + 8 : b + 43;
  const double s = pySize.height + hzSize.height + pyMarge[0] + pyMarge[1] + hzMarge[0] + hzMarge[1];
  const auto& r = rect;
  const double left_column = r[0].height + r[3].height + r[6].height;
  double height = lastBoxHeight_;
  if (horizontal) {
    width = std::max(width, static_cast<double>(r[0].width + r[2].width));
    double top = 0;
    for (int i = 0; i < 3; ++i)
      if (r[i].height > 0) top = r[i].height;
    if (s > top) top = s + 5;
    height = std::max(top, left_column);
  } else if (vertical) {
    width = std::max(width, static_cast<double>(r[0].width + r[1].width + r[2].width));
    height = std::max(left_column, s);
  }
  width = bounded_side(width);
  height = bounded_side(height);
  lastBoxHeight_ = height;
  boxSize = {width, height};

  const Placement placed = viewBoundsForSize(width, height, lastCaret_, caretHeight, true, placementScreens());
  screenRect = placed.screenRect;
  visualRect = placed.visualRect;
  const double origin_x = placed.box.x - anchor[1];
  const double origin_y = placed.box.y + anchor[0];

  placePieces(width, height);
  if (horizontal || vertical) {
    pyPoint = {static_cast<double>(pyMarge[2]), height - pyMarge[0] - pySize.height - 4};
    hzPoint = {static_cast<double>(hzMarge[2]), pyPoint.y - pyMarge[1] - hzMarge[0] - hzSize.height};
  }
  drawToLayer(static_cast<int>(width), static_cast<int>(height));
  windowFrame = {origin_x, origin_y, width + kShadowRoom, height + kShadowRoom};
}

void QBorderlessView::placePieces(double width, double height) {
  auto w = [&](int i) { return static_cast<double>(rect[static_cast<std::size_t>(i)].width); };
  auto h = [&](int i) { return static_cast<double>(rect[static_cast<std::size_t>(i)].height); };
  const bool keepHeight = layout_v[0] == 2;
  const double d = keepHeight ? srcImageHeight : height;
  const double xs[9] = {0, w(0), width - w(2), 0, w(3), width - w(5), 0, w(6), width - w(8)};
  double ys[9] = {d - h(0), d - h(1), d - h(2), h(6), h(7), h(8), 0, 0, 0};
  if (keepHeight) {
    for (int column = 0; column < 3; ++column) {
      ys[3 + column] = d - h(column) - h(3 + column);
      ys[6 + column] = d - h(column) - h(3 + column) - h(6 + column);
    }
  }
  const double raise = layout_v[0] == 50 && height > srcImageHeight ? height - srcImageHeight : 0;
  for (int i = 0; i < 9; ++i) pieceRects[static_cast<std::size_t>(i)] = {xs[i], ys[i] + raise, w(i), h(i)};
}

}  // namespace kepskin
