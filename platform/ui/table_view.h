// A table: rows in named columns, filled by a data source the table asks while it draws. A
// click selects a row; a double click asks the data source whether the cell may be edited, and
// when it answers true the cell is edited in place (edit_column). The scroll wheel moves the
// rows.
//
// Editing a cell: a field editor over the cell (TextEditor on one line) starts with the cell's
// text selected and the table as its window's first responder, which gets the keys. Return,
// Tab and Shift-Tab end it and hand the text to the data source (set_object_value), as do a
// click on another cell and the table losing first responder; Escape ends it and keeps the
// cell as it was. The state shows the editing as "editing".
//
// Text colours: a text cell is drawn in the colour its data source's text_colour gives, or the
// one will_display_cell sets in TableCell::text_colour (the delegate's wins; it is asked as the
// table draws, like the views over rows); otherwise black, white on the selected row.
//
// A column shows text, or pictures (TableCellKind::Image): the data source's image_value,
// scaled down to fit the cell if need be (never up) and centred in it. The state names the
// picture of such a cell by its name (for a loaded file, the file's name).
//
// Views over rows: before drawing each visible row the table asks its delegate
// will_display_cell for every column, handing it a TableCell. A delegate that sets the cell's
// view to a subview of the table (it adds the view with add_subview the first time and keeps a
// pointer) has the table place that view at the cell's frame and show it. Row views the table
// placed earlier whose rows are no longer shown (scrolled away, removed) are hidden, so a
// view never covers the wrong row. Views are placed as the table draws, that is at each display
// of its window while the window is visible; the picture is drawn before the state is written,
// so the state shows them where they are.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gfx/colour.h"
#include "platform/gfx/surface.h"
#include "platform/ui/text_editor.h"
#include "platform/ui/view.h"

namespace platform::ui {

class TableView;

// A picture for an image cell, shared between the cells that show it.
struct CellImage {
  // What the state shows for the cell ("Dictionary.png").
  std::string name;
  std::shared_ptr<const gfx::Surface> picture;
};

// Loads a PNG or JPEG as a cell image named after its file; nullopt with the reason in `error`.
std::optional<CellImage> load_cell_image(const std::filesystem::path& path, std::string* error);

class TableDataSource {
 public:
  virtual ~TableDataSource() = default;
  virtual int number_of_rows(const TableView& table) = 0;
  // The text of a cell of a text column; nullopt shows an empty cell.
  virtual std::optional<std::string> object_value(const TableView& table,
                                                  std::string_view column, int row) = 0;
  // The picture of a cell of an image column; nullopt (the default) shows an empty cell.
  virtual std::optional<CellImage> image_value(const TableView& table, std::string_view column,
                                               int row);
  // Asked on a double click on a cell; true starts editing it. It must not remove the table.
  virtual bool should_edit(TableView& table, std::string_view column, int row);
  // The text an editing of the cell ended with (by Return, Tab, Shift-Tab, a click elsewhere or
  // the table losing the keyboard); by default nothing is stored.
  virtual void set_object_value(TableView& table, std::string_view column, int row,
                                const std::string& text);
  // The colour of a text cell's text; nullopt (the default) for the table's own.
  virtual std::optional<gfx::Colour> text_colour(const TableView& table, std::string_view column,
                                                 int row);
};

// What the delegate may set for a cell about to be drawn.
struct TableCell {
  // A subview of the table to place over the cell; nullptr for none. Any other view is
  // ignored.
  View* view = nullptr;
  // The colour of the cell's text, over the data source's; nullopt leaves it.
  std::optional<gfx::Colour> text_colour;
};

class TableDelegate {
 public:
  virtual ~TableDelegate() = default;
  // Before `row` is drawn, once per column. It may change the table's subviews (add the view
  // it sets), but not the rows or the table's frame.
  virtual void will_display_cell(TableView& table, TableCell& cell, std::string_view column,
                                 int row);
};

enum class TableCellKind { Text, Image };

struct TableColumn {
  std::string identifier;
  std::string title;
  double width = 100;
  TableCellKind cell = TableCellKind::Text;
};

class TableView : public View {
 public:
  // The row height a table starts with.
  static constexpr double kRowHeight = 18;

  explicit TableView(Rect frame);

  void add_column(TableColumn column);
  const std::vector<TableColumn>& columns() const { return columns_; }
  // Makes the column's cells text or pictures; false for an unknown column.
  bool set_column_cell(std::string_view identifier, TableCellKind cell);
  // Not owned; the data source must outlive the table or be replaced first.
  void set_data_source(TableDataSource* source);
  TableDataSource* data_source() const { return source_; }
  // Not owned, like the data source; nullptr for none.
  void set_delegate(TableDelegate* delegate);
  TableDelegate* delegate() const { return delegate_; }
  // Asks the data source again for the number of rows and the cells (on the next display).
  void reload_data();

  double row_height() const { return row_height_; }
  // Every row has this height; false, and nothing changed, below 1 point or not finite.
  bool set_row_height(double height);
  // The frame of a shown row (of a cell: within its column) in the table's points; nullopt
  // for a row that is not shown or a column the table does not have.
  std::optional<Rect> frame_of_row(int row) const;
  std::optional<Rect> frame_of_cell(std::string_view column, int row) const;

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

  // Starts editing a text cell: selects and shows its row, ends any editing under way (storing
  // it), puts the cell's text in a field editor with the text selected and makes the table
  // first responder when it is in a window. False for an unknown or image column or a row out
  // of range.
  bool edit_column(std::string_view column, int row);
  bool is_editing() const { return editing_.has_value(); }
  // The cell being edited: its column ("" when none) and row (-1 when none).
  std::string edited_column() const;
  int edited_row() const;
  // The field editor of the cell being edited; nullptr when none. Its text, selection and
  // limits may be changed.
  TextEditor* cell_editor() { return editing_ ? &editing_->editor : nullptr; }
  // Ends the editing under way: stored through set_object_value, or, with `keep` false,
  // dropped. Nothing when no cell is being edited.
  void end_editing(bool keep = true);

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  void mouse_dragged(const MouseEvent& event) override;
  bool scroll_wheel(Point location, double delta_y) override;
  bool accepts_first_responder() const override;
  bool resign_first_responder() override;
  bool key_down(const KeyEvent& event) override;

 protected:
  const char* kind() const override;
  // "rows" (number), "row_height", "first_visible", "selected", "visible_rows" (the cells
  // shown, an array per row with one text per column; an image cell's picture name);
  // "text_colours" when a shown cell has a colour of its own (an array per shown row, one
  // "#rrggbb" per column, "" for the table's colour); "editing" while a cell is edited
  // ("column", "row", "text", "caret", "selection" with "location" and "length").
  void describe_into(plist::Dictionary& shows) const override;
  void frame_size_did_change() override;

 private:
  struct CellEditing {
    std::string column;
    int row = -1;
    TextEditor editor;
  };
  // The colour the cell's text is drawn in, when it has one of its own.
  std::optional<gfx::Colour> cell_colour(std::string_view column, int row) const;
  std::size_t editing_position_at(Point point) const;

  int rows_that_fit() const;
  int last_visible_row() const;  // one past
  void clamp_scroll();
  // Asks the delegate about the shown rows, places the views it sets and hides the row views
  // of rows no longer shown.
  void place_row_views();

  std::vector<TableColumn> columns_;
  TableDataSource* source_ = nullptr;
  TableDelegate* delegate_ = nullptr;
  double row_height_ = kRowHeight;
  int rows_ = 0;
  int selected_ = -1;
  int first_visible_ = 0;
  // The subviews the table has placed over rows (shown or hidden now), as of the last
  // drawing; compared with the subviews, never followed.
  std::set<const View*> row_views_;
  // The colours will_display_cell set, by row and column, as of the last drawing.
  std::map<std::pair<int, std::string>, gfx::Colour, std::less<>> delegate_colours_;
  std::optional<CellEditing> editing_;
};

}  // namespace platform::ui
