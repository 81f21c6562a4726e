#include "platform/ui/table_view.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"

namespace platform::ui {
namespace {

constexpr double kCellInset = 4;

}  // namespace

bool TableDataSource::should_edit(TableView&, std::string_view, int) { return false; }

TableView::TableView(Rect frame) : View(frame) {}

void TableView::add_column(TableColumn column) {
  if (!std::isfinite(column.width) || column.width < 0) column.width = 0;
  columns_.push_back(std::move(column));
  set_needs_display();
}

void TableView::set_data_source(TableDataSource* source) {
  source_ = source;
  reload_data();
}

void TableView::reload_data() {
  rows_ = source_ ? std::max(0, source_->number_of_rows(*this)) : 0;
  if (selected_ >= rows_) selected_ = rows_ - 1;
  first_visible_ = std::clamp(first_visible_, 0, std::max(0, rows_ - rows_that_fit()));
  set_needs_display();
}

void TableView::select_row(int row) {
  if (row < -1 || row >= rows_) return;
  selected_ = row;
  set_needs_display();
}

void TableView::scroll_row_to_visible(int row) {
  if (row < 0 || row >= rows_) return;
  const int fit = std::max(1, rows_that_fit());
  if (row < first_visible_) first_visible_ = row;
  if (row >= first_visible_ + fit) first_visible_ = row - fit + 1;
  first_visible_ = std::clamp(first_visible_, 0, std::max(0, rows_ - rows_that_fit()));
  set_needs_display();
}

std::optional<int> TableView::row_at_point(Point point) const {
  if (!contains(bounds(), point)) return std::nullopt;
  const int shown = static_cast<int>(std::floor((frame().height - point.y) / kRowHeight));
  if (shown < 0 || shown >= rows_that_fit()) return std::nullopt;
  const int row = first_visible_ + shown;
  if (row >= rows_) return std::nullopt;
  return row;
}

std::optional<std::string> TableView::column_at_point(Point point) const {
  if (!contains(bounds(), point)) return std::nullopt;
  double x = 0;
  for (const TableColumn& column : columns_) {
    if (point.x >= x && point.x < x + column.width) return column.identifier;
    x += column.width;
  }
  return std::nullopt;
}

void TableView::draw(gfx::Canvas& canvas) const {
  canvas.fill(bounds(), look::kWhite);
  if (!source_) return;
  const gfx::Font font = system_font();
  const int last = std::min(rows_, first_visible_ + rows_that_fit());
  for (int row = first_visible_; row < last; ++row) {
    const double y = frame().height - (row - first_visible_ + 1) * kRowHeight;
    const bool selected = row == selected_;
    if (selected) canvas.fill(Rect{0, y, frame().width, kRowHeight}, look::kSelection);
    double x = 0;
    for (const TableColumn& column : columns_) {
      const auto text = source_->object_value(*this, column.identifier, row);
      if (text && column.width > 0) {
        canvas.save();
        canvas.clip(Rect{x, y, column.width, kRowHeight});
        look::text_in_box(canvas, *text, font, Rect{x, y, column.width, kRowHeight},
                          look::Align::Left, selected ? look::kSelectedText : look::kText,
                          kCellInset);
        canvas.restore();
      }
      x += column.width;
    }
  }
}

bool TableView::mouse_down(const MouseEvent& event) {
  const auto row = row_at_point(event.location);
  if (!row) return true;
  select_row(*row);
  if (event.click_count >= 2 && source_) {
    if (auto column = column_at_point(event.location)) {
      // Last: the data source may do anything, this table's end included.
      source_->should_edit(*this, *column, *row);
    }
  }
  return true;
}

bool TableView::scroll_wheel(Point, double delta_y) {
  if (!std::isfinite(delta_y) || delta_y == 0) return true;
  const double whole = std::max(1.0, std::round(std::fabs(delta_y) / kRowHeight));
  const int rows = static_cast<int>(std::min<double>(whole, rows_));
  // Positive shows what is above: earlier rows.
  const int first = delta_y > 0 ? first_visible_ - rows : first_visible_ + rows;
  first_visible_ = std::clamp(first, 0, std::max(0, rows_ - rows_that_fit()));
  set_needs_display();
  return true;
}

const char* TableView::kind() const { return "table"; }

void TableView::describe_into(plist::Dictionary& shows) const {
  shows.set("rows", rows_);
  shows.set("first_visible", first_visible_);
  shows.set("selected", selected_);
  plist::Array visible;
  const int last = source_ ? std::min(rows_, first_visible_ + rows_that_fit()) : first_visible_;
  for (int row = first_visible_; row < last; ++row) {
    plist::Array cells;
    for (const TableColumn& column : columns_) {
      cells.push_back(source_->object_value(*this, column.identifier, row).value_or(""));
    }
    visible.push_back(std::move(cells));
  }
  shows.set("visible_rows", std::move(visible));
}

void TableView::frame_size_did_change() {
  first_visible_ = std::clamp(first_visible_, 0, std::max(0, rows_ - rows_that_fit()));
}

int TableView::rows_that_fit() const {
  return std::max(0, static_cast<int>(std::floor(frame().height / kRowHeight)));
}

}  // namespace platform::ui
