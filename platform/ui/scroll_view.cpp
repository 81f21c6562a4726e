#include "platform/ui/scroll_view.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/rect_values.h"

namespace platform::ui {

ScrollView::ScrollView(Rect frame) : View(frame) {}

View& ScrollView::set_document_view(std::unique_ptr<View> document) {
  if (document_) remove_subview(*document_);
  document_ = &add_subview(std::move(document));
  // A document is read from its top: show that first.
  scroll_to_point(Point{0, document_->frame().height});
  return *document_;
}

Rect ScrollView::document_visible_rect() const {
  if (!document_) return bounds();
  // The document's origin sits at minus the visible origin in this view.
  // 0 - v rather than -v: no "-0" in the state.
  return Rect{0.0 - document_->frame().x, 0.0 - document_->frame().y, frame().width,
              frame().height};
}

void ScrollView::scroll_to_point(Point point) {
  if (!document_ || !std::isfinite(point.x) || !std::isfinite(point.y)) return;
  const Rect& document = document_->frame();
  const double x = std::clamp(point.x, 0.0, std::max(0.0, document.width - frame().width));
  const double y = std::clamp(point.y, 0.0, std::max(0.0, document.height - frame().height));
  document_->set_frame_origin(Point{0.0 - x, 0.0 - y});
  set_needs_display();
}

void ScrollView::tile() {
  const Rect visible = document_visible_rect();
  scroll_to_point(Point{visible.x, visible.y});
}

bool ScrollView::scroll_wheel(Point, double delta_y) {
  if (!document_) return false;
  const Rect visible = document_visible_rect();
  // Positive shows what is above: in a y-up document that is a larger y.
  scroll_to_point(Point{visible.x, visible.y + delta_y});
  return true;
}

const char* ScrollView::kind() const { return "scroll"; }

void ScrollView::describe_into(plist::Dictionary& shows) const {
  shows.set("visible", rect_dictionary(document_visible_rect()));
}

void ScrollView::frame_size_did_change() { tile(); }

}  // namespace platform::ui
