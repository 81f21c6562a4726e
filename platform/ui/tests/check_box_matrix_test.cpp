#include "platform/ui/check_box_matrix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

using test_support::array_at;
using test_support::bool_at;
using test_support::described;
using test_support::integer_at;
using test_support::string_at;

// A window holding a 3x2 matrix at (10, 10), 200x90 with 10 points between cells.
struct MatrixWindow {
  MatrixWindow() {
    auto root = std::make_unique<View>();
    matrix = &root->add_subview(std::make_unique<CheckBoxMatrix>(Rect{10, 10, 200, 90}, 3, 2));
    matrix->set_identifier("fuzzy");
    matrix->set_spacing(10, 10);
    const char* titles[3][2] = {{"c = ch", "s = sh"}, {"z = zh", "l = n"}, {"f = h", "r = l"}};
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 2; ++column) matrix->set_title(row, column, titles[row][column]);
    }
    matrix->set_action([this](CheckBoxMatrix&, int row, int column) {
      clicks.push_back(std::to_string(row) + "," + std::to_string(column));
    });
    window.set_content_view(std::move(root));
  }
  // A click in the middle of a cell, in window points.
  void click(int row, int column) {
    const Rect cell = *matrix->cell_rect(row, column);
    const Point middle = matrix->convert_to_window(
        Point{cell.x + cell.width / 2, cell.y + cell.height / 2});
    window.handle_mouse(MouseEvent{MouseEventType::Down, middle});
    window.handle_mouse(MouseEvent{MouseEventType::Up, middle});
  }
  std::vector<bool> states() const {
    std::vector<bool> on;
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 2; ++column) on.push_back(matrix->is_on(row, column));
    }
    return on;
  }
  Window window{"TestProgram", "Prefs", Rect{0, 0, 240, 120}};
  CheckBoxMatrix* matrix = nullptr;
  std::vector<std::string> clicks;
};

TEST(CheckBoxMatrixTest, CellsLieRowsFromTheTopWithTheSpacingBetween) {
  MatrixWindow shown;
  struct Case {
    int row, column;
    Rect rect;
  };
  const Case cases[] = {
      {0, 0, {0, 66.6666666666666714, 95, 23.333333333333332}},
      {0, 1, {105, 66.6666666666666714, 95, 23.333333333333332}},
      {2, 1, {105, 0, 95, 23.333333333333332}},
  };
  for (const Case& c : cases) {
    const Rect rect = *shown.matrix->cell_rect(c.row, c.column);
    EXPECT_NEAR(rect.x, c.rect.x, 1e-9);
    EXPECT_NEAR(rect.y, c.rect.y, 1e-9);
    EXPECT_NEAR(rect.width, c.rect.width, 1e-9);
    EXPECT_NEAR(rect.height, c.rect.height, 1e-9);
  }
  EXPECT_FALSE(shown.matrix->cell_rect(3, 0));
  EXPECT_FALSE(shown.matrix->cell_at(Point{100, 5})) << "the spacing is no cell's";
  EXPECT_EQ(shown.matrix->cell_at(Point{110, 80}), (std::pair{0, 1}));
}

TEST(CheckBoxMatrixTest, AClickTurnsOnlyThatCell) {
  MatrixWindow shown;
  shown.matrix->set_on(2, 0, true);
  shown.click(1, 1);
  EXPECT_EQ(shown.states(), (std::vector<bool>{false, false, false, true, true, false}));
  shown.click(2, 0);
  EXPECT_EQ(shown.states(), (std::vector<bool>{false, false, false, true, false, false}));
  EXPECT_EQ(shown.clicks, (std::vector<std::string>{"1,1", "2,0"}));
  EXPECT_EQ(shown.matrix->clicked_row(), 2);
  EXPECT_EQ(shown.matrix->clicked_column(), 0);

  // A press that ends in another cell turns none.
  const Rect from = *shown.matrix->cell_rect(0, 0);
  const Rect to = *shown.matrix->cell_rect(0, 1);
  shown.window.handle_mouse(MouseEvent{
      MouseEventType::Down, shown.matrix->convert_to_window(Point{from.x + 5, from.y + 5})});
  shown.window.handle_mouse(MouseEvent{
      MouseEventType::Up, shown.matrix->convert_to_window(Point{to.x + 5, to.y + 5})});
  EXPECT_EQ(shown.states(), (std::vector<bool>{false, false, false, true, false, false}));
  EXPECT_EQ(shown.clicks.size(), 2u);
}

TEST(CheckBoxMatrixTest, DisabledCellsAndADisabledMatrixIgnoreClicks) {
  MatrixWindow shown;
  shown.matrix->set_cell_enabled(0, 1, false);
  shown.click(0, 1);
  EXPECT_FALSE(shown.matrix->is_on(0, 1));
  shown.click(0, 0);
  EXPECT_TRUE(shown.matrix->is_on(0, 0)) << "the other cells still turn";

  shown.matrix->set_enabled(false);
  for (int row = 0; row < 3; ++row) shown.click(row, 0);
  EXPECT_FALSE(shown.matrix->perform_click(1, 1));
  EXPECT_EQ(shown.states(), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_EQ(shown.clicks, std::vector<std::string>{"0,0"});
}

TEST(CheckBoxMatrixTest, TheStateDescribesEveryCell) {
  MatrixWindow shown;
  shown.matrix->set_on(1, 1, true);
  shown.matrix->set_cell_enabled(2, 1, false);
  const plist::Dictionary shows = described(*shown.matrix);
  EXPECT_EQ(string_at(shows, "kind"), "matrix");
  EXPECT_EQ(string_at(shows, "identifier"), "fuzzy");
  EXPECT_EQ(integer_at(shows, "rows"), 3);
  EXPECT_EQ(integer_at(shows, "columns"), 2);
  EXPECT_EQ(bool_at(shows, "enabled"), true);
  const plist::Array* rows = array_at(shows, "cells");
  ASSERT_TRUE(rows && rows->size() == 3);
  const plist::Array* middle = (*rows)[1].as_array();
  ASSERT_TRUE(middle && middle->size() == 2);
  const plist::Dictionary& l_n = *(*middle)[1].as_dictionary();
  EXPECT_EQ(string_at(l_n, "title"), "l = n");
  EXPECT_EQ(bool_at(l_n, "on"), true);
  EXPECT_EQ(bool_at(*(*(*rows)[2].as_array())[1].as_dictionary(), "enabled"), false);
  EXPECT_EQ(bool_at(*(*(*rows)[0].as_array())[0].as_dictionary(), "on"), false);
}

// Pixels darker than mid grey inside a rectangle of the window (window points).
int dark_pixels(const gfx::Surface& picture, const Rect& rect, double window_height) {
  int dark = 0;
  for (int y = static_cast<int>(rect.y); y < rect.y + rect.height; ++y) {
    for (int x = static_cast<int>(rect.x); x < rect.x + rect.width; ++x) {
      const gfx::Pixel p = picture.pixel(x, static_cast<int>(window_height) - 1 - y);
      if (p.red + p.green + p.blue < 3 * 100) ++dark;
    }
  }
  return dark;
}

TEST(CheckBoxMatrixTest, CellsAreDrawnAsCheckBoxes) {
  // The same cell drawn by the matrix and by a check box of the cell's size looks the same.
  MatrixWindow shown;
  shown.matrix->set_on(1, 1, true);
  const Rect cell = *shown.matrix->cell_rect(1, 1);
  Window single("TestProgram", "single", Rect{0, 0, 240, 120});
  auto root = std::make_unique<View>();
  auto& box = root->add_subview(std::make_unique<CheckBox>(
      Rect{10 + cell.x, 10 + cell.y, cell.width, cell.height}, "l = n"));
  box.set_on(true);
  single.set_content_view(std::move(root));
  auto matrix_picture = shown.window.render();
  auto box_picture = single.render();
  ASSERT_TRUE(matrix_picture && box_picture);
  const Rect area{10 + cell.x, 10 + cell.y, cell.width, cell.height};
  EXPECT_GT(dark_pixels(*matrix_picture, area, 120), 20) << "a tick and a title";
  EXPECT_EQ(dark_pixels(*matrix_picture, area, 120), dark_pixels(*box_picture, area, 120));
}

}  // namespace
}  // namespace platform::ui
