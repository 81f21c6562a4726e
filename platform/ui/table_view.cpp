#include "platform/ui/table_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gfx/image.h"
#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"

namespace platform::ui {
namespace {

constexpr double kCellInset = 4;

// Where a picture goes in a cell: at its own size when it fits, else scaled down keeping its
// proportions; centred either way, on whole points.
Rect picture_box(const gfx::Surface& picture, const Rect& cell) {
  const double width = picture.width();
  const double height = picture.height();
  const double scale = std::min({1.0, cell.width / width, cell.height / height});
  const double w = std::max(1.0, std::floor(width * scale));
  const double h = std::max(1.0, std::floor(height * scale));
  return Rect{cell.x + std::floor((cell.width - w) / 2), cell.y + std::floor((cell.height - h) / 2),
              w, h};
}

// "#rrggbb", each component rounded to a byte.
std::string colour_name(const gfx::Colour& colour) {
  const auto byte = [](double component) {
    return static_cast<unsigned>(std::lround(std::clamp(component, 0.0, 1.0) * 255));
  };
  char name[8];
  std::snprintf(name, sizeof name, "#%02x%02x%02x", byte(colour.red), byte(colour.green),
                byte(colour.blue));
  return name;
}

}  // namespace

std::optional<CellImage> load_cell_image(const std::filesystem::path& path, std::string* error) {
  std::optional<gfx::Surface> picture = gfx::load_image(path, error);
  if (!picture) return std::nullopt;
  return CellImage{path.filename().string(),
                   std::make_shared<const gfx::Surface>(std::move(*picture))};
}

std::optional<CellImage> TableDataSource::image_value(const TableView&, std::string_view, int) {
  return std::nullopt;
}

bool TableDataSource::should_edit(TableView&, std::string_view, int) { return false; }
void TableDataSource::set_object_value(TableView&, std::string_view, int, const std::string&) {}
std::optional<gfx::Colour> TableDataSource::text_colour(const TableView&, std::string_view, int) {
  return std::nullopt;
}

void TableDelegate::will_display_cell(TableView&, TableCell&, std::string_view, int) {}

TableView::TableView(Rect frame) : View(frame) {}

void TableView::add_column(TableColumn column) {
  if (!std::isfinite(column.width) || column.width < 0) column.width = 0;
  columns_.push_back(std::move(column));
  set_needs_display();
}

bool TableView::set_column_cell(std::string_view identifier, TableCellKind cell) {
  for (TableColumn& column : columns_) {
    if (column.identifier != identifier) continue;
    column.cell = cell;
    set_needs_display();
    return true;
  }
  return false;
}

void TableView::set_data_source(TableDataSource* source) {
  source_ = source;
  reload_data();
}

void TableView::set_delegate(TableDelegate* delegate) {
  delegate_ = delegate;
  set_needs_display();
}

void TableView::reload_data() {
  rows_ = source_ ? std::max(0, source_->number_of_rows(*this)) : 0;
  // The row being edited is gone: its editing has nothing left to store into.
  if (editing_ && editing_->row >= rows_) end_editing(false);
  if (selected_ >= rows_) selected_ = rows_ - 1;
  clamp_scroll();
  set_needs_display();
}

bool TableView::set_row_height(double height) {
  if (!std::isfinite(height) || height < 1) return false;
  row_height_ = height;
  clamp_scroll();
  set_needs_display();
  return true;
}

void TableView::clamp_scroll() {
  first_visible_ = std::clamp(first_visible_, 0, std::max(0, rows_ - rows_that_fit()));
}

std::optional<Rect> TableView::frame_of_row(int row) const {
  if (row < first_visible_ || row >= last_visible_row()) return std::nullopt;
  const double y = frame().height - (row - first_visible_ + 1) * row_height_;
  return Rect{0, y, frame().width, row_height_};
}

std::optional<Rect> TableView::frame_of_cell(std::string_view column, int row) const {
  const std::optional<Rect> row_frame = frame_of_row(row);
  if (!row_frame) return std::nullopt;
  double x = 0;
  for (const TableColumn& each : columns_) {
    if (each.identifier == column) return Rect{x, row_frame->y, each.width, row_height_};
    x += each.width;
  }
  return std::nullopt;
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
  clamp_scroll();
  set_needs_display();
}

std::optional<int> TableView::row_at_point(Point point) const {
  if (!contains(bounds(), point)) return std::nullopt;
  const int shown = static_cast<int>(std::floor((frame().height - point.y) / row_height_));
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

void TableView::place_row_views() {
  std::set<const View*> placed;
  delegate_colours_.clear();
  if (delegate_ != nullptr) {
    // The names are copied: a delegate changing the columns must not pull them from under us.
    std::vector<std::string> identifiers;
    for (const TableColumn& column : columns_) identifiers.push_back(column.identifier);
    for (int row = first_visible_; row < last_visible_row(); ++row) {
      for (const std::string& identifier : identifiers) {
        TableCell cell;
        delegate_->will_display_cell(*this, cell, identifier, row);
        if (cell.text_colour) delegate_colours_[{row, identifier}] = *cell.text_colour;
        if (cell.view == nullptr || cell.view->superview() != this) continue;
        if (const std::optional<Rect> at = frame_of_cell(identifier, row)) {
          cell.view->set_frame(*at);
          cell.view->set_hidden(false);
          placed.insert(cell.view);
        }
      }
    }
  }
  // Only views still in the table are touched: one removed since is gone.
  for (const auto& sub : subviews()) {
    if (row_views_.count(sub.get()) != 0 && placed.count(sub.get()) == 0) sub->set_hidden(true);
  }
  // Hidden ones stay known, so a row scrolled back shows its view again.
  for (const auto& sub : subviews()) {
    if (row_views_.count(sub.get()) != 0) placed.insert(sub.get());
  }
  row_views_ = std::move(placed);
}

void TableView::draw(gfx::Canvas& canvas) const {
  // Drawing is where rows are shown, so it is where their views are placed; the subviews
  // are drawn after this, at their new frames.
  const_cast<TableView*>(this)->place_row_views();
  canvas.fill(bounds(), look::kWhite);
  if (!source_) return;
  const gfx::Font font = system_font();
  for (int row = first_visible_; row < last_visible_row(); ++row) {
    const Rect row_frame = *frame_of_row(row);
    const bool selected = row == selected_;
    if (selected) canvas.fill(row_frame, look::kSelection);
    double x = 0;
    for (const TableColumn& column : columns_) {
      const Rect cell{x, row_frame.y, column.width, row_height_};
      x += column.width;
      if (column.width <= 0) continue;
      canvas.save();
      canvas.clip(cell);
      if (column.cell == TableCellKind::Image) {
        const auto image = source_->image_value(*this, column.identifier, row);
        if (image && image->picture) {
          canvas.draw(*image->picture, picture_box(*image->picture, cell));
        }
      } else if (editing_ && editing_->row == row && editing_->column == column.identifier) {
        look::text_field_frame(canvas, cell);
        look::editing_line_in_box(canvas, editing_->editor, font, cell, look::kText, kCellInset);
      } else if (const auto text = source_->object_value(*this, column.identifier, row)) {
        const gfx::Colour colour = cell_colour(column.identifier, row)
                                       .value_or(selected ? look::kSelectedText : look::kText);
        look::text_in_box(canvas, *text, font, cell, look::Align::Left, colour, kCellInset);
      }
      canvas.restore();
    }
  }
}

bool TableView::mouse_down(const MouseEvent& event) {
  const auto row = row_at_point(event.location);
  const auto column = column_at_point(event.location);
  if (editing_ && row == editing_->row && column == editing_->column) {
    editing_->editor.set_caret(editing_position_at(event.location));
    set_needs_display();
    return true;
  }
  // A click elsewhere ends the editing, as leaving the cell would.
  end_editing(true);
  if (!row) return true;
  select_row(*row);
  if (event.click_count >= 2 && source_ && column && source_->should_edit(*this, *column, *row)) {
    edit_column(*column, *row);
  }
  return true;
}

void TableView::mouse_dragged(const MouseEvent& event) {
  if (!editing_) return;
  editing_->editor.extend_selection(editing_position_at(event.location));
  set_needs_display();
}

bool TableView::scroll_wheel(Point, double delta_y) {
  if (!std::isfinite(delta_y) || delta_y == 0) return true;
  const double whole = std::max(1.0, std::round(std::fabs(delta_y) / row_height_));
  const int rows = static_cast<int>(std::min<double>(whole, rows_));
  // Positive shows what is above: earlier rows.
  first_visible_ = delta_y > 0 ? first_visible_ - rows : first_visible_ + rows;
  clamp_scroll();
  set_needs_display();
  return true;
}

const char* TableView::kind() const { return "table"; }

void TableView::describe_into(plist::Dictionary& shows) const {
  shows.set("rows", rows_);
  shows.set("row_height", row_height_);
  shows.set("first_visible", first_visible_);
  shows.set("selected", selected_);
  plist::Array visible;
  const int last = source_ ? last_visible_row() : first_visible_;
  for (int row = first_visible_; row < last; ++row) {
    plist::Array cells;
    for (const TableColumn& column : columns_) {
      if (column.cell == TableCellKind::Image) {
        const auto image = source_->image_value(*this, column.identifier, row);
        cells.push_back(image ? image->name : std::string());
      } else {
        cells.push_back(source_->object_value(*this, column.identifier, row).value_or(""));
      }
    }
    visible.push_back(std::move(cells));
  }
  shows.set("visible_rows", std::move(visible));

  plist::Array colours;
  bool coloured = false;
  for (int row = first_visible_; row < last; ++row) {
    plist::Array cells;
    for (const TableColumn& column : columns_) {
      const std::optional<gfx::Colour> colour =
          column.cell == TableCellKind::Text ? cell_colour(column.identifier, row) : std::nullopt;
      coloured = coloured || colour.has_value();
      cells.push_back(colour ? colour_name(*colour) : std::string());
    }
    colours.push_back(std::move(cells));
  }
  if (coloured) shows.set("text_colours", std::move(colours));

  if (editing_) {
    plist::Dictionary editing;
    editing.set("column", editing_->column);
    editing.set("row", editing_->row);
    editing.set("text", editing_->editor.text());
    editing.set("caret", static_cast<std::int64_t>(editing_->editor.caret()));
    plist::Dictionary selection;
    selection.set("location", static_cast<std::int64_t>(editing_->editor.selection_start()));
    selection.set("length", static_cast<std::int64_t>(editing_->editor.selection_length()));
    editing.set("selection", std::move(selection));
    shows.set("editing", std::move(editing));
  }
}

void TableView::frame_size_did_change() { clamp_scroll(); }

std::optional<gfx::Colour> TableView::cell_colour(std::string_view column, int row) const {
  const auto set = delegate_colours_.find(std::pair<int, std::string>{row, std::string(column)});
  if (set != delegate_colours_.end()) return set->second;
  return source_ ? source_->text_colour(*this, column, row) : std::nullopt;
}

int TableView::rows_that_fit() const {
  return std::max(0, static_cast<int>(std::floor(frame().height / row_height_)));
}

int TableView::last_visible_row() const {
  return std::min(rows_, first_visible_ + rows_that_fit());
}

}  // namespace platform::ui
