#include "preferences/codetablepane/scheme_table.h"

namespace codetablepane {

template <typename Handle>
bool SchemeTable::watching_selection(Handle handle) {
  const int left = selected_row();
  const bool taken = handle();
  if (selected_row() != left && changed_) changed_(left, selected_row());
  return taken;
}

bool SchemeTable::mouse_down(const platform::ui::MouseEvent& event) {
  if (!enabled_) return true;
  return watching_selection([&] { return TableView::mouse_down(event); });
}

bool SchemeTable::key_down(const platform::ui::KeyEvent& event) {
  if (!enabled_) return false;
  return watching_selection([&] { return TableView::key_down(event); });
}

}  // namespace codetablepane
