#include "IMKKEP/windows/LinkFieldView.h"

#include <cmath>

#include "IMKKEP/windows/KEPAboutFace.h"
#include "platform/gfx/text.h"
#include "platform/ui/controls.h"

namespace imkkep {
namespace {
constexpr platform::gfx::Colour kLinkBlue{0, 0, 1, 1};

platform::gfx::Font link_font() {
  return {"Lucida Grande", std::floor(platform::ui::kSmallSystemFontSize)};
}
}  // namespace

LinkFieldView::LinkFieldView(platform::ui::Rect frame) : View(frame) {}

void LinkFieldView::setText(std::string_view text) {
  if (text.empty()) return;
  text_ = std::string(text);
  set_needs_display();
}

void LinkFieldView::mouseEntered() {
  if (platform::ui::Window* window = this->window()) {
    last_cursor_ = window->cursor();
    window->set_cursor("pointing-hand");
  }
  hover_ = true;
  set_needs_display();
}

void LinkFieldView::mouseExited() {
  if (platform::ui::Window* window = this->window(); window != nullptr && !last_cursor_.empty()) {
    window->set_cursor(last_cursor_);
  }
  last_cursor_.clear();
  hover_ = false;
  set_needs_display();
}

void LinkFieldView::draw(platform::gfx::Canvas& canvas) const {
  const platform::gfx::Font font = link_font();
  const platform::gfx::TextMetrics metrics = platform::gfx::measure(text_, font);
  platform::gfx::draw_text(canvas, text_, font, {0, metrics.height}, kLinkBlue);
  if (hover_) {
    const double baseline = metrics.height - metrics.ascent - 1;
    canvas.line({0, baseline}, {metrics.width, baseline}, kLinkBlue, 1);
  }
}

bool LinkFieldView::mouse_down(const platform::ui::MouseEvent&) {
  if (text_ == kNotDefined) return true;
  if (action_) {
    // A copy: the action may replace it.
    std::function<void()> action = action_;
    action();
  }
  return true;
}

void LinkFieldView::mouse_up(const platform::ui::MouseEvent&) {}

void LinkFieldView::describe_into(platform::plist::Dictionary& shows) const {
  shows.set("text", text_);
  shows.set("hover", hover_);
}

void LinkFieldView::view_did_move_to_window() {
  if (auto* face = dynamic_cast<KEPAboutFace*>(window())) face->trackLink(*this);
}

}  // namespace imkkep
