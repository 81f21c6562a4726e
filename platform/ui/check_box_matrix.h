// A matrix of check-box cells, rows by columns, each with its title, state and whether it is
// enabled, drawn as the check box control draws. A click on an enabled cell of an enabled
// matrix turns that cell and runs the matrix's action with the cell. Row 0 is the top row.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/view.h"

namespace platform::ui {

class CheckBoxMatrix : public View {
 public:
  using Action = std::function<void(CheckBoxMatrix& sender, int row, int column)>;
  static constexpr int kMaxCells = 4096;

  // Rows and columns below 0 count as 0; a matrix of more than kMaxCells cells has none.
  CheckBoxMatrix(Rect frame, int rows, int columns);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  // Points between cells, across and down.
  void set_spacing(double across, double down);

  // Out of range: "" or false, and setters change nothing (false).
  const std::string& title(int row, int column) const;
  bool set_title(int row, int column, std::string title);
  bool is_on(int row, int column) const;
  // By the program: no action runs. In a radio matrix turning a cell on turns the others off,
  // and the cell that is on cannot be turned off (false).
  bool set_on(int row, int column, bool on);
  bool is_cell_enabled(int row, int column) const;
  bool set_cell_enabled(int row, int column, bool enabled);

  bool is_enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  void set_action(Action action) { action_ = std::move(action); }

  // The cell's rectangle in this view's points; nullopt out of range.
  std::optional<Rect> cell_rect(int row, int column) const;
  // The cell under a point in this view's points (spacing belongs to no cell).
  std::optional<std::pair<int, int>> cell_at(Point point) const;
  // The cell the last click turned; -1 before any.
  int clicked_row() const { return clicked_row_; }
  int clicked_column() const { return clicked_column_; }

  // Clicks the cell as a person would: false, and nothing done, out of range or when the cell
  // or the matrix is disabled. In a radio matrix the cell is turned on, not over.
  bool perform_click(int row, int column);

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  void mouse_dragged(const MouseEvent& event) override;
  void mouse_up(const MouseEvent& event) override;

 protected:
  // A radio matrix (`radio`): exactly one cell on, cell (0, 0) at first, drawn as radio
  // buttons.
  CheckBoxMatrix(Rect frame, int rows, int columns, bool radio);
  const char* kind() const override;
  // "rows", "columns", "enabled", "clickedRow", "clickedColumn" and "cells": rows of cells,
  // each "title", "on", "enabled" and its "frame" in the matrix's points.
  void describe_into(plist::Dictionary& shows) const override;

 private:
  struct Cell {
    std::string title;
    bool on = false;
    bool enabled = true;
  };
  const Cell* cell(int row, int column) const;
  Cell* cell(int row, int column);
  // The cell a setter changes, the matrix marked for drawing; nullptr out of range.
  Cell* changed_cell(int row, int column);
  bool clickable(int row, int column) const;
  // Turns the cell on or over, as a click does.
  void turn(int row, int column);

  int rows_ = 0;
  int columns_ = 0;
  double spacing_across_ = 0;
  double spacing_down_ = 0;
  std::vector<Cell> cells_;
  bool enabled_ = true;
  bool radio_ = false;
  // The cell the mouse went down in, highlighted while the pointer stays inside it.
  std::optional<std::pair<int, int>> pressed_;
  bool highlighted_ = false;
  int clicked_row_ = -1;
  int clicked_column_ = -1;
  Action action_;
};

}  // namespace platform::ui
