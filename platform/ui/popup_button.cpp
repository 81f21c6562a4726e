#include "platform/ui/popup_button.h"


#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"
#include "platform/ui/popup_menu_window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

constexpr double kArrowWidth = 16;

bool choosable(const PopUpItem& item) { return !item.separator && !item.hidden; }

}  // namespace

PopUpButton::PopUpButton(Rect frame) : View(frame) {}

PopUpButton::~PopUpButton() {
  if (menu_) menu_->close();
}

void PopUpButton::remove_all_items() {
  items_.clear();
  selected_ = -1;
  set_needs_display();
}

void PopUpButton::add_item(std::string title, int tag) {
  items_.push_back(PopUpItem{std::move(title), tag, false, false});
  // A pop-up button shows an item as soon as it has one.
  if (selected_ < 0) selected_ = static_cast<int>(items_.size()) - 1;
  set_needs_display();
}

void PopUpButton::add_separator() {
  items_.push_back(PopUpItem{"", 0, false, true});
  set_needs_display();
}

PopUpItem* PopUpButton::item_at(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return &items_[index];
}

int PopUpButton::index_of_item_with_tag(int tag) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i].separator && items_[i].tag == tag) return static_cast<int>(i);
  }
  return -1;
}

void PopUpButton::set_item_hidden(int index, bool hidden) {
  if (PopUpItem* item = item_at(index)) {
    item->hidden = hidden;
    set_needs_display();
  }
}

const PopUpItem* PopUpButton::selected_item() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(items_.size())) return nullptr;
  return &items_[selected_];
}

void PopUpButton::select_item_at(int index) {
  const PopUpItem* item = item_at(index);
  if (item == nullptr || item->separator) return;
  selected_ = index;
  set_needs_display();
}

void PopUpButton::open_menu() {
  Window* window = this->window();
  if (window == nullptr || window->registry() == nullptr) return;
  bool any_visible = false;
  for (const PopUpItem& item : items_) any_visible = any_visible || choosable(item);
  if (!any_visible) return;

  // A closed menu may still be inside its own event handler (its choice can reopen the menu):
  // it waits one opening longer before it goes.
  if (menu_) menu_->close();
  retired_menu_ = std::move(menu_);

  const Point top_left = window->convert_to_screen(convert_to_window(Point{0, 0}));
  auto menu = std::make_unique<PopUpMenuWindow>(*this, window->program(),
                                                window->name() + ".menu", top_left,
                                                frame().width);
  if (!window->registry()->add(*menu)) return;
  menu->order_front();
  menu->display_reporting_errors();
  menu_ = std::move(menu);
  set_needs_display();
}

bool PopUpButton::is_menu_open() const { return menu_ && !menu_->is_closed(); }

bool PopUpButton::choose_item(int index) {
  const PopUpItem* item = item_at(index);
  if (item == nullptr || !choosable(*item)) return false;
  selected_ = index;
  set_needs_display();
  if (action_) {
    // A copy: the action may destroy this button.
    Action action = action_;
    action(*this);
  }
  return true;
}

void PopUpButton::draw(gfx::Canvas& canvas) const {
  look::bezel(canvas, bounds(), is_menu_open(), true);
  const PopUpItem* item = selected_item();
  const Rect title_box{0, 0, std::max(0.0, frame().width - kArrowWidth), frame().height};
  if (item) {
    look::text_in_box(canvas, item->title, system_font(), title_box, look::Align::Left,
                      look::kText, 8);
  }
  // A small downward triangle marks the menu.
  const double centre_x = frame().width - kArrowWidth / 2;
  const double centre_y = frame().height / 2;
  gfx::Path arrow;
  arrow.move_to(gfx::Point{centre_x - 4, centre_y + 2});
  arrow.line_to(gfx::Point{centre_x + 4, centre_y + 2});
  arrow.line_to(gfx::Point{centre_x, centre_y - 3});
  arrow.close();
  canvas.fill(arrow, look::kText);
}

bool PopUpButton::mouse_down(const MouseEvent&) {
  open_menu();
  return true;
}

const char* PopUpButton::kind() const { return "popup"; }

void PopUpButton::describe_into(plist::Dictionary& shows) const {
  plist::Array titles;
  for (const PopUpItem& item : items_) {
    if (item.hidden) continue;
    titles.push_back(item.separator ? std::string("-") : item.title);
  }
  shows.set("items", std::move(titles));
  shows.set("selected", selected_);
  const PopUpItem* item = selected_item();
  shows.set("selected_title", item ? item->title : std::string());
  shows.set("menu_open", is_menu_open());
}

void PopUpButton::view_did_move_to_window() {
  // The menu was placed for the old window.
  if (menu_) menu_->close();
}

}  // namespace platform::ui
