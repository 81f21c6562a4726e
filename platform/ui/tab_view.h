// A tab view: a row of tab labels along its top and, below it, the content view of the
// selected tab. A click on a label selects that tab.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/view.h"

namespace platform::ui {

class TabView : public View {
 public:
  // The height of the label row.
  static constexpr double kTabHeight = 24;

  explicit TabView(Rect frame);

  // Adds a tab and returns its content view, which fills the view below the label row. The
  // first tab added is selected.
  View& add_tab(std::string identifier, std::string label);
  int number_of_tabs() const { return static_cast<int>(tabs_.size()); }
  int index_of_selected_tab() const { return selected_; }
  // Out of range: nothing changes.
  void select_tab_at(int index);
  View* tab_content(int index) const;
  // The label's rectangle in this view's points (for clicks); nullopt out of range.
  std::optional<Rect> label_rect(int index) const;

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;

 protected:
  const char* kind() const override;
  // "tabs" (labels), "selected" (index).
  void describe_into(plist::Dictionary& shows) const override;
  void frame_size_did_change() override;

 private:
  // Where the tabs' contents lie: all of the view below the label row.
  Rect content_rect() const;

  struct Tab {
    std::string identifier;
    std::string label;
    View* content;
  };
  std::vector<Tab> tabs_;
  int selected_ = -1;
};

}  // namespace platform::ui
