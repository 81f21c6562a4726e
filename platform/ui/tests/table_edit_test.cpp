// Editing table cells in place, and cells with text colours of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/table_view.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::described;
using test_support::dictionary_at;
using test_support::integer_at;
using test_support::RenderDir;
using test_support::string_at;

constexpr gfx::Colour kGrey{0.5, 0.5, 0.5, 1};

// Two columns, "Key" (never edited) and "Value"; stores what editing hands back, and greys
// the values of rows listed in `grey`.
class Scheme : public TableDataSource {
 public:
  std::vector<std::string> keys{",", ".", "<"};
  std::vector<std::string> values{"，", "。", "《》"};
  std::vector<int> grey;
  std::vector<std::string> stored;

  int number_of_rows(const TableView&) override { return static_cast<int>(keys.size()); }
  std::optional<std::string> object_value(const TableView&, std::string_view column,
                                          int row) override {
    return column == "Key" ? keys.at(row) : values.at(row);
  }
  bool should_edit(TableView&, std::string_view column, int) override { return column != "Key"; }
  void set_object_value(TableView&, std::string_view column, int row,
                        const std::string& text) override {
    stored.push_back(std::string(column) + " " + std::to_string(row) + " " + text);
    values.at(row) = text;
  }
  std::optional<gfx::Colour> text_colour(const TableView&, std::string_view column,
                                         int row) override {
    const bool greyed = std::find(grey.begin(), grey.end(), row) != grey.end();
    return column == "Value" && greyed ? std::optional(kGrey) : std::nullopt;
  }
};

// A window "keys" 200x100 holding the table "table" at the top and a field "note" below it.
struct KeyList {
  RenderDir render;
  WindowRegistry registry;
  Window window{"TestProgram", "keys", Rect{0, 0, 200, 100}};
  Scheme scheme;
  TableView* table = nullptr;
  TextField* note = nullptr;

  KeyList() {
    registry.add(window);
    auto root = std::make_unique<View>();
    table = &root->add_subview(std::make_unique<TableView>(Rect{0, 40, 200, 60}));
    table->set_identifier("table");
    table->add_column({"Key", "Key", 50});
    table->add_column({"Value", "Value", 150});
    table->set_data_source(&scheme);
    note = &root->add_subview(std::make_unique<TextField>(Rect{0, 0, 200, 24}, "note"));
    note->set_identifier("note");
    note->set_editable(true);
    window.set_content_view(std::move(root));
    window.make_key_and_order_front();
  }
  // The middle of a cell in window points.
  static std::string at(int column, int row) {
    const double x = column == 0 ? 25 : 125;
    const double y = 40 + 60 - (row + 0.5) * TableView::kRowHeight;
    return std::to_string(x) + " " + std::to_string(y);
  }
  plist::Dictionary editing() const {
    const plist::Dictionary table_shows = described(*table);
    const plist::Dictionary* shown = dictionary_at(table_shows, "editing");
    return shown ? *shown : plist::Dictionary{};
  }
};

TEST(TableEditTest, ADoubleClickEditsTheCellAndReturnStoresTheText) {
  KeyList list;
  EXPECT_EQ(list.registry.perform("double keys " + KeyList::at(0, 1)), "ok");
  EXPECT_FALSE(list.table->is_editing()) << "the data source refuses the key column";
  EXPECT_EQ(list.registry.perform("double keys " + KeyList::at(1, 2)), "ok");
  ASSERT_TRUE(list.table->is_editing());
  EXPECT_EQ(list.window.first_responder(), list.table);
  EXPECT_EQ(string_at(list.editing(), "column"), "Value");
  EXPECT_EQ(integer_at(list.editing(), "row"), 2);
  EXPECT_EQ(string_at(list.editing(), "text"), "《》");

  EXPECT_EQ(list.registry.perform("key keys 〈〉"), "ok");
  EXPECT_EQ(string_at(list.editing(), "text"), "〈〉") << "the selected text was replaced";
  EXPECT_EQ(integer_at(list.editing(), "caret"), 2);
  EXPECT_TRUE(list.scheme.stored.empty()) << "nothing is stored while the cell is edited";
  EXPECT_EQ(list.registry.perform("keycode keys 36 0"), "ok");
  EXPECT_FALSE(list.table->is_editing());
  EXPECT_EQ(list.scheme.stored, std::vector<std::string>{"Value 2 〈〉"});
  EXPECT_EQ(list.window.first_responder(), list.table) << "the table keeps the keyboard";
  EXPECT_FALSE(described(*list.table).contains("editing"));
  // Return again is not for the table now.
  EXPECT_EQ(list.registry.perform("keycode keys 36 0"), "error: \"keys\" did not take the key");
}

TEST(TableEditTest, EscapeKeepsTheCellAndOtherEndsStoreIt) {
  KeyList list;
  struct Case {
    std::string name;
    std::vector<std::string> commands;  // after edit_column("Value", 0)
    std::vector<std::string> stored;
  };
  const Case cases[] = {
      {"escape", {"key keys x", "keycode keys 53 0"}, {}},
      {"tab", {"key keys x", "keycode keys 48 0"}, {"Value 0 x"}},
      {"shift-tab", {"key keys y", "keycode keys 48 shift"}, {"Value 0 y"}},
      {"a click on another cell", {"key keys z", "down keys " + KeyList::at(0, 2)}, {"Value 0 z"}},
      {"a click on another view", {"key keys w", "click keys note"}, {"Value 0 w"}},
  };
  for (const Case& c : cases) {
    list.scheme.values[0] = "，";
    list.scheme.stored.clear();
    list.window.make_first_responder(nullptr);
    ASSERT_TRUE(list.table->edit_column("Value", 0)) << c.name;
    for (const std::string& command : c.commands) {
      EXPECT_EQ(list.registry.perform(command), "ok") << c.name << ": " << command;
    }
    EXPECT_FALSE(list.table->is_editing()) << c.name;
    EXPECT_EQ(list.scheme.stored, c.stored) << c.name;
  }
  EXPECT_EQ(list.window.first_responder(), list.note);
}

TEST(TableEditTest, EditingByProgramIsCheckedAndFollowsTheRows) {
  KeyList list;
  EXPECT_FALSE(list.table->edit_column("Nothing", 0));
  EXPECT_FALSE(list.table->edit_column("Value", 3));
  EXPECT_FALSE(list.table->edit_column("Value", -1));
  list.table->set_column_cell("Key", TableCellKind::Image);
  EXPECT_FALSE(list.table->edit_column("Key", 0)) << "pictures are not edited";

  ASSERT_TRUE(list.table->edit_column("Value", 1));
  EXPECT_EQ(list.table->selected_row(), 1);
  TextEditor* editor = list.table->cell_editor();
  ASSERT_NE(editor, nullptr);
  editor->set_limits(TextLimits{2, {}});
  EXPECT_EQ(list.registry.perform("key keys abc"), "ok");
  EXPECT_EQ(string_at(list.editing(), "text"), "ab");
  // Starting another editing stores this one first.
  ASSERT_TRUE(list.table->edit_column("Value", 0));
  EXPECT_EQ(list.scheme.stored, std::vector<std::string>{"Value 1 ab"});
  // The row being edited going away drops the editing, storing nothing.
  list.scheme.keys.resize(0);
  list.scheme.values.resize(0);
  list.table->reload_data();
  EXPECT_FALSE(list.table->is_editing());
  EXPECT_EQ(list.scheme.stored.size(), 1u);
}

TEST(TableEditTest, CellsShowTheTextColoursTheyAreGiven) {
  KeyList list;
  list.scheme.grey = {1};
  // The delegate's colour wins over the data source's, once the table has drawn.
  struct Painter : TableDelegate {
    void will_display_cell(TableView&, TableCell& cell, std::string_view column,
                           int row) override {
      if (column == "Key" && row == 2) cell.text_colour = gfx::Colour{1, 0, 0, 1};
    }
  } painter;
  list.table->set_delegate(&painter);
  ASSERT_TRUE(list.window.render());
  const plist::Dictionary shown = described(*list.table);
  const plist::Array* colours = test_support::array_at(shown, "text_colours");
  ASSERT_NE(colours, nullptr);
  ASSERT_EQ(colours->size(), 3u);
  EXPECT_EQ(test_support::strings((*colours)[0].as_array()), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(test_support::strings((*colours)[1].as_array()),
            (std::vector<std::string>{"", "#808080"}));
  EXPECT_EQ(test_support::strings((*colours)[2].as_array()),
            (std::vector<std::string>{"#ff0000", ""}));

  // No colours given, no key: the state reads as it did before cells had colours.
  list.scheme.grey.clear();
  list.table->set_delegate(nullptr);
  ASSERT_TRUE(list.window.render());
  EXPECT_FALSE(described(*list.table).contains("text_colours"));
}

// Whether the value cell of the first row shows pixels of a neutral mid grey: text drawn grey
// (white text over the selection's blue never blends to one).
bool first_value_shows_grey(KeyList& list) {
  auto picture = list.window.render();
  if (!picture) return false;
  const int top = picture->height() - 100;
  for (int y = top; y < top + static_cast<int>(TableView::kRowHeight); ++y) {
    for (int x = 50; x < 200; ++x) {
      const gfx::Pixel p = picture->pixel(x, y);
      if (std::abs(p.red - 128) < 10 && std::abs(p.green - 128) < 10 &&
          std::abs(p.blue - 128) < 10) {
        return true;
      }
    }
  }
  return false;
}

TEST(TableEditTest, AGreyCellIsDrawnGreyEvenOnTheSelectedRow) {
  KeyList list;
  list.scheme.values = {"■■■■ MMMM", "", ""};
  list.table->select_row(0);
  EXPECT_FALSE(first_value_shows_grey(list));
  list.scheme.grey = {0};
  list.table->reload_data();
  EXPECT_TRUE(first_value_shows_grey(list));
}

}  // namespace
}  // namespace platform::ui
