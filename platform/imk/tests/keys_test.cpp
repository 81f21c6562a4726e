#include "platform/imk/keys.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::imk {
namespace {

struct CharacterCase {
  char character;
  std::uint16_t key_code;
  std::uint64_t flags;
  std::string characters;
};

TEST(KeysTest, CharactersMapToTheirUsKeys) {
  const CharacterCase cases[] = {
      {'a', 0, 0, "a"},           {'s', 1, 0, "s"},          {'b', 11, 0, "b"},
      {'q', 12, 0, "q"},          {'t', 17, 0, "t"},         {'o', 31, 0, "o"},
      {'l', 37, 0, "l"},          {'n', 45, 0, "n"},         {'m', 46, 0, "m"},
      {'A', 0, kShiftFlag, "A"},  {'Z', 6, kShiftFlag, "Z"}, {'1', 18, 0, "1"},
      {'5', 23, 0, "5"},          {'6', 22, 0, "6"},         {'9', 25, 0, "9"},
      {'0', 29, 0, "0"},          {'=', 24, 0, "="},         {'-', 27, 0, "-"},
      {']', 30, 0, "]"},          {'[', 33, 0, "["},         {'\'', 39, 0, "'"},
      {';', 41, 0, ";"},          {'\\', 42, 0, "\\"},       {',', 43, 0, ","},
      {'/', 44, 0, "/"},          {'.', 47, 0, "."},         {'`', 50, 0, "`"},
      {'!', 18, kShiftFlag, "!"}, {'%', 23, kShiftFlag, "%"}, {'^', 22, kShiftFlag, "^"},
      {'(', 25, kShiftFlag, "("}, {')', 29, kShiftFlag, ")"}, {'_', 27, kShiftFlag, "_"},
      {'+', 24, kShiftFlag, "+"}, {'{', 33, kShiftFlag, "{"}, {'"', 39, kShiftFlag, "\""},
      {':', 41, kShiftFlag, ":"}, {'|', 42, kShiftFlag, "|"}, {'<', 43, kShiftFlag, "<"},
      {'?', 44, kShiftFlag, "?"}, {'>', 47, kShiftFlag, ">"}, {'~', 50, kShiftFlag, "~"},
      {' ', kKeySpace, 0, " "},   {'\r', kKeyReturn, 0, "\r"}, {'\n', kKeyReturn, 0, "\r"},
      {'\t', kKeyTab, 0, "\t"},   {'\x7f', kKeyDelete, 0, "\x7f"},
      {'\x08', kKeyDelete, 0, "\x7f"}, {'\x1b', kKeyEscape, 0, "\x1b"},
  };
  for (const CharacterCase& c : cases) {
    SCOPED_TRACE(std::string("character ") + std::to_string(static_cast<int>(c.character)));
    auto key = key_for_character(c.character);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->key_code, c.key_code);
    EXPECT_EQ(key->modifier_flags, c.flags);
    EXPECT_EQ(key->characters, c.characters);
  }
  EXPECT_FALSE(key_for_character('\x01'));
  EXPECT_FALSE(key_for_character('\x80'));
}

TEST(KeysTest, EveryLetterHasItsOwnKey) {
  bool seen[128] = {};
  for (char c = 'a'; c <= 'z'; ++c) {
    auto key = key_for_character(c);
    ASSERT_TRUE(key) << c;
    ASSERT_LT(key->key_code, 128);
    EXPECT_FALSE(seen[key->key_code]) << c << " shares key " << key->key_code;
    seen[key->key_code] = true;
  }
}

struct NamedCase {
  const char* name;
  std::uint16_t key_code;
  std::string characters;
};

TEST(KeysTest, NamedKeys) {
  const NamedCase cases[] = {
      {"space", kKeySpace, " "},
      {"bs", kKeyDelete, "\x7f"},
      {"del", kKeyForwardDelete, "\xef\x9c\xa8"},
      {"ret", kKeyReturn, "\r"},
      {"enter", kKeyKeypadEnter, "\x03"},
      {"tab", kKeyTab, "\t"},
      {"esc", kKeyEscape, "\x1b"},
      {"left", kKeyLeft, "\xef\x9c\x82"},
      {"right", kKeyRight, "\xef\x9c\x83"},
      {"up", kKeyUp, "\xef\x9c\x80"},
      {"down", kKeyDown, "\xef\x9c\x81"},
      {"pgup", kKeyPageUp, "\xef\x9c\xac"},
      {"pgdn", kKeyPageDown, "\xef\x9c\xad"},
      {"home", kKeyHome, "\xef\x9c\xa9"},
      {"end", kKeyEnd, "\xef\x9c\xab"},
      {"f1", kKeyF1, "\xef\x9c\x84"},
      {"f5", kKeyF5, "\xef\x9c\x88"},
      {"f12", kKeyF12, "\xef\x9c\x8f"},
      {"f15", kKeyF15, "\xef\x9c\x92"},
      {"kp0", 82, "0"},
      {"kp8", 91, "8"},
      {"kp.", 65, "."},
      {"kp/", 75, "/"},
      {"kp=", 81, "="},
      {"lt", 43, "<"},
  };
  for (const NamedCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto key = key_named(c.name);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->key_code, c.key_code);
    EXPECT_EQ(key->characters, c.characters);
  }
  EXPECT_FALSE(key_named("f16"));
  EXPECT_FALSE(key_named(""));
  EXPECT_FALSE(key_named("Space"));
}

struct ScriptCase {
  const char* script;
  std::vector<KeyStroke> keys;
};

TEST(KeysTest, ScriptsCarryCharactersKeyCodesAndModifiers) {
  const ScriptCase cases[] = {
      {"ni", {{"n", 45, 0}, {"i", 34, 0}}},
      {"Ab<space>", {{"A", 0, kShiftFlag}, {"b", 11, 0}, {" ", kKeySpace, 0}}},
      {"<opt-1>", {{"1", 18, kOptionFlag}}},
      {"<ctrl-opt-2>", {{"2", 19, kControlFlag | kOptionFlag}}},
      {"<shift-a>", {{"a", 0, kShiftFlag}}},
      {"<cmd-c>", {{"c", 8, kCommandFlag}}},
      {"<caps-a>", {{"a", 0, kCapsLockFlag}}},
      {"<opt-->", {{"-", 27, kOptionFlag}}},
      {"<opt-left>", {{"\xef\x9c\x82", kKeyLeft, kOptionFlag}}},
      {"<lt>x<pgdn>", {{"<", 43, kShiftFlag}, {"x", 7, 0}, {"\xef\x9c\xad", kKeyPageDown, 0}}},
      {"", {}},
  };
  for (const ScriptCase& c : cases) {
    SCOPED_TRACE(c.script);
    std::string error;
    auto keys = parse_key_script(c.script, &error);
    ASSERT_TRUE(keys) << error;
    ASSERT_EQ(keys->size(), c.keys.size());
    for (std::size_t i = 0; i < keys->size(); ++i) {
      EXPECT_EQ((*keys)[i].characters, c.keys[i].characters) << i;
      EXPECT_EQ((*keys)[i].key_code, c.keys[i].key_code) << i;
      EXPECT_EQ((*keys)[i].modifier_flags, c.keys[i].modifier_flags) << i;
    }
  }
}

TEST(KeysTest, BadScriptsAreRefusedWithAReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"ab<nope>", "unknown key <nope>"},
      {"<opt-nope>", "unknown key <opt-nope>"},
      {"<opt->", "unknown key <opt->"},
      {"a<space", "without \">\""},
      {"a\tb", "printable ASCII"},
      {"\xe4\xbd\xa0", "printable ASCII"},
  };
  for (const auto& [script, reason] : cases) {
    SCOPED_TRACE(script);
    std::string error;
    EXPECT_FALSE(parse_key_script(script, &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace platform::imk
