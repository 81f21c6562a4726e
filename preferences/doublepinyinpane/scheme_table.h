// The list of schemes: a table that asks before a click moves its selection, so the pane can
// write the text being edited first and keep the selection when that fails.
#pragma once

#include <functional>

#include "platform/ui/table_view.h"

namespace dpypane {

class SchemeTable : public platform::ui::TableView {
 public:
  // Asked with the row a click would select; false keeps the selection where it is.
  using SelectionGuard = std::function<bool(int row)>;

  using TableView::TableView;

  void set_selection_guard(SelectionGuard guard) { guard_ = std::move(guard); }
  // A disabled list takes no clicks.
  void set_enabled(bool enabled) { enabled_ = enabled; }
  bool is_enabled() const { return enabled_; }

  bool mouse_down(const platform::ui::MouseEvent& event) override;

 private:
  SelectionGuard guard_;
  bool enabled_ = true;
};

}  // namespace dpypane
