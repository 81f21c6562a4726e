#include <gtest/gtest.h>

#include "terminal.h"

namespace {

// Decodes every key of `bytes`; an escape sequence's bytes all follow at once.
std::vector<kep_terminal::TerminalKey> keys_of(const std::string& bytes) {
  std::size_t at = 0;
  auto next = [&](int) -> std::optional<unsigned char> {
    if (at >= bytes.size()) return std::nullopt;
    return static_cast<unsigned char>(bytes[at++]);
  };
  std::vector<kep_terminal::TerminalKey> keys;
  while (auto key = kep_terminal::decode_key(next)) keys.push_back(*key);
  return keys;
}

std::string names(const std::vector<kep_terminal::TerminalKey>& keys) {
  std::string text;
  for (const auto& key : keys) text += (key.name.empty() ? key.text : "<" + key.name + ">");
  return text;
}

TEST(TerminalKeysTest, DecodesCharactersAndSequences) {
  struct Case {
    std::string bytes;
    std::string keys;
  };
  const Case cases[] = {
      {"ni hao", "ni<space>hao"},
      {"a\x7f\r\t", "a<bs><ret><tab>"},
      {"\x1b[A\x1b[B\x1b[C\x1b[D", "<up><down><right><left>"},
      {"\x1b[5~\x1b[6~\x1b[3~", "<pgup><pgdn><del>"},
      {"\x1bOP\x1b[15~", "<f1><f5>"},
      {"\x14" "12\x01", "<ctrl-t>12"},  // Ctrl-T has a name; other control keys are skipped
      {"\x1b", "<esc>"},
      {"\x1b[99~x", "x"},     // unknown sequences are skipped
      {"中a", "中a"},          // a whole UTF-8 character is one key
      {"\xe4\xb8", ""},       // a cut character is dropped
      {"\x80z", "z"},         // so is a stray continuation byte
      {"ab\x04" "cd", "ab"},  // Ctrl-D ends the input
  };
  for (const Case& c : cases) EXPECT_EQ(names(keys_of(c.bytes)), c.keys);
}

}  // namespace
