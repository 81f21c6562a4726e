// A pop-up button: a control showing its selected item; a click opens its menu in a window of
// its own beside the button ("<window>.menu", at the pop-up menu level, registered with the
// button's window so the control port reaches it). A click on a row of that window chooses the
// item, closes the menu and runs the button's action; a click outside the rows closes it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/view.h"

namespace platform::ui {

struct PopUpItem {
  std::string title;
  int tag = 0;
  bool hidden = false;
  bool separator = false;
};

class PopUpMenuWindow;

class PopUpButton : public View {
 public:
  using Action = std::function<void(PopUpButton& sender)>;

  explicit PopUpButton(Rect frame);
  ~PopUpButton() override;

  void remove_all_items();
  void add_item(std::string title, int tag = 0);
  void add_separator();
  const std::vector<PopUpItem>& items() const { return items_; }
  // nullptr when out of range.
  PopUpItem* item_at(int index);
  // The first item with `tag` that is not a separator; -1 when none.
  int index_of_item_with_tag(int tag) const;
  void set_item_hidden(int index, bool hidden);

  // -1 when nothing is selected; the first item added is selected. Selecting by program runs
  // no action; a separator or an index out of range selects nothing.
  int index_of_selected_item() const { return selected_; }
  const PopUpItem* selected_item() const;
  void select_item_at(int index);

  // Run when the user chooses an item from the menu.
  void set_action(Action action) { action_ = std::move(action); }

  // Opens the menu window (nothing when the button is in no window of a registry, or has no
  // visible item); the menu closes when an item is chosen, on a click outside its rows, or
  // when the button goes away.
  void open_menu();
  bool is_menu_open() const;
  // Chooses item `index` as the user would: selects it and runs the action; false for a
  // hidden item, a separator or an index out of range.
  bool choose_item(int index);

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;

 protected:
  const char* kind() const override;
  // "items" (titles, "-" for separators, hidden ones left out), "selected" (index),
  // "selected_title", "menu_open".
  void describe_into(plist::Dictionary& shows) const override;
  void view_did_move_to_window() override;

 private:
  std::vector<PopUpItem> items_;
  int selected_ = -1;
  Action action_;
  std::unique_ptr<PopUpMenuWindow> menu_;
  // The menu before the current one, kept while it may still be handling the click that chose.
  std::unique_ptr<PopUpMenuWindow> retired_menu_;
};

}  // namespace platform::ui
