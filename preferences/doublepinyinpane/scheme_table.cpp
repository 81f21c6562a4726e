#include "preferences/doublepinyinpane/scheme_table.h"

namespace dpypane {

bool SchemeTable::mouse_down(const platform::ui::MouseEvent& event) {
  if (!enabled_) return true;
  const auto row = row_at_point(event.location);
  const bool in_edited_cell =
      is_editing() && row == edited_row() && column_at_point(event.location) == edited_column();
  if (!in_edited_cell && row && *row != selected_row()) {
    // A name being edited is taken first, so the text goes to the file under its new name.
    end_editing(true);
    if (guard_ && !guard_(*row)) return true;
  }
  return TableView::mouse_down(event);
}

}  // namespace dpypane
