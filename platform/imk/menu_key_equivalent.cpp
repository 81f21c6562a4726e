#include "platform/imk/menu_key_equivalent.h"

#include <string>
#include <string_view>

namespace platform::imk {
namespace {

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool types_key_equivalent(std::string_view key_equivalent, const Event& event) {
  if (key_equivalent == " ") return event.key_code == kKeySpace;
  if (key_equivalent.size() == 1 && event.characters.size() == 1) {
    return lower_ascii(key_equivalent[0]) == lower_ascii(event.characters[0]);
  }
  return key_equivalent == event.characters;
}

}  // namespace

std::optional<int> menu_item_for_key(const std::vector<MenuItem>& menu, const Event& event) {
  if (event.type != EventType::KeyDown) return std::nullopt;
  constexpr std::uint64_t kShortcutFlags = kDeviceIndependentFlags & ~kCapsLockFlag;
  const std::uint64_t pressed = event.modifier_flags & kShortcutFlags;
  for (const MenuItem& item : menu) {
    if (!item.enabled || item.separator || item.key_equivalent.empty()) continue;
    const std::uint64_t wanted = item.key_modifiers & kShortcutFlags;
    if (wanted == 0 || wanted != pressed) continue;
    if (types_key_equivalent(item.key_equivalent, event)) return item.tag;
  }
  return std::nullopt;
}

}  // namespace platform::imk
