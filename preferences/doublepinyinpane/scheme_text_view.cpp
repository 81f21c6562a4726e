#include "preferences/doublepinyinpane/scheme_text_view.h"

#include <algorithm>

#include "platform/ui/control_drawing.h"
#include "platform/ui/scroll_view.h"

namespace dpypane {

namespace {

// What the text view leaves above the first line and below the last.
constexpr double kMargin = 4;

double text_line_height() { return platform::ui::look::line_height(platform::ui::system_font()); }

}  // namespace

void SchemeTextView::show_text(std::string text) {
  set_text(std::move(text));
  fit_to_text();
  if (auto* scroll = dynamic_cast<platform::ui::ScrollView*>(superview())) {
    scroll->scroll_to_point({0, frame().height});
  }
}

bool SchemeTextView::key_down(const platform::ui::KeyEvent& event) {
  const bool taken = TextView::key_down(event);
  fit_to_text();
  scroll_caret_to_visible();
  return taken;
}

void SchemeTextView::fit_to_text() {
  auto* scroll = dynamic_cast<platform::ui::ScrollView*>(superview());
  if (scroll == nullptr) return;
  const auto lines = static_cast<double>(std::count(text().begin(), text().end(), '\n') + 1);
  const double height = std::max(scroll->frame().height, lines * text_line_height() + 2 * kMargin);
  if (height == frame().height) return;
  platform::ui::Rect grown = frame();
  grown.height = height;
  set_frame(grown);
  scroll->tile();
}

void SchemeTextView::scroll_caret_to_visible() {
  auto* scroll = dynamic_cast<platform::ui::ScrollView*>(superview());
  if (scroll == nullptr) return;
  const std::string& typed = text();
  const auto caret = typed.begin() + static_cast<std::ptrdiff_t>(editor().caret_byte());
  const auto line = static_cast<double>(std::count(typed.begin(), caret, '\n'));
  // The caret's line in the document's points (y up).
  const double top = frame().height - kMargin / 2 - line * text_line_height();
  const double bottom = top - text_line_height();
  const platform::ui::Rect visible = scroll->document_visible_rect();
  if (bottom < visible.y) {
    scroll->scroll_to_point({0, bottom - kMargin});
  } else if (top > visible.y + visible.height) {
    scroll->scroll_to_point({0, top + kMargin - visible.height});
  }
}

}  // namespace dpypane
