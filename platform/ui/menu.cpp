#include "platform/ui/menu.h"

#include <utility>

namespace platform::ui {

MenuItem& Menu::add(MenuItem item) {
  items_.push_back(std::move(item));
  return items_.back();
}

void Menu::add_separator() {
  MenuItem item;
  item.separator = true;
  item.enabled = false;
  items_.push_back(std::move(item));
}

MenuItem* Menu::item_with_tag(int tag) {
  for (MenuItem& item : items_) {
    if (!item.separator && item.tag == tag) return &item;
  }
  return nullptr;
}

const MenuItem* Menu::item_with_tag(int tag) const {
  return const_cast<Menu*>(this)->item_with_tag(tag);
}

bool Menu::perform(int tag) {
  MenuItem* item = item_with_tag(tag);
  if (item == nullptr || !item->enabled || !item->action) return false;
  item->action(*item);
  return true;
}

}  // namespace platform::ui
