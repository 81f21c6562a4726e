#include "platform/ui/check_box_matrix.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/control_drawing.h"
#include "platform/ui/rect_values.h"

namespace platform::ui {

CheckBoxMatrix::CheckBoxMatrix(Rect frame, int rows, int columns)
    : CheckBoxMatrix(frame, rows, columns, false) {}

CheckBoxMatrix::CheckBoxMatrix(Rect frame, int rows, int columns, bool radio)
    : View(frame), radio_(radio) {
  rows = std::max(rows, 0);
  columns = std::max(columns, 0);
  if (static_cast<long long>(rows) * columns > kMaxCells) rows = columns = 0;
  rows_ = rows;
  columns_ = columns;
  cells_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_));
  if (radio_ && !cells_.empty()) cells_.front().on = true;
}

void CheckBoxMatrix::set_spacing(double across, double down) {
  if (!std::isfinite(across) || !std::isfinite(down) || across < 0 || down < 0) return;
  spacing_across_ = across;
  spacing_down_ = down;
  set_needs_display();
}

const CheckBoxMatrix::Cell* CheckBoxMatrix::cell(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return nullptr;
  return &cells_[static_cast<std::size_t>(row) * columns_ + column];
}

CheckBoxMatrix::Cell* CheckBoxMatrix::cell(int row, int column) {
  return const_cast<Cell*>(std::as_const(*this).cell(row, column));
}

CheckBoxMatrix::Cell* CheckBoxMatrix::changed_cell(int row, int column) {
  Cell* found = cell(row, column);
  if (found) set_needs_display();
  return found;
}

const std::string& CheckBoxMatrix::title(int row, int column) const {
  static const std::string none;
  const Cell* found = cell(row, column);
  return found ? found->title : none;
}

bool CheckBoxMatrix::set_title(int row, int column, std::string title) {
  Cell* found = changed_cell(row, column);
  if (found) found->title = std::move(title);
  return found != nullptr;
}

bool CheckBoxMatrix::is_on(int row, int column) const {
  const Cell* found = cell(row, column);
  return found && found->on;
}

bool CheckBoxMatrix::set_on(int row, int column, bool on) {
  Cell* found = changed_cell(row, column);
  if (!found) return false;
  if (radio_) {
    if (!on) return !found->on;
    for (Cell& each : cells_) each.on = false;
  }
  found->on = on;
  return true;
}

void CheckBoxMatrix::turn(int row, int column) {
  if (radio_) {
    set_on(row, column, true);
  } else {
    set_on(row, column, !is_on(row, column));
  }
}

bool CheckBoxMatrix::is_cell_enabled(int row, int column) const {
  const Cell* found = cell(row, column);
  return found && found->enabled;
}

bool CheckBoxMatrix::set_cell_enabled(int row, int column, bool enabled) {
  Cell* found = changed_cell(row, column);
  if (found) found->enabled = enabled;
  return found != nullptr;
}

void CheckBoxMatrix::set_enabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) {
    pressed_.reset();
    highlighted_ = false;
  }
  set_needs_display();
}

std::optional<Rect> CheckBoxMatrix::cell_rect(int row, int column) const {
  if (!cell(row, column)) return std::nullopt;
  const double width = (frame().width - spacing_across_ * (columns_ - 1)) / columns_;
  const double height = (frame().height - spacing_down_ * (rows_ - 1)) / rows_;
  const double top = frame().height - row * (height + spacing_down_);
  return Rect{column * (width + spacing_across_), top - height, std::max(width, 0.0),
              std::max(height, 0.0)};
}

std::optional<std::pair<int, int>> CheckBoxMatrix::cell_at(Point point) const {
  if (rows_ == 0 || columns_ == 0) return std::nullopt;
  const double width = (frame().width - spacing_across_ * (columns_ - 1)) / columns_;
  const double height = (frame().height - spacing_down_ * (rows_ - 1)) / rows_;
  if (!(width > 0) || !(height > 0)) return std::nullopt;
  const int column = static_cast<int>(std::floor(point.x / (width + spacing_across_)));
  const int row = static_cast<int>(std::floor((frame().height - point.y) / (height + spacing_down_)));
  const std::optional<Rect> rect = cell_rect(row, column);
  if (!rect || !contains(*rect, point)) return std::nullopt;
  return std::pair{row, column};
}

bool CheckBoxMatrix::clickable(int row, int column) const {
  const Cell* found = cell(row, column);
  return enabled_ && found && found->enabled;
}

bool CheckBoxMatrix::perform_click(int row, int column) {
  if (!clickable(row, column)) return false;
  turn(row, column);
  clicked_row_ = row;
  clicked_column_ = column;
  set_needs_display();
  if (action_) {
    // A copy: the action may remove the matrix.
    Action action = action_;
    action(*this, row, column);
  }
  return true;
}

bool CheckBoxMatrix::mouse_down(const MouseEvent& event) {
  pressed_.reset();
  highlighted_ = false;
  const auto at = cell_at(event.location);
  if (!at || !clickable(at->first, at->second)) return false;
  pressed_ = at;
  highlighted_ = true;
  set_needs_display();
  return true;
}

void CheckBoxMatrix::mouse_dragged(const MouseEvent& event) {
  if (!pressed_) return;
  const bool inside = cell_at(event.location) == pressed_;
  if (inside == highlighted_) return;
  highlighted_ = inside;
  set_needs_display();
}

void CheckBoxMatrix::mouse_up(const MouseEvent& event) {
  const std::optional<std::pair<int, int>> pressed = pressed_;
  pressed_.reset();
  highlighted_ = false;
  set_needs_display();
  // Last: the action may remove the matrix.
  if (pressed && cell_at(event.location) == pressed) perform_click(pressed->first, pressed->second);
}

void CheckBoxMatrix::draw(gfx::Canvas& canvas) const {
  for (int row = 0; row < rows_; ++row) {
    for (int column = 0; column < columns_; ++column) {
      const Cell& each = *cell(row, column);
      const bool pressed = highlighted_ && pressed_ == std::pair{row, column};
      const auto draw_cell = radio_ ? look::radio_button : look::check_box;
      draw_cell(canvas, *cell_rect(row, column), each.title, each.on, enabled_ && each.enabled,
                pressed);
    }
  }
}

const char* CheckBoxMatrix::kind() const { return "matrix"; }

void CheckBoxMatrix::describe_into(plist::Dictionary& shows) const {
  shows.set("rows", rows_);
  shows.set("columns", columns_);
  shows.set("enabled", enabled_);
  shows.set("clickedRow", clicked_row_);
  shows.set("clickedColumn", clicked_column_);
  plist::Array rows;
  for (int row = 0; row < rows_; ++row) {
    plist::Array cells;
    for (int column = 0; column < columns_; ++column) {
      const Cell& each = *cell(row, column);
      plist::Dictionary described;
      described.set("title", each.title);
      described.set("on", each.on);
      described.set("enabled", each.enabled);
      described.set("frame", rect_dictionary(*cell_rect(row, column)));
      cells.push_back(std::move(described));
    }
    rows.push_back(std::move(cells));
  }
  shows.set("cells", std::move(rows));
}

}  // namespace platform::ui
