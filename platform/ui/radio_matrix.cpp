#include "platform/ui/radio_matrix.h"

namespace platform::ui {

RadioMatrix::RadioMatrix(Rect frame, int rows, int columns)
    : CheckBoxMatrix(frame, rows, columns, true) {}

std::pair<int, int> RadioMatrix::selected() const {
  for (int row = 0; row < rows(); ++row) {
    for (int column = 0; column < columns(); ++column) {
      if (is_on(row, column)) return {row, column};
    }
  }
  return {-1, -1};
}

int RadioMatrix::selected_row() const { return selected().first; }
int RadioMatrix::selected_column() const { return selected().second; }

bool RadioMatrix::select_cell(int row, int column) { return set_on(row, column, true); }

const char* RadioMatrix::kind() const { return "radio"; }

void RadioMatrix::describe_into(plist::Dictionary& shows) const {
  CheckBoxMatrix::describe_into(shows);
  shows.set("selectedRow", selected_row());
  shows.set("selectedColumn", selected_column());
}

}  // namespace platform::ui
