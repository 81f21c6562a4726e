// Menu items that answer a key: an application's menu shortcuts reach the input method's menu
// before the key reaches its controller.
#pragma once

#include <optional>
#include <vector>

#include "platform/imk/input_method.h"

namespace platform::imk {

// The tag of the first enabled item whose key equivalent the key-down `event` types with
// exactly the item's modifiers (Caps Lock aside; letters in either case, " " for Space).
// Items without a key equivalent or without modifiers answer no key.
std::optional<int> menu_item_for_key(const std::vector<MenuItem>& menu, const Event& event);

}  // namespace platform::imk
