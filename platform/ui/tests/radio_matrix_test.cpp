#include "platform/ui/radio_matrix.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"
#include "platform/ui/tests/window_test_support.h"

namespace platform::ui {
namespace {

using test_support::described;
using test_support::integer_at;
using test_support::string_at;

// Two cells side by side, "match" 0 and 1, in a window; clicks are logged.
struct Method {
  test_support::RenderDir render;
  WindowRegistry registry;
  Window window{"TestProgram", "options", Rect{0, 0, 220, 40}};
  RadioMatrix* matrix = nullptr;
  std::vector<std::string> actions;

  Method() {
    registry.add(window);
    auto root = std::make_unique<View>();
    matrix = &root->add_subview(std::make_unique<RadioMatrix>(Rect{10, 10, 200, 20}, 1, 2));
    matrix->set_identifier("match");
    matrix->set_title(0, 0, "Exact");
    matrix->set_title(0, 1, "Prefix");
    matrix->set_action([this](CheckBoxMatrix& sender, int row, int column) {
      auto& radio = static_cast<RadioMatrix&>(sender);
      actions.push_back(std::to_string(row) + "," + std::to_string(column) + " selected " +
                        std::to_string(radio.selected_column()));
    });
    window.set_content_view(std::move(root));
  }
  // A click in the middle of cell `column`.
  std::string click(int column) {
    const Rect cell = *matrix->cell_rect(0, column);
    const Point at = matrix->convert_to_window(Point{cell.x + 20, cell.y + cell.height / 2});
    const std::string where = std::to_string(at.x) + " " + std::to_string(at.y);
    const std::string down = registry.perform("down options " + where);
    return down + registry.perform("up options " + where);
  }
  std::vector<bool> on() const { return {matrix->is_on(0, 0), matrix->is_on(0, 1)}; }
};

TEST(RadioMatrixTest, ExactlyOneCellIsOnWhateverClicksAndTheProgramDo) {
  Method method;
  EXPECT_EQ(method.on(), (std::vector<bool>{true, false})) << "cell 0 at first";
  EXPECT_EQ(method.click(1), "okok");
  EXPECT_EQ(method.on(), (std::vector<bool>{false, true}));
  EXPECT_EQ(method.click(1), "okok");
  EXPECT_EQ(method.on(), (std::vector<bool>{false, true})) << "a click never turns a cell off";
  EXPECT_EQ(method.actions, (std::vector<std::string>{"0,1 selected 1", "0,1 selected 1"}))
      << "the action runs after the cell turned, on every click";

  method.actions.clear();
  EXPECT_TRUE(method.matrix->select_cell(0, 0));
  EXPECT_EQ(method.on(), (std::vector<bool>{true, false}));
  EXPECT_FALSE(method.matrix->set_on(0, 0, false)) << "the cell that is on stays on";
  EXPECT_TRUE(method.matrix->set_on(0, 1, false)) << "an off cell may be told to stay off";
  EXPECT_TRUE(method.matrix->set_on(0, 1, true));
  EXPECT_EQ(method.on(), (std::vector<bool>{false, true}));
  EXPECT_FALSE(method.matrix->select_cell(0, 2));
  EXPECT_FALSE(method.matrix->select_cell(1, 0));
  EXPECT_EQ(method.on(), (std::vector<bool>{false, true}));
  EXPECT_TRUE(method.matrix->perform_click(0, 0));
  EXPECT_EQ(method.actions, std::vector<std::string>{"0,0 selected 0"});
  method.matrix->set_enabled(false);
  EXPECT_FALSE(method.matrix->perform_click(0, 1));
  EXPECT_EQ(method.on(), (std::vector<bool>{true, false}));
}

TEST(RadioMatrixTest, TheStateNamesTheSelectedCell) {
  Method method;
  method.click(1);
  const plist::Dictionary shown = described(*method.matrix);
  EXPECT_EQ(string_at(shown, "kind"), "radio");
  EXPECT_EQ(integer_at(shown, "selectedRow"), 0);
  EXPECT_EQ(integer_at(shown, "selectedColumn"), 1);
  EXPECT_EQ(integer_at(shown, "clickedColumn"), 1);
  const RadioMatrix none(Rect{0, 0, 10, 10}, 0, 3);
  EXPECT_EQ(none.selected_row(), -1);
  EXPECT_EQ(none.selected_column(), -1);
}

TEST(RadioMatrixTest, TheSelectedCellShowsItsDot) {
  Method method;
  // Dark pixels in the middle of each cell's circle, at its left.
  auto dot = [&](int column) {
    auto picture = method.window.render();
    if (!picture) return -1;
    const Rect cell = *method.matrix->cell_rect(0, column);
    const Point centre = method.matrix->convert_to_window(
        Point{cell.x + 7, cell.y + cell.height / 2});
    const gfx::Pixel p = picture->pixel(static_cast<int>(centre.x),
                                        picture->height() - static_cast<int>(centre.y));
    return p.red + p.green + p.blue;
  };
  EXPECT_LT(dot(0), 150);
  EXPECT_GT(dot(1), 500);
  method.click(1);
  EXPECT_GT(dot(0), 500);
  EXPECT_LT(dot(1), 150);
}

}  // namespace
}  // namespace platform::ui
