// A matrix of radio-button cells: exactly one cell is on, cell (0, 0) at first. A click on an
// enabled cell turns it on and the others off, then runs the matrix's action with the cell
// (also when it was on already); the program selects a cell without the action. Titles,
// enabling, spacing and the click behave as in CheckBoxMatrix.
#pragma once

#include <utility>

#include "platform/ui/check_box_matrix.h"

namespace platform::ui {

class RadioMatrix : public CheckBoxMatrix {
 public:
  // Rows and columns as in CheckBoxMatrix; a matrix without cells has none on.
  RadioMatrix(Rect frame, int rows, int columns);

  // The cell that is on; -1 for a matrix without cells.
  int selected_row() const;
  int selected_column() const;
  // Turns the cell on and the others off, by the program (no action runs); false out of range.
  bool select_cell(int row, int column);

 protected:
  const char* kind() const override;
  // Adds "selectedRow" and "selectedColumn".
  void describe_into(plist::Dictionary& shows) const override;

 private:
  std::pair<int, int> selected() const;
};

}  // namespace platform::ui
