// The window a pop-up button's menu opens in: one row per visible item, the rows listed in
// its state ("shows" → "rows": title, index, y, height in window points) so a click can be
// aimed at one. It never destroys itself: closing hides it and leaves the registry, and the
// button destroys it later, outside the menu's own event handling.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/window.h"

namespace platform::ui {

class PopUpButton;

class PopUpMenuWindow : public Window {
 public:
  static constexpr double kRowHeight = 18;
  static constexpr double kSeparatorHeight = 8;
  static constexpr double kMinimumWidth = 100;

  // Rows for the button's visible items, top-left corner at `top_left` (screen points).
  PopUpMenuWindow(PopUpButton& owner, std::string program, std::string name, Point top_left,
                  double width);

  bool is_closed() const { return closed_; }
  // Hides the window, writes that to its state and leaves the registry.
  void close();

 protected:
  void mouse_down(const MouseEvent& event) override;
  void mouse_up(const MouseEvent& event) override;

 private:
  struct Row {
    std::string title;
    int index = -1;  // -1: a separator
    double y = 0;    // bottom edge, window points
    double height = 0;
  };

  // The item under `location`; -1 on a separator or outside the rows.
  int item_at(Point location) const;
  // Closes, then lets the button choose: the button's action may destroy this window.
  void choose(int index);
  void draw_rows(gfx::Surface& picture) const;

  PopUpButton& owner_;
  std::vector<Row> rows_;
  int selected_ = -1;
  bool closed_ = false;
};

}  // namespace platform::ui
