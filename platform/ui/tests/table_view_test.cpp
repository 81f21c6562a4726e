#include "platform/ui/table_view.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::RenderDir;

// Rows "name<i>" / "value<i>"; row 1's value is missing. Records the edits asked for.
class Rows : public TableDataSource {
 public:
  int count = 10;
  std::vector<std::string> edits;

  int number_of_rows(const TableView&) override { return count; }
  std::optional<std::string> object_value(const TableView&, std::string_view column,
                                          int row) override {
    if (column == "value" && row == 1) return std::nullopt;
    return std::string(column) + std::to_string(row);
  }
  bool should_edit(TableView&, std::string_view column, int row) override {
    edits.push_back(std::string(column) + " " + std::to_string(row));
    return false;
  }
};

// A window "list" 140x77 filled by a table: four whole rows fit (4 x 18 = 72), the fifth is cut.
struct List {
  RenderDir render;
  WindowRegistry registry;
  Window window{"TestProgram", "list", Rect{0, 0, 140, 77}};
  Rows rows;
  TableView* table = nullptr;

  List() {
    registry.add(window);
    window.set_content_view(std::make_unique<TableView>(Rect{}));
    table = static_cast<TableView*>(window.content_view());
    table->add_column({"name", "Name", 60});
    table->add_column({"value", "Value", 80});
    table->set_data_source(&rows);
  }
  // The y of the middle of the k-th row shown.
  static double row_y(int shown) { return 77 - (shown + 0.5) * TableView::kRowHeight; }
  std::vector<std::vector<std::string>> visible_rows() const {
    std::vector<std::vector<std::string>> out;
    const plist::Dictionary shown = test_support::described(*table);
    if (const plist::Array* rows = test_support::array_at(shown, "visible_rows")) {
      for (const plist::Value& row : *rows) out.push_back(test_support::strings(row.as_array()));
    }
    return out;
  }
};

TEST(TableViewTest, OnlyTheRowsThatFitAreShownFromTheTop) {
  List list;
  EXPECT_EQ(list.table->number_of_rows(), 10);
  EXPECT_EQ(list.visible_rows(), (std::vector<std::vector<std::string>>{
                                     {"name0", "value0"},
                                     {"name1", ""},
                                     {"name2", "value2"},
                                     {"name3", "value3"}}));
  struct Case {
    Point at;
    std::optional<int> row;
    std::optional<std::string> column;
  };
  const Case cases[] = {
      {{10, 76}, 0, "name"},    {{70, List::row_y(2)}, 2, "value"},
      {{139, List::row_y(3)}, 3, "value"},
      {{10, 2}, std::nullopt, "name"},  // the cut fifth row
      {{-1, 50}, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.table->row_at_point(c.at), c.row) << c.at.x << "," << c.at.y;
    EXPECT_EQ(list.table->column_at_point(c.at), c.column) << c.at.x << "," << c.at.y;
  }
}

TEST(TableViewTest, AClickSelectsAndADoubleClickAsksToEditTheCellUnderIt) {
  List list;
  EXPECT_EQ(list.registry.perform("down list 10 " + std::to_string(List::row_y(1))), "ok");
  EXPECT_EQ(list.table->selected_row(), 1);
  EXPECT_TRUE(list.rows.edits.empty()) << "a single click edits nothing";

  EXPECT_EQ(list.registry.perform("double list 100 " + std::to_string(List::row_y(2))), "ok");
  EXPECT_EQ(list.table->selected_row(), 2);
  EXPECT_EQ(list.rows.edits, std::vector<std::string>{"value 2"});

  list.table->scroll_row_to_visible(7);
  EXPECT_EQ(list.table->first_visible_row(), 4);
  list.rows.edits.clear();
  EXPECT_EQ(list.registry.perform("double list 10 " + std::to_string(List::row_y(0))), "ok");
  EXPECT_EQ(list.rows.edits, std::vector<std::string>{"name 4"}) << "rows count from the top shown";
}

TEST(TableViewTest, TheWheelMovesWholeRowsWithinRange) {
  List list;
  struct Case {
    double delta;
    int first_visible;
  };
  // Ten rows, four shown: the first shown runs 0..6.
  const Case cases[] = {{-18, 1}, {-5, 2}, {-40, 4}, {-1000, 6}, {5, 5}, {36, 3}, {1000, 0}};
  for (const Case& c : cases) {
    list.window.handle_scroll(Point{10, 10}, c.delta);
    EXPECT_EQ(list.table->first_visible_row(), c.first_visible) << c.delta;
  }
  EXPECT_EQ(list.registry.perform("scroll list 10 10 -18"), "ok");
  EXPECT_EQ(list.visible_rows().front(), (std::vector<std::string>{"name1", ""}));
}

TEST(TableViewTest, ReloadingClampsTheSelectionAndTheScroll) {
  List list;
  list.table->select_row(9);
  list.table->scroll_row_to_visible(9);
  EXPECT_EQ(list.table->first_visible_row(), 6);
  list.rows.count = 3;
  list.table->reload_data();
  EXPECT_EQ(list.table->number_of_rows(), 3);
  EXPECT_EQ(list.table->selected_row(), 2);
  EXPECT_EQ(list.table->first_visible_row(), 0);
  list.table->select_row(3);
  EXPECT_EQ(list.table->selected_row(), 2) << "out of range: nothing changes";
  list.table->select_row(-1);
  EXPECT_EQ(list.table->selected_row(), -1);

  list.rows.count = -5;  // a confused source
  list.table->reload_data();
  EXPECT_EQ(list.table->number_of_rows(), 0);
  EXPECT_TRUE(list.visible_rows().empty());
  list.table->set_data_source(nullptr);
  EXPECT_EQ(list.table->number_of_rows(), 0);
}

// Pictures for the "TYPE" column: a red square small enough to fit a row, a blue one that is
// not, and none for every third row.
class Pictures : public TableDataSource {
 public:
  std::optional<CellImage> red, blue;

  int number_of_rows(const TableView&) override { return 6; }
  std::optional<std::string> object_value(const TableView&, std::string_view column,
                                          int row) override {
    return std::string(column) + std::to_string(row);
  }
  std::optional<CellImage> image_value(const TableView&, std::string_view column,
                                       int row) override {
    if (column != "TYPE" || row % 3 == 2) return std::nullopt;
    return row % 3 == 0 ? red : blue;
  }
};

std::optional<CellImage> square(const std::filesystem::path& path, int side, gfx::Pixel colour) {
  auto picture = gfx::Surface::create(side, side);
  if (!picture) return std::nullopt;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) picture->set_pixel(x, y, colour);
  }
  std::error_code error;
  if (!picture->write_png(path, error)) return std::nullopt;
  std::string why;
  return load_cell_image(path, &why);
}

TEST(TableViewTest, ImageCellsDrawTheirPicturesFittedAndTheStateNamesThem) {
  RenderDir render;
  testing_support::TempDir images;
  const gfx::Pixel kRed{255, 0, 0, 255};
  const gfx::Pixel kBlue{0, 0, 255, 255};
  Pictures source;
  source.red = square(images.path() / "KEPDict.png", 10, kRed);
  source.blue = square(images.path() / "DaruzDict.png", 40, kBlue);
  ASSERT_TRUE(source.red && source.blue);
  std::string why;
  EXPECT_FALSE(load_cell_image(images.path() / "missing.png", &why));
  EXPECT_FALSE(why.empty());

  Window window("TestProgram", "dicts", Rect{0, 0, 130, 54});
  window.set_content_view(std::make_unique<TableView>(Rect{}));
  auto* table = static_cast<TableView*>(window.content_view());
  table->add_column({"TYPE", "", 30, TableCellKind::Image});
  table->add_column({"NAME", "Name", 100});
  EXPECT_FALSE(table->set_column_cell("MISSING", TableCellKind::Image));
  table->set_data_source(&source);

  auto picture = window.render();
  ASSERT_TRUE(picture);
  // Pixel rows from the top: row 0 is 0..17, row 1 18..35, row 2 36..53.
  auto count = [&](int top, gfx::Pixel colour, int* left, int* right, int* upper, int* lower) {
    int found = 0;
    *left = *upper = 1000;
    *right = *lower = -1;
    for (int y = top; y < top + 18; ++y) {
      for (int x = 0; x < 130; ++x) {
        if (picture->pixel(x, y) != colour) continue;
        ++found;
        *left = std::min(*left, x);
        *right = std::max(*right, x);
        *upper = std::min(*upper, y);
        *lower = std::max(*lower, y);
      }
    }
    return found;
  };
  int left, right, upper, lower;
  EXPECT_EQ(count(0, kRed, &left, &right, &upper, &lower), 100) << "at its own size";
  EXPECT_EQ(left, 10);
  EXPECT_EQ(upper, 4) << "centred in the cell";
  EXPECT_EQ(count(18, kBlue, &left, &right, &upper, &lower), 18 * 18) << "scaled down to fit";
  EXPECT_EQ(left, 6);
  EXPECT_EQ(right, 23);
  EXPECT_EQ(count(36, kRed, &left, &right, &upper, &lower) +
                count(36, kBlue, &left, &right, &upper, &lower),
            0);

  const plist::Dictionary shown = test_support::described(*table);
  std::vector<std::vector<std::string>> rows;
  for (const plist::Value& row : *test_support::array_at(shown, "visible_rows")) {
    rows.push_back(test_support::strings(row.as_array()));
  }
  EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                      {"KEPDict.png", "NAME0"}, {"DaruzDict.png", "NAME1"}, {"", "NAME2"}}));
  table->set_column_cell("TYPE", TableCellKind::Text);
  EXPECT_EQ(test_support::strings(
                test_support::array_at(test_support::described(*table), "visible_rows")
                    ->front()
                    .as_array()),
            (std::vector<std::string>{"TYPE0", "NAME0"}));
}

// Gives each row a view of its own: a button "stop<row>" that the delegate adds to the table
// the first time the row is shown. Records the rows it is asked about.
class RowViews : public TableDataSource, public TableDelegate {
 public:
  std::map<int, Button*> buttons;
  std::vector<int> asked;
  std::vector<int> clicked;

  int number_of_rows(const TableView&) override { return 8; }
  std::optional<std::string> object_value(const TableView&, std::string_view, int) override {
    return std::string();
  }
  void will_display_cell(TableView& table, TableCell& cell, std::string_view column,
                         int row) override {
    if (column != "row") return;
    asked.push_back(row);
    Button*& button = buttons[row];
    if (button == nullptr) {
      button = &table.add_subview(std::make_unique<Button>(Rect{}, "Stop"));
      button->set_identifier("stop" + std::to_string(row));
      button->set_action([this, row](Button&) { clicked.push_back(row); });
    }
    cell.view = button;
  }
};

TEST(TableViewTest, RowViewsArePlacedAtTheirRowsFramesAndFollowTheScroll) {
  RenderDir render;
  WindowRegistry registry;
  Window window("TestProgram", "updates", Rect{0, 0, 200, 100});
  registry.add(window);
  window.order_front();  // rows are drawn, and their views placed, only in a visible window
  window.set_content_view(std::make_unique<TableView>(Rect{}));
  auto* table = static_cast<TableView*>(window.content_view());
  table->add_column({"row", "", 200});
  EXPECT_FALSE(table->set_row_height(0));
  EXPECT_FALSE(table->set_row_height(std::nan("")));
  ASSERT_TRUE(table->set_row_height(30));  // three whole rows fit in 100
  RowViews rows;
  table->set_data_source(&rows);
  table->set_delegate(&rows);
  EXPECT_EQ(table->row_at_point(Point{5, 65}), 1);
  EXPECT_EQ(table->frame_of_row(3), std::nullopt) << "not shown";

  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();
  EXPECT_EQ(rows.asked, (std::vector<int>{0, 1, 2}));
  ASSERT_EQ(rows.buttons.size(), 3u);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(rows.buttons[row]->frame(), (Rect{0, 70.0 - 30 * row, 200, 30})) << row;
  }

  EXPECT_EQ(registry.perform("scroll updates 10 10 -60"), "ok");  // two rows down
  EXPECT_EQ(table->first_visible_row(), 2);
  rows.asked.clear();
  ASSERT_TRUE(window.display(error)) << error.message();
  EXPECT_EQ(rows.asked, (std::vector<int>{2, 3, 4}));
  for (int row = 2; row < 5; ++row) {
    EXPECT_EQ(rows.buttons[row]->frame(), (Rect{0, 70.0 - 30 * (row - 2), 200, 30})) << row;
    EXPECT_FALSE(rows.buttons[row]->is_hidden()) << row;
  }
  EXPECT_TRUE(rows.buttons[0]->is_hidden() && rows.buttons[1]->is_hidden())
      << "views of rows scrolled away do not cover others";
  EXPECT_EQ(registry.perform("click updates stop3"), "ok");
  EXPECT_EQ(registry.perform("click updates stop0"), "error: view \"stop0\" is hidden");
  EXPECT_EQ(rows.clicked, std::vector<int>{3});

  // The state shows the views where they are.
  const plist::Dictionary state = test_support::read_state_file(render.file("updates.state"));
  const plist::Array* placed = test_support::array_at(*test_support::dictionary_at(state, "views"),
                                                      "subviews");
  ASSERT_TRUE(placed && placed->size() == 5);
  const plist::Dictionary& third = *(*placed)[3].as_dictionary();
  EXPECT_EQ(test_support::string_at(third, "identifier"), "stop3");
  EXPECT_EQ(test_support::dictionary_at(third, "frame")->find("y")->real_value(), 40);

  // Back up, the first rows show their views again.
  EXPECT_EQ(registry.perform("scroll updates 10 10 90"), "ok");
  ASSERT_TRUE(window.display(error)) << error.message();
  EXPECT_FALSE(rows.buttons[0]->is_hidden());
  EXPECT_TRUE(rows.buttons[4]->is_hidden());
  EXPECT_EQ(rows.buttons[0]->frame().y, 70);
}

}  // namespace
}  // namespace platform::ui
