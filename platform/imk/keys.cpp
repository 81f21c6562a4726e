#include "platform/imk/keys.h"

#include <utility>

namespace platform::imk {
namespace {

struct CharacterKey {
  char character;
  std::uint16_t key_code;
  bool shifted;
};

// The US layout: every printable ASCII character, and the shifted ones on the key they share
// with their unshifted partner.
constexpr CharacterKey kCharacterKeys[] = {
    {'a', 0, false},   {'s', 1, false},   {'d', 2, false},   {'f', 3, false},
    {'h', 4, false},   {'g', 5, false},   {'z', 6, false},   {'x', 7, false},
    {'c', 8, false},   {'v', 9, false},   {'b', 11, false},  {'q', 12, false},
    {'w', 13, false},  {'e', 14, false},  {'r', 15, false},  {'y', 16, false},
    {'t', 17, false},  {'1', 18, false},  {'2', 19, false},  {'3', 20, false},
    {'4', 21, false},  {'6', 22, false},  {'5', 23, false},  {'=', 24, false},
    {'9', 25, false},  {'7', 26, false},  {'-', 27, false},  {'8', 28, false},
    {'0', 29, false},  {']', 30, false},  {'o', 31, false},  {'u', 32, false},
    {'[', 33, false},  {'i', 34, false},  {'p', 35, false},  {'l', 37, false},
    {'j', 38, false},  {'\'', 39, false}, {'k', 40, false},  {';', 41, false},
    {'\\', 42, false}, {',', 43, false},  {'/', 44, false},  {'n', 45, false},
    {'m', 46, false},  {'.', 47, false},  {'`', 50, false},  {' ', kKeySpace, false},
    {'!', 18, true},   {'@', 19, true},   {'#', 20, true},   {'$', 21, true},
    {'^', 22, true},   {'%', 23, true},   {'+', 24, true},   {'(', 25, true},
    {'&', 26, true},   {'_', 27, true},   {'*', 28, true},   {')', 29, true},
    {'}', 30, true},   {'{', 33, true},   {'"', 39, true},   {':', 41, true},
    {'|', 42, true},   {'<', 43, true},   {'?', 44, true},   {'>', 47, true},
    {'~', 50, true},
};

struct NamedKey {
  std::string_view name;
  std::string_view characters;
  std::uint16_t key_code;
};

// Keys that type no printable character carry what the client platform reports for them:
// control characters, or the private-use characters of the function keys, so that no key
// reaches the server with empty characters.
constexpr NamedKey kNamedKeys[] = {
    {"space", " ", kKeySpace},
    {"bs", "\x7f", kKeyDelete},
    {"del", "\xef\x9c\xa8", kKeyForwardDelete},  // U+F728
    {"ret", "\r", kKeyReturn},
    {"enter", "\x03", kKeyKeypadEnter},
    {"tab", "\t", kKeyTab},
    {"esc", "\x1b", kKeyEscape},
    {"up", "\xef\x9c\x80", kKeyUp},           // U+F700
    {"down", "\xef\x9c\x81", kKeyDown},       // U+F701
    {"left", "\xef\x9c\x82", kKeyLeft},       // U+F702
    {"right", "\xef\x9c\x83", kKeyRight},     // U+F703
    {"home", "\xef\x9c\xa9", kKeyHome},       // U+F729
    {"end", "\xef\x9c\xab", kKeyEnd},         // U+F72B
    {"pgup", "\xef\x9c\xac", kKeyPageUp},     // U+F72C
    {"pgdn", "\xef\x9c\xad", kKeyPageDown},   // U+F72D
    {"help", "\xef\x9d\x86", kKeyHelp},       // U+F746
    {"f1", "\xef\x9c\x84", kKeyF1},           // U+F704 ...
    {"f2", "\xef\x9c\x85", kKeyF2},
    {"f3", "\xef\x9c\x86", kKeyF3},
    {"f4", "\xef\x9c\x87", kKeyF4},
    {"f5", "\xef\x9c\x88", kKeyF5},
    {"f6", "\xef\x9c\x89", kKeyF6},
    {"f7", "\xef\x9c\x8a", kKeyF7},
    {"f8", "\xef\x9c\x8b", kKeyF8},
    {"f9", "\xef\x9c\x8c", kKeyF9},
    {"f10", "\xef\x9c\x8d", kKeyF10},
    {"f11", "\xef\x9c\x8e", kKeyF11},
    {"f12", "\xef\x9c\x8f", kKeyF12},
    {"f13", "\xef\x9c\x90", kKeyF13},
    {"f14", "\xef\x9c\x91", kKeyF14},
    {"f15", "\xef\x9c\x92", kKeyF15},         // ... U+F712
    {"kp0", "0", 82},
    {"kp1", "1", 83},
    {"kp2", "2", 84},
    {"kp3", "3", 85},
    {"kp4", "4", 86},
    {"kp5", "5", 87},
    {"kp6", "6", 88},
    {"kp7", "7", 89},
    {"kp8", "8", 91},
    {"kp9", "9", 92},
    {"kp.", ".", 65},
    {"kp*", "*", 67},
    {"kp+", "+", 69},
    {"kp/", "/", 75},
    {"kp-", "-", 78},
    {"kp=", "=", 81},
};

struct ModifierPrefix {
  std::string_view name;
  std::uint64_t flag;
};

constexpr ModifierPrefix kModifierPrefixes[] = {
    {"shift", kShiftFlag}, {"ctrl", kControlFlag}, {"opt", kOptionFlag},
    {"cmd", kCommandFlag}, {"caps", kCapsLockFlag},
};

// "<opt-1>" and the like: the modifiers in front of the key, which the caller strips.
std::uint64_t take_modifier_prefixes(std::string_view& name) {
  std::uint64_t flags = 0;
  bool stripped = true;
  while (stripped) {
    stripped = false;
    for (const ModifierPrefix& prefix : kModifierPrefixes) {
      // The key itself follows the last '-', and may be '-' ("<opt-->").
      if (name.size() > prefix.name.size() + 1 && name.starts_with(prefix.name) &&
          name[prefix.name.size()] == '-') {
        flags |= prefix.flag;
        name.remove_prefix(prefix.name.size() + 1);
        stripped = true;
        break;
      }
    }
  }
  return flags;
}

}  // namespace

std::optional<KeyStroke> key_for_character(char character) {
  switch (character) {
    case '\r':
    case '\n':
      return KeyStroke{"\r", kKeyReturn, 0};
    case '\t':
      return KeyStroke{"\t", kKeyTab, 0};
    case '\x7f':
    case '\x08':
      return KeyStroke{"\x7f", kKeyDelete, 0};
    case '\x1b':
      return KeyStroke{"\x1b", kKeyEscape, 0};
    default:
      break;
  }
  const bool capital = character >= 'A' && character <= 'Z';
  const char on_key = capital ? static_cast<char>(character - 'A' + 'a') : character;
  for (const CharacterKey& key : kCharacterKeys) {
    if (key.character != on_key) continue;
    const bool shifted = capital || key.shifted;
    return KeyStroke{std::string(1, character), key.key_code, shifted ? kShiftFlag : 0};
  }
  return std::nullopt;
}

std::optional<KeyStroke> key_named(std::string_view name) {
  if (name == "lt") return key_for_character('<');
  if (name.size() > 1 && name[0] == 'F') return key_named("f" + std::string(name.substr(1)));
  for (const NamedKey& key : kNamedKeys) {
    if (key.name == name) return KeyStroke{std::string(key.characters), key.key_code, 0};
  }
  return std::nullopt;
}

std::optional<std::vector<KeyStroke>> parse_key_script(std::string_view script,
                                                       std::string* error) {
  auto fail = [error](std::string reason) -> std::optional<std::vector<KeyStroke>> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  std::vector<KeyStroke> keys;
  for (std::size_t at = 0; at < script.size(); ++at) {
    const char c = script[at];
    if (c < 32 || c > 126) return fail("only printable ASCII characters can be typed");
    if (c != '<') {
      keys.push_back(*key_for_character(c));
      continue;
    }
    const std::size_t end = script.find('>', at + 1);
    if (end == std::string_view::npos) {
      return fail("\"<\" without \">\" (write <lt> for the key itself)");
    }
    std::string_view name = script.substr(at + 1, end - at - 1);
    const std::uint64_t modifiers = take_modifier_prefixes(name);
    std::optional<KeyStroke> key =
        name.size() == 1 ? key_for_character(name[0]) : key_named(name);
    if (!key) return fail("unknown key <" + std::string(script.substr(at + 1, end - at - 1)) + ">");
    key->modifier_flags |= modifiers;
    keys.push_back(std::move(*key));
    at = end;
  }
  return keys;
}

}  // namespace platform::imk
