#include "platform/ui/control_drawing.h"

#include <algorithm>

#include <cmath>
#include <vector>

#include "platform/gfx/path.h"
#include "platform/ui/controls.h"

namespace platform::ui::look {
namespace {

constexpr double kCheckSide = 12;
constexpr double kCheckTitleGap = 6;

// A check box's or radio button's title, after its box.
void title_after_box(gfx::Canvas& canvas, const Rect& box, const Rect& rect,
                     std::string_view title, bool enabled) {
  const double text_x = box.x + kCheckSide + kCheckTitleGap;
  text_in_box(canvas, title, system_font(),
              Rect{text_x, rect.y, rect.x + rect.width - text_x, rect.height}, Align::Left,
              enabled ? kText : kDisabledText);
}

}  // namespace

void bezel(gfx::Canvas& canvas, const Rect& rect, bool pressed, bool rounded) {
  if (rect.width < 1 || rect.height < 1) return;
  // Half a point in, so the 1-point border lies on whole pixels.
  const Rect inner{rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1};
  const gfx::Colour& fill = pressed ? kBezelPressed : kBezel;
  if (rounded) {
    const gfx::Path outline = gfx::Path::rounded_rectangle(inner, 4);
    canvas.fill(outline, fill);
    canvas.stroke(outline, kBorder, 1);
  } else {
    canvas.fill(rect, fill);
    canvas.stroke(inner, kBorder, 1);
  }
}

void text_in_box(gfx::Canvas& canvas, std::string_view text, const gfx::Font& font,
                 const Rect& box, Align align, const gfx::Colour& colour, double inset) {
  if (text.empty()) return;
  const gfx::TextMetrics metrics = gfx::measure(text, font);
  double x = box.x + inset;
  if (align == Align::Centre) x = box.x + std::max(inset, (box.width - metrics.width) / 2);
  if (align == Align::Right) x = box.x + box.width - inset - metrics.width;
  // The layout box hangs down from its top edge on a y-up canvas too.
  const double top = box.y + (box.height + metrics.height) / 2;
  gfx::draw_text(canvas, text, font, gfx::Point{x, top}, colour);
}

void check_box(gfx::Canvas& canvas, const Rect& rect, std::string_view title, bool on,
               bool enabled, bool highlighted) {
  const Rect box{rect.x + 1, rect.y + std::floor((rect.height - kCheckSide) / 2), kCheckSide,
                 kCheckSide};
  bezel(canvas, box, highlighted, false);
  if (on) {
    const gfx::Point start{box.x + 3, box.y + 6};
    const gfx::Point bottom{box.x + 5, box.y + 3};
    const gfx::Point end{box.x + 9.5, box.y + 9.5};
    canvas.line(start, bottom, kText, 2);
    canvas.line(bottom, end, kText, 2);
  }
  title_after_box(canvas, box, rect, title, enabled);
}

void radio_button(gfx::Canvas& canvas, const Rect& rect, std::string_view title, bool on,
                  bool enabled, bool highlighted) {
  const Rect box{rect.x + 1, rect.y + std::floor((rect.height - kCheckSide) / 2), kCheckSide,
                 kCheckSide};
  const gfx::Path circle = gfx::Path::rounded_rectangle(
      Rect{box.x + 0.5, box.y + 0.5, box.width - 1, box.height - 1}, (kCheckSide - 1) / 2);
  canvas.fill(circle, highlighted ? kBezelPressed : kBezel);
  canvas.stroke(circle, kBorder, 1);
  if (on) {
    canvas.fill(gfx::Path::rounded_rectangle(Rect{box.x + 3.5, box.y + 3.5, 5, 5}, 2.5), kText);
  }
  title_after_box(canvas, box, rect, title, enabled);
}

void text_field_frame(gfx::Canvas& canvas, const Rect& rect) {
  if (rect.width < 1 || rect.height < 1) return;
  canvas.fill(rect, kWhite);
  canvas.stroke(Rect{rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1}, kBorder, 1);
}

double line_height(const gfx::Font& font) { return gfx::measure("Ag", font).height; }

void editing_lines(gfx::Canvas& canvas, const TextEditor& editor, const gfx::Font& font,
                   Point top_left, double height, const gfx::Colour& colour, bool caret) {
  const std::string& text = editor.text();
  const std::size_t selected_from = editor.selection_start_byte();
  const std::size_t selected_to = editor.selection_end_byte();
  const auto width_of = [&](std::size_t from, std::size_t to) {
    return to > from ? gfx::measure(std::string_view(text).substr(from, to - from), font).width
                     : 0.0;
  };
  double top = top_left.y;
  for (std::size_t start = 0;; top -= height) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::size_t from = std::clamp(selected_from, start, end);
    const std::size_t to = std::clamp(selected_to, start, end);
    // A selection crossing the line break shows a little of it.
    const double past_end = selected_to > end && selected_from <= end && end < text.size() ? 4 : 0;
    if (to > from || past_end > 0) {
      const double x = top_left.x + width_of(start, from);
      canvas.fill(Rect{x, top - height, width_of(from, to) + past_end, height}, kTextSelection);
    }
    if (end > start) {
      gfx::draw_text(canvas, std::string_view(text).substr(start, end - start), font,
                     gfx::Point{top_left.x, top}, colour);
    }
    const std::size_t at = editor.caret_byte();
    if (caret && selected_from == selected_to && at >= start && at <= end) {
      const double x = std::floor(top_left.x + width_of(start, at)) + 0.5;
      canvas.line(gfx::Point{x, top}, gfx::Point{x, top - height}, kText, 1);
    }
    if (end == text.size()) break;
    start = end + 1;
  }
}

void editing_line_in_box(gfx::Canvas& canvas, const TextEditor& editor, const gfx::Font& font,
                         const Rect& box, const gfx::Colour& colour, double inset) {
  const double height = line_height(font);
  editing_lines(canvas, editor, font, Point{box.x + inset, box.y + (box.height + height) / 2},
                height, colour, true);
}

std::size_t character_at(std::string_view line, const gfx::Font& font, double x) {
  // The boundaries between characters; the width up to one grows with it, so a click is found
  // by halving rather than by measuring every prefix of a long line.
  std::vector<std::size_t> boundaries{0};
  for (std::size_t at = 1; at <= line.size(); ++at) {
    if (at == line.size() || (static_cast<unsigned char>(line[at]) & 0xc0) != 0x80) {
      boundaries.push_back(at);
    }
  }
  const auto width_to = [&](std::size_t index) {
    return gfx::measure(line.substr(0, boundaries[index]), font).width;
  };
  // The first boundary at or past the click, then whichever of it and the one before is nearer.
  std::size_t low = 0;
  std::size_t high = boundaries.size() - 1;
  if (width_to(high) <= x) return high;
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (width_to(middle) < x) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == 0) return 0;
  return x - width_to(low - 1) < width_to(low) - x ? low - 1 : low;
}

}  // namespace platform::ui::look
