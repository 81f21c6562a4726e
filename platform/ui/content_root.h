// What a window does to the view tree it holds: attaching the root and drawing the tree.
// Internal to platform/ui; programs use Window::set_content_view.
#pragma once

#include "platform/gfx/canvas.h"
#include "platform/ui/view.h"

namespace platform::ui {

class ContentRoot {
 public:
  // Sets the window of `root` and its subtree (nullptr: they leave it).
  static void attach(View& root, Window* window);
  // Draws `view` and its subviews on a y-up canvas whose origin is the superview's
  // bottom-left corner; hidden views and what they hold are skipped.
  static void draw_tree(const View& view, gfx::Canvas& canvas);
};

}  // namespace platform::ui
