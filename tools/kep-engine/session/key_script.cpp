#include "key_script.h"

#include <utility>

namespace kep_session {
namespace {

struct Named {
  const char* name;
  KeyKind kind;
  char character;
};

constexpr Named kNamedKeys[] = {
    {"space", KeyKind::Space, 0},       {"bs", KeyKind::Backspace, 0},
    {"del", KeyKind::Delete, 0},        {"ret", KeyKind::Return, 0},
    {"left", KeyKind::Left, 0},         {"right", KeyKind::Right, 0},
    {"pgup", KeyKind::PageUp, 0},       {"pgdn", KeyKind::PageDown, 0},
    {"tab", KeyKind::Tab, 0},           {"esc", KeyKind::Escape, 0},
    {"lt", KeyKind::Character, '<'},    {"tone0", KeyKind::Tone, 0},
    {"tone1", KeyKind::Tone, 1},        {"tone2", KeyKind::Tone, 2},
    {"tone3", KeyKind::Tone, 3},        {"tone4", KeyKind::Tone, 4},
    {"tone5", KeyKind::Tone, 5},        {"tone6", KeyKind::Tone, 6},
    {"tone7", KeyKind::Tone, 7},        {"tone8", KeyKind::Tone, 8},
};

}  // namespace

std::optional<std::vector<Key>> parse_key_script(std::string_view script, std::string* error) {
  std::vector<Key> keys;
  for (std::size_t at = 0; at < script.size(); ++at) {
    const char c = script[at];
    if (c == '<') {
      const std::size_t end = script.find('>', at + 1);
      if (end == std::string_view::npos) {
        if (error) *error = "\"<\" without \">\" (write <lt> for the key itself)";
        return std::nullopt;
      }
      const std::string_view name = script.substr(at + 1, end - at - 1);
      bool known = false;
      for (const Named& named : kNamedKeys) {
        if (name == named.name) {
          keys.push_back({named.kind, named.character});
          known = true;
          break;
        }
      }
      if (!known) {
        if (error) *error = "unknown key <" + std::string(name) + ">";
        return std::nullopt;
      }
      at = end;
      continue;
    }
    if (c < 32 || c > 126) {
      if (error) *error = "only printable ASCII characters can be typed";
      return std::nullopt;
    }
    keys.push_back({c == ' ' ? KeyKind::Space : KeyKind::Character, c == ' ' ? '\0' : c});
  }
  return keys;
}

std::string key_name(const Key& key) {
  if (key.kind == KeyKind::Character) {
    return key.character == '<' ? "<lt>" : std::string(1, key.character);
  }
  for (const Named& named : kNamedKeys) {
    if (named.kind == key.kind && named.character == key.character) {
      return std::string("<") + named.name + ">";
    }
  }
  return "<?>";
}

}  // namespace kep_session
