// A table: rows of text in named columns, filled by a data source the table asks while it
// draws. A click selects a row; a double click asks the data source whether the cell may be
// edited (the table itself never edits). The scroll wheel moves the rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/view.h"

namespace platform::ui {

class TableView;

class TableDataSource {
 public:
  virtual ~TableDataSource() = default;
  virtual int number_of_rows(const TableView& table) = 0;
  // The text of a cell; nullopt shows an empty cell.
  virtual std::optional<std::string> object_value(const TableView& table,
                                                  std::string_view column, int row) = 0;
  // Asked on a double click on a cell; true would start editing, which this table does not do.
  virtual bool should_edit(TableView& table, std::string_view column, int row);
};

struct TableColumn {
  std::string identifier;
  std::string title;
  double width = 100;
};

class TableView : public View {
 public:
  static constexpr double kRowHeight = 18;

  explicit TableView(Rect frame);

  void add_column(TableColumn column);
  const std::vector<TableColumn>& columns() const { return columns_; }
  // Not owned; the data source must outlive the table or be replaced first.
  void set_data_source(TableDataSource* source);
  TableDataSource* data_source() const { return source_; }
  // Asks the data source again for the number of rows and the cells (on the next display).
  void reload_data();

  int number_of_rows() const { return rows_; }
  // -1: none.
  int selected_row() const { return selected_; }
  void select_row(int row);
  // The first row shown at the top.
  int first_visible_row() const { return first_visible_; }
  void scroll_row_to_visible(int row);
  // The row and column at a point in the table's points; nullopt outside any row.
  std::optional<int> row_at_point(Point point) const;
  std::optional<std::string> column_at_point(Point point) const;

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  bool scroll_wheel(Point location, double delta_y) override;

 protected:
  const char* kind() const override;
  // "rows" (number), "first_visible", "selected", "visible_rows" (the cells shown, an array
  // per row with one text per column).
  void describe_into(plist::Dictionary& shows) const override;
  void frame_size_did_change() override;

 private:
  int rows_that_fit() const;

  std::vector<TableColumn> columns_;
  TableDataSource* source_ = nullptr;
  int rows_ = 0;
  int selected_ = -1;
  int first_visible_ = 0;
};

}  // namespace platform::ui
