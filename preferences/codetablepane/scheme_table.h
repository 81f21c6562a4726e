// The list of installed schemes: a table that tells its owner when a click or a key moves the
// selection, with the row left and the row chosen, and that takes no clicks while disabled.
#pragma once

#include <functional>

#include "platform/ui/table_view.h"

namespace codetablepane {

class SchemeTable : public platform::ui::TableView {
 public:
  using SelectionChanged = std::function<void(int left, int chosen)>;

  explicit SchemeTable(platform::ui::Rect frame) : TableView(frame) {}

  void set_selection_changed(SelectionChanged changed) { changed_ = std::move(changed); }
  bool is_enabled() const { return enabled_; }
  void set_enabled(bool enabled) { enabled_ = enabled; }

  bool mouse_down(const platform::ui::MouseEvent& event) override;
  bool key_down(const platform::ui::KeyEvent& event) override;

 private:
  template <typename Handle>
  bool watching_selection(Handle handle);

  SelectionChanged changed_;
  bool enabled_ = true;
};

}  // namespace codetablepane
