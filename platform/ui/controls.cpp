#include "platform/ui/controls.h"

#include <cmath>

#include "platform/ui/control_drawing.h"

namespace platform::ui {

gfx::Font system_font(double size_px) {
  // Resolved to an installed family by the font alias table.
  if (!std::isfinite(size_px) || size_px <= 0) size_px = 13;
  return gfx::Font{"Lucida Grande", size_px};
}

// Button ---------------------------------------------------------------------------------------

Button::Button(Rect frame, std::string title) : View(frame), title_(std::move(title)) {}

void Button::set_title(std::string title) {
  title_ = std::move(title);
  set_needs_display();
}

void Button::set_bezel_style(int style) {
  bezel_style_ = style;
  set_needs_display();
}

void Button::set_enabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) highlighted_ = false;
  set_needs_display();
}

void Button::perform_click() {
  if (!enabled_) return;
  // Headless, the highlight lasts no visible time: it is gone before the action runs.
  highlighted_ = false;
  set_needs_display();
  clicked();
}

void Button::draw(gfx::Canvas& canvas) const {
  look::bezel(canvas, bounds(), highlighted_, bezel_style_ != kSmallSquareBezelStyle);
  look::text_in_box(canvas, title_, system_font(), bounds(), look::Align::Centre,
                    enabled_ ? look::kText : look::kDisabledText, 4);
}

bool Button::mouse_down(const MouseEvent& event) {
  if (!enabled_) return false;
  highlighted_ = contains(bounds(), event.location);
  set_needs_display();
  return true;
}

void Button::mouse_dragged(const MouseEvent& event) {
  const bool inside = contains(bounds(), event.location);
  if (inside == highlighted_) return;
  highlighted_ = inside;
  set_needs_display();
}

void Button::mouse_up(const MouseEvent& event) {
  highlighted_ = false;
  set_needs_display();
  // Last: the action may remove this button.
  if (enabled_ && contains(bounds(), event.location)) clicked();
}

const char* Button::kind() const { return "button"; }

void Button::describe_into(plist::Dictionary& shows) const {
  shows.set("title", title_);
  shows.set("tag", tag_);
  shows.set("enabled", enabled_);
  shows.set("highlighted", highlighted_);
}

void Button::clicked() { run_action(); }

void Button::run_action() {
  if (!action_) return;
  // A copy: the action may destroy this button and the function with it.
  Action action = action_;
  action(*this);
}

// CheckBox -------------------------------------------------------------------------------------

CheckBox::CheckBox(Rect frame, std::string title) : Button(frame, std::move(title)) {}

void CheckBox::set_on(bool on) {
  on_ = on;
  set_needs_display();
}

void CheckBox::draw(gfx::Canvas& canvas) const {
  look::check_box(canvas, bounds(), title(), on_, is_enabled(), is_highlighted());
}

const char* CheckBox::kind() const { return "checkbox"; }

void CheckBox::describe_into(plist::Dictionary& shows) const {
  Button::describe_into(shows);
  shows.set("on", on_);
}

void CheckBox::clicked() {
  on_ = !on_;
  set_needs_display();
  run_action();
}

}  // namespace platform::ui
