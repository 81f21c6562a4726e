// Windows run as sheets on other windows: placement, the end and who is told of it.
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/rect_values.h"
#include "platform/ui/window.h"

namespace platform::ui {

Rect WindowDelegate::will_position_sheet(Window&, Window&, Rect rect) { return rect; }
void WindowDelegate::did_end_sheet(Window&, Window&) {}

Rect Window::sheet_position(Window& sheet) {
  const Rect along_top{0, content_rect().height, frame_.width, 0};
  if (delegate_ == nullptr) return along_top;
  const Rect asked = delegate_->will_position_sheet(*this, sheet, along_top);
  if (!is_finite(asked) || asked.width < 0 || asked.height < 0) return along_top;
  return asked;
}

bool Window::can_begin_sheet(const Window& parent) const {
  // A window carrying a sheet stays where it is; it cannot hang from another one too.
  return !is_sheet() && attached_sheet_ == nullptr && &parent != this &&
         parent.attached_sheet_ == nullptr;
}

bool Window::begin_sheet(Window& parent, RunLoop& loop, SheetEndHandler on_end) {
  if (!can_begin_sheet(parent)) return false;
  sheet_parent_ = &parent;
  sheet_parent_name_ = parent.name();
  sheet_loop_ = &loop;
  sheet_end_ = std::move(on_end);
  parent.attached_sheet_ = this;
  parent.needs_display_ = true;
  needs_display_ = true;

  sheet_hang_ = Rect{0, parent.content_rect().height, parent.frame().width, 0};
  const Rect hang = parent.sheet_position(*this);
  // The delegate may have destroyed either window; then there is nothing left to place.
  if (sheet_parent_ == &parent) {
    sheet_hang_ = hang;
    set_frame(frame_);
  }
  make_key_and_order_front();
  display_reporting_errors();
  if (sheet_parent_ != nullptr) sheet_parent_->display_reporting_errors();
  return true;
}

Point Window::sheet_origin(Size size) const {
  const Rect& over = sheet_parent_->frame();
  return Point{std::floor(over.x + sheet_hang_.x + (sheet_hang_.width - size.width) / 2),
               over.y + sheet_hang_.y + sheet_hang_.height - size.height};
}

void Window::detach_sheet() {
  if (sheet_parent_ != nullptr) {
    sheet_parent_->attached_sheet_ = nullptr;
    sheet_parent_->needs_display_ = true;
  }
  sheet_parent_ = nullptr;
  sheet_parent_name_.clear();
  sheet_loop_ = nullptr;
  needs_display_ = true;
}

bool Window::end_sheet(int return_code) {
  if (!is_sheet()) return false;
  RunLoop& loop = *sheet_loop_;
  SheetEndHandler handler = std::move(sheet_end_);
  sheet_end_ = nullptr;
  Window* parent = sheet_parent_;
  std::string parent_name = sheet_parent_name_;
  detach_sheet();
  order_out();
  display_reporting_errors();
  if (parent != nullptr) {
    // The parent takes the keyboard back, as it had it before the sheet came.
    if (parent->is_visible()) parent->make_key_and_order_front();
    parent->display_reporting_errors();
  }

  std::shared_ptr<bool> parent_alive = parent ? parent->alive_ : nullptr;
  loop.perform([handler = std::move(handler), parent, parent_alive = std::move(parent_alive),
                sheet = this, sheet_alive = alive_, parent_name = std::move(parent_name),
                return_code] {
    if (handler) handler(return_code);
    if (parent != nullptr && *parent_alive && *sheet_alive && parent->delegate_ != nullptr) {
      parent->delegate_->did_end_sheet(*parent, *sheet);
    }
    notify::NotificationCenter::local().post(
        notify::Notification{std::string(kWindowDidEndSheetNotification), parent_name});
  });
  return true;
}

}  // namespace platform::ui
