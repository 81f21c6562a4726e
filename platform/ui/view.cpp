#include "platform/ui/view.h"

#include <cairo.h>

#include <algorithm>

#include "platform/ui/content_root.h"
#include "platform/ui/rect_values.h"

namespace platform::ui {
View::View(Rect frame) {
  if (is_finite(frame) && frame.width >= 0 && frame.height >= 0) frame_ = frame;
}

View::~View() {
  // The subviews go after this body runs and tell the window themselves.
  if (window_) window_->forget_view(*this);
}

void View::set_frame(Rect frame) {
  if (!is_finite(frame) || frame.width < 0 || frame.height < 0) return;
  const bool resized = frame.width != frame_.width || frame.height != frame_.height;
  frame_ = frame;
  set_needs_display();
  if (resized) frame_size_did_change();
}

void View::set_frame_origin(Point origin) {
  set_frame(Rect{origin.x, origin.y, frame_.width, frame_.height});
}

void View::set_hidden(bool hidden) {
  if (hidden_ == hidden) return;
  hidden_ = hidden;
  set_needs_display();
}

bool View::is_hidden_or_has_hidden_ancestor() const {
  for (const View* view = this; view; view = view->superview_) {
    if (view->hidden_) return true;
  }
  return false;
}

void View::set_identifier(std::string identifier) {
  identifier_ = std::move(identifier);
  set_needs_display();
}

Window* View::window() const { return window_; }

void View::adopt(std::unique_ptr<View> view) {
  if (!view) return;
  view->superview_ = this;
  subviews_.push_back(std::move(view));
  subviews_.back()->set_window(window_);
  set_needs_display();
}

bool View::remove_subview(View& view) {
  auto found = std::find_if(subviews_.begin(), subviews_.end(),
                            [&](const std::unique_ptr<View>& sub) { return sub.get() == &view; });
  if (found == subviews_.end()) return false;
  // Out of the list first, so the view's destructor sees a consistent tree.
  std::unique_ptr<View> removed = std::move(*found);
  subviews_.erase(found);
  set_needs_display();
  removed.reset();
  return true;
}

void View::remove_all_subviews() {
  std::vector<std::unique_ptr<View>> removed = std::move(subviews_);
  subviews_.clear();
  set_needs_display();
  removed.clear();
}

Point View::convert_to_window(Point in_view) const {
  for (const View* view = this; view; view = view->superview_) {
    in_view.x += view->frame_.x;
    in_view.y += view->frame_.y;
  }
  return in_view;
}

Point View::convert_from_window(Point in_window) const {
  for (const View* view = this; view; view = view->superview_) {
    in_window.x -= view->frame_.x;
    in_window.y -= view->frame_.y;
  }
  return in_window;
}

void View::set_needs_display() {
  if (window_) window_->set_needs_display();
}

View* View::hit_test(Point in_superview) {
  if (hidden_ || !contains(frame_, in_superview)) return nullptr;
  const Point local{in_superview.x - frame_.x, in_superview.y - frame_.y};
  // The last subview is drawn on top, so it is asked first.
  for (auto sub = subviews_.rbegin(); sub != subviews_.rend(); ++sub) {
    if (View* hit = (*sub)->hit_test(local)) return hit;
  }
  return this;
}

void View::draw(gfx::Canvas&) const {}
bool View::mouse_down(const MouseEvent&) { return false; }
void View::mouse_dragged(const MouseEvent&) {}
void View::mouse_up(const MouseEvent&) {}
bool View::scroll_wheel(Point, double) { return false; }
bool View::accepts_first_responder() const { return false; }
bool View::become_first_responder() { return true; }
bool View::resign_first_responder() { return true; }
bool View::key_down(const KeyEvent&) { return false; }
bool View::flags_changed(std::uint64_t) { return false; }

bool View::is_first_responder() const {
  return window_ != nullptr && window_->first_responder() == this;
}

plist::Value View::describe() const {
  plist::Dictionary shows;
  shows.set("kind", kind());
  shows.set("frame", rect_dictionary(frame_));
  if (hidden_) shows.set("hidden", true);
  if (!identifier_.empty()) shows.set("identifier", identifier_);
  describe_into(shows);
  if (!subviews_.empty()) {
    plist::Array subviews;
    subviews.reserve(subviews_.size());
    for (const auto& sub : subviews_) subviews.push_back(sub->describe());
    shows.set("subviews", std::move(subviews));
  }
  return shows;
}

const char* View::kind() const { return "view"; }
void View::describe_into(plist::Dictionary&) const {}
void View::view_did_move_to_window() {}
void View::frame_size_did_change() {}

void View::set_window(Window* window) {
  if (window_ == window) return;
  if (window_) window_->forget_view(*this);
  window_ = window;
  for (auto& sub : subviews_) sub->set_window(window);
  view_did_move_to_window();
}

void ContentRoot::attach(View& root, Window* window) { root.set_window(window); }

void ContentRoot::draw_tree(const View& view, gfx::Canvas& canvas) {
  if (view.is_hidden()) return;
  const Rect& frame = view.frame();
  canvas.save();
  cairo_translate(canvas.cairo(), frame.x, frame.y);
  canvas.clip(view.bounds());
  view.draw(canvas);
  for (const auto& sub : view.subviews()) draw_tree(*sub, canvas);
  canvas.restore();
}

}  // namespace platform::ui
