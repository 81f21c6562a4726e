#include "platform/ui/control_drawing.h"

#include <algorithm>

#include "platform/gfx/path.h"

namespace platform::ui::look {

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

}  // namespace platform::ui::look
