// The key scripts of "kep-engine keys": letters and punctuation as typed, named keys in angle
// brackets ("zhongguo<space>", "nihao,", "shi<pgdn>3").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep_session {

enum class KeyKind {
  Character,  // a printable ASCII character as typed
  Space,
  Backspace,
  Delete,
  Return,
  Left,
  Right,
  PageUp,
  PageDown,
  Tab,
  Escape,
  Tone,  // Option with a digit: cycles the tone of the n-th remaining syllable
};

struct Key {
  KeyKind kind = KeyKind::Character;
  char character = 0;  // Character: the character; Tone: the syllable number 0-8
};

// The keys of a script; nullopt (with the reason in `error`) for an unknown "<name>", an
// unclosed "<" or a byte outside printable ASCII. A "<" on its own is written "<lt>".
std::optional<std::vector<Key>> parse_key_script(std::string_view script, std::string* error);

// How a key is written in a script ("a", "<space>").
std::string key_name(const Key& key);

}  // namespace kep_session
