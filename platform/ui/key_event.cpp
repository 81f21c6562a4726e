#include "platform/ui/key_event.h"

#include "platform/text.h"

namespace platform::ui {
namespace {

// The keys that type no printable character, by the names of the key table.
constexpr std::string_view kNamedKeys[] = {
    "space", "bs",  "del", "ret", "enter", "tab", "esc", "up",  "down", "left", "right",
    "home",  "end", "pgup", "pgdn", "help", "f1", "f2",  "f3",  "f4",   "f5",   "f6",
    "f7",    "f8",  "f9",  "f10", "f11",   "f12", "f13", "f14", "f15",
};

// What the key `key_code` types: the US character (shifted or not), or the named key's.
std::string typed_by(std::uint16_t key_code, bool shifted) {
  for (std::string_view name : kNamedKeys) {
    const auto key = imk::key_named(name);
    if (key && key->key_code == key_code) return key->characters;
  }
  for (int c = 0x21; c < 0x7f; ++c) {
    const auto key = imk::key_for_character(static_cast<char>(c));
    if (key && key->key_code == key_code && (key->modifier_flags != 0) == shifted) {
      return key->characters;
    }
  }
  return {};
}

}  // namespace

KeyEvent key_event_for_code(std::uint16_t key_code, std::uint64_t modifier_flags,
                            std::optional<std::string> characters) {
  KeyEvent event{key_code, modifier_flags, {}};
  event.characters = characters ? std::move(*characters)
                                : typed_by(key_code, (modifier_flags & imk::kShiftFlag) != 0);
  return event;
}

std::vector<KeyEvent> key_events_for_characters(std::string_view characters) {
  std::vector<KeyEvent> events;
  if (!text::is_valid_utf8(characters)) return events;
  while (!characters.empty()) {
    const std::size_t length = text::utf8_sequence_length(static_cast<unsigned char>(characters[0]));
    const std::string_view one = characters.substr(0, length);
    characters.remove_prefix(one.size());
    if (one == "\x19") {
      events.push_back(KeyEvent{imk::kKeyTab, imk::kShiftFlag, std::string(one)});
      continue;
    }
    const auto key = one.size() == 1 ? imk::key_for_character(one[0]) : std::nullopt;
    if (key) {
      events.push_back(KeyEvent{key->key_code, key->modifier_flags, key->characters});
    } else {
      events.push_back(KeyEvent{kNoKeyCode, 0, std::string(one)});
    }
  }
  return events;
}

}  // namespace platform::ui
