#include "platform/ui/popup_menu_window.h"

#include <algorithm>

#include "platform/gfx/canvas.h"
#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"
#include "platform/ui/popup_button.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {

PopUpMenuWindow::PopUpMenuWindow(PopUpButton& owner, std::string program, std::string name,
                                 Point top_left, double width)
    : Window(std::move(program), std::move(name), Rect{}, kBorderlessWindowMask),
      owner_(owner),
      selected_(owner.index_of_selected_item()) {
  double height = 0;
  const auto& items = owner.items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].hidden) continue;
    const bool separator = items[i].separator;
    Row row{separator ? std::string() : items[i].title, separator ? -1 : static_cast<int>(i), 0,
            separator ? kSeparatorHeight : kRowHeight};
    height += row.height;
    rows_.push_back(std::move(row));
  }
  // Rows run down from the top edge; y-up, so the first row has the largest y.
  double top = height;
  plist::Array listed;
  for (Row& row : rows_) {
    top -= row.height;
    row.y = top;
    if (row.index < 0) continue;
    plist::Dictionary entry;
    entry.set("title", row.title);
    entry.set("index", row.index);
    entry.set("y", row.y);
    entry.set("height", row.height);
    listed.push_back(std::move(entry));
  }
  width = std::max(width, kMinimumWidth);
  set_frame(Rect{top_left.x, top_left.y - height, width, height});
  set_level(kPopUpMenuWindowLevel);
  set_has_shadow(true);
  show("rows", std::move(listed));
  show("selected", selected_);
  set_content_drawer([this](gfx::Surface& picture) { draw_rows(picture); });
}

void PopUpMenuWindow::close() {
  if (closed_) return;
  closed_ = true;
  order_out();
  // Out of the registry, nobody else displays it: write the hidden state here.
  display_reporting_errors();
  if (registry()) registry()->remove(*this);
}

int PopUpMenuWindow::item_at(Point location) const {
  if (location.x < 0 || location.x >= frame().width) return -1;
  for (const Row& row : rows_) {
    if (location.y >= row.y && location.y < row.y + row.height) return row.index;
  }
  return -1;
}

void PopUpMenuWindow::choose(int index) {
  close();
  owner_.choose_item(index);
}

void PopUpMenuWindow::mouse_down(const MouseEvent& event) {
  if (closed_) return;
  const int index = item_at(event.location);
  if (index < 0) {
    close();
    return;
  }
  choose(index);
}

void PopUpMenuWindow::mouse_up(const MouseEvent& event) {
  if (closed_) return;
  // A release on a row chooses it (press on the button, drag, release); elsewhere it does not
  // close the menu, so the release that ends the opening click leaves it open.
  const int index = item_at(event.location);
  if (index >= 0) choose(index);
}

void PopUpMenuWindow::draw_rows(gfx::Surface& picture) const {
  gfx::Canvas canvas(picture, gfx::Orientation::y_up);
  const double width = frame().width;
  canvas.fill(Rect{0, 0, width, frame().height}, look::kBezel);
  canvas.stroke(Rect{0.5, 0.5, width - 1, frame().height - 1}, look::kBorder, 1);
  const gfx::Font font = system_font();
  for (const Row& row : rows_) {
    if (row.index < 0) {
      const double middle = row.y + row.height / 2;
      canvas.line(gfx::Point{4, middle}, gfx::Point{width - 4, middle}, look::kBorder, 1);
      continue;
    }
    const Rect box{0, row.y, width, row.height};
    if (row.index == selected_) {
      look::text_in_box(canvas, "\u2713", font, Rect{0, row.y, 18, row.height},
                        look::Align::Centre, look::kText);
    }
    look::text_in_box(canvas, row.title, font, box, look::Align::Left, look::kText, 18);
  }
}

}  // namespace platform::ui
