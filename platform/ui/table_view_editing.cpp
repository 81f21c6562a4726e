// Editing a table's text cells in place.
#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"
#include "platform/ui/table_view.h"

namespace platform::ui {
namespace {

// As the cells draw their text.
constexpr double kCellInset = 4;

}  // namespace

bool TableView::edit_column(std::string_view column, int row) {
  const auto found = std::find_if(columns_.begin(), columns_.end(), [&](const TableColumn& each) {
    return each.identifier == column;
  });
  if (found == columns_.end() || found->cell != TableCellKind::Text || row < 0 || row >= rows_) {
    return false;
  }
  const std::string identifier = found->identifier;
  end_editing(true);
  // Storing the old editing may have changed the rows.
  if (row >= rows_) return false;
  select_row(row);
  scroll_row_to_visible(row);
  std::string text;
  if (source_) text = source_->object_value(*this, identifier, row).value_or("");
  editing_.emplace(CellEditing{identifier, row, TextEditor(std::move(text), false)});
  editing_->editor.select_all();
  set_needs_display();
  if (Window* window = this->window(); window && !is_first_responder()) {
    window->make_first_responder(this);
  }
  return editing_.has_value();
}

std::string TableView::edited_column() const { return editing_ ? editing_->column : std::string(); }
int TableView::edited_row() const { return editing_ ? editing_->row : -1; }

void TableView::end_editing(bool keep) {
  if (!editing_) return;
  CellEditing ended = std::move(*editing_);
  editing_.reset();
  set_needs_display();
  if (keep && source_) source_->set_object_value(*this, ended.column, ended.row, ended.editor.text());
}

std::size_t TableView::editing_position_at(Point point) const {
  const std::optional<Rect> cell = frame_of_cell(editing_->column, editing_->row);
  const double x = cell ? point.x - cell->x - kCellInset : 0;
  return look::character_at(editing_->editor.text(), system_font(), x);
}

bool TableView::accepts_first_responder() const { return true; }

bool TableView::resign_first_responder() {
  end_editing(true);
  return true;
}

bool TableView::key_down(const KeyEvent& event) {
  if (!editing_) return false;
  const EditOutcome outcome = editing_->editor.handle_key(event);
  if (outcome == EditOutcome::NotTaken) return false;
  if (const std::optional<TextMovement> ending = ending_of(outcome)) {
    end_editing(*ending != TextMovement::Cancel);
  } else {
    set_needs_display();
  }
  return true;
}

}  // namespace platform::ui
