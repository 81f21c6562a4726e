#include "platform/ui/control_drawing.h"

#include <algorithm>

#include <cmath>

#include "platform/gfx/path.h"
#include "platform/ui/controls.h"

namespace platform::ui::look {
namespace {

constexpr double kCheckSide = 12;
constexpr double kCheckTitleGap = 6;

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
  const double text_x = box.x + kCheckSide + kCheckTitleGap;
  text_in_box(canvas, title, system_font(),
              Rect{text_x, rect.y, rect.x + rect.width - text_x, rect.height}, Align::Left,
              enabled ? kText : kDisabledText);
}

}  // namespace platform::ui::look
