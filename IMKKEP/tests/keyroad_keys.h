// Key events as a US keyboard sends them, from short scripts: characters as typed, named keys
// in angle brackets ("<space>", "<bs>", "<esc>", "<ret>", "<up>", "<down>", "<left>",
// "<right>", "<f5>") and modifiers before a key ("<cmd-c>", "<opt-1>", "<ctrl-opt-2>").
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/imk/input_method.h"

namespace keyroad_test {

using platform::imk::Event;

inline std::uint16_t key_code_of(char c) {
  static const struct {
    char character;
    std::uint16_t code;
  } kTable[] = {
      {'a', 0},  {'s', 1},  {'d', 2},  {'f', 3},  {'h', 4},  {'g', 5},  {'z', 6},  {'x', 7},
      {'c', 8},  {'v', 9},  {'b', 11}, {'q', 12}, {'w', 13}, {'e', 14}, {'r', 15}, {'y', 16},
      {'t', 17}, {'1', 18}, {'2', 19}, {'3', 20}, {'4', 21}, {'6', 22}, {'5', 23}, {'=', 24},
      {'9', 25}, {'7', 26}, {'-', 27}, {'8', 28}, {'0', 29}, {']', 30}, {'o', 31}, {'u', 32},
      {'[', 33}, {'i', 34}, {'p', 35}, {'l', 37}, {'j', 38}, {'\'', 39}, {'k', 40}, {';', 41},
      {'\\', 42}, {',', 43}, {'/', 44}, {'n', 45}, {'m', 46}, {'.', 47}, {'`', 50},
  };
  const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  const std::string_view shifted = "!@#$%^&*()_+{}|:\"<>?~";
  const std::string_view plain = "1234567890-=[]\\;',./`";
  const std::size_t at = shifted.find(lower);
  const char base = at == std::string_view::npos ? lower : plain[at];
  for (const auto& entry : kTable) {
    if (entry.character == base) return entry.code;
  }
  throw std::invalid_argument(std::string("no key types ") + c);
}

inline Event named_key(std::string_view name) {
  struct Named {
    std::string_view name;
    std::string characters;
    std::uint16_t code;
  };
  static const Named kNamed[] = {
      {"space", " ", 49},          {"bs", "\x7f", 51},          {"esc", "\x1b", 53},
      {"ret", "\r", 36},           {"up", "\uF700", 126},       {"down", "\uF701", 125},
      {"left", "\uF702", 123},     {"right", "\uF703", 124},    {"f5", "\uF708", 96},
  };
  for (const Named& key : kNamed) {
    if (key.name == name) {
      return Event{platform::imk::EventType::KeyDown, key.characters, key.code, 0};
    }
  }
  if (name.size() == 1) {
    const char c = name[0];
    const std::uint64_t shift = (c >= 'A' && c <= 'Z') ? 0x20000 : 0;
    return Event{platform::imk::EventType::KeyDown, std::string(1, c), key_code_of(c), shift};
  }
  throw std::invalid_argument("unknown key " + std::string(name));
}

// "<cmd-c>": the key with its modifiers.
inline Event modified_key(std::string_view spec) {
  std::uint64_t flags = 0;
  for (;;) {
    const std::size_t dash = spec.find('-');
    if (dash == std::string_view::npos || dash + 1 == spec.size()) break;
    const std::string_view modifier = spec.substr(0, dash);
    if (modifier == "cmd") flags |= 0x100000;
    else if (modifier == "opt") flags |= 0x80000;
    else if (modifier == "ctrl") flags |= 0x40000;
    else if (modifier == "caps") flags |= 0x10000;
    else if (modifier == "shift") flags |= 0x20000;
    else break;
    spec.remove_prefix(dash + 1);
  }
  Event event = named_key(spec);
  event.modifier_flags |= flags;
  return event;
}

inline std::vector<Event> keys(std::string_view script) {
  std::vector<Event> events;
  for (std::size_t i = 0; i < script.size(); ++i) {
    const std::size_t end = script.find('>', i);
    if (script[i] == '<' && end != std::string_view::npos && end > i + 1) {
      events.push_back(modified_key(script.substr(i + 1, end - i - 1)));
      i = end;
    } else {
      events.push_back(named_key(script.substr(i, 1)));
    }
  }
  return events;
}

}  // namespace keyroad_test
