// A menu without a screen: items a program builds once, whose check marks, titles and key
// equivalents it changes while it runs, and whose actions a caller invokes by tag.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform::ui {

struct MenuItem;
using MenuAction = std::function<void(MenuItem&)>;

inline constexpr int kStateOff = 0;
inline constexpr int kStateOn = 1;
inline constexpr int kStateMixed = -1;

struct MenuItem {
  int tag = 0;
  std::string title;
  int state = kStateOff;
  std::string key_equivalent;
  std::uint64_t key_modifiers = 0;
  bool enabled = true;
  bool separator = false;
  MenuAction action;  // empty: the item does nothing
};

class Menu {
 public:
  // Items keep their address for the menu's life, so a found item may be held.
  MenuItem& add(MenuItem item);
  void add_separator();

  // The first item with `tag` that is not a separator; nullptr when there is none.
  MenuItem* item_with_tag(int tag);
  const MenuItem* item_with_tag(int tag) const;

  const std::deque<MenuItem>& items() const { return items_; }

  // Runs the action of the enabled item with `tag`, handing it the item. false when no such
  // item, it is disabled or it has no action.
  bool perform(int tag);

 private:
  std::deque<MenuItem> items_;
};

}  // namespace platform::ui
