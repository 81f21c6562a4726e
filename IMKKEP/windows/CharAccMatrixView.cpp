#include "IMKKEP/windows/CharAccMatrixView.h"

#include <algorithm>
#include <memory>

namespace imkkep {

CharAccMatrixView::CharAccMatrixView(platform::ui::Rect frame, SendText send)
    : View(frame), send_(std::move(send)) {}

void CharAccMatrixView::setRowColumnCount(int rows, int columns, int count) {
  _row = std::max(rows, 0);
  _col = std::max(columns, 0);
  _count = std::max(count, 0);
  platform::ui::Rect frame = this->frame();
  frame.height = std::max(_row * kCell, kMinimumHeight);
  set_frame(frame);

  remove_all_subviews();
  _buttons.clear();
  // A short grid hangs from the top of the smallest height.
  const int top = _row * kCell < kMinimumHeight ? kMinimumHeight - kCell : _row * kCell - kCell;
  for (int r = 0; r < _row && static_cast<int>(_buttons.size()) < _count; ++r) {
    for (int c = 0; c < _col && static_cast<int>(_buttons.size()) < _count; ++c) {
      auto button = std::make_unique<platform::ui::Button>(platform::ui::Rect{
          static_cast<double>(c * kCell), static_cast<double>(top - r * kCell), kButton, kButton});
      button->set_bezel_style(platform::ui::kSmallSquareBezelStyle);
      button->set_tag(static_cast<int>(_buttons.size()));
      button->set_action([this](platform::ui::Button& sender) { sendAccText(sender); });
      _buttons.push_back(&add_subview(std::move(button)));
    }
  }
  set_needs_display();
}

void CharAccMatrixView::setTitle(std::string title, int row, int column) {
  if (row < 0 || column < 0 || row >= _row || column >= _col) return;
  const int index = row * kColumns + column;
  if (index >= _count || index >= static_cast<int>(_buttons.size())) return;
  _buttons[index]->set_title(std::move(title));
}

void CharAccMatrixView::sendAccText(platform::ui::Button& sender) {
  if (!sender.title().empty() && send_) send_(sender.title());
}

void CharAccMatrixView::describe_into(platform::plist::Dictionary& shows) const {
  shows.set("rows", _row);
  shows.set("columns", _col);
  shows.set("count", _count);
}

}  // namespace imkkep
