#include "platform/ui/table_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace platform::ui
