// The key mapping on its own: keys and composition state to engine key codes.
#include <gtest/gtest.h>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/controller/KEPHandleInput_keys.h"

namespace {

using imkkep::KEPEngineKey;
using imkkep::KeyMappingState;
using imkkep::KeyMeaning;

KeyMappingState composing() {
  KeyMappingState state;
  state.composing = true;
  return state;
}

TEST(KeyRoadMapping, OptionWithADigitCyclesTheToneOfThatSyllable) {
  // Key codes of 1..9 as the keyboard numbers them: 5 and 6 swapped, 8 and 9 apart.
  const std::uint16_t codes[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
  KeyMappingState state = composing();
  state.tone_control = true;
  for (int digit = 1; digit <= 9; ++digit) {
    SCOPED_TRACE(digit);
    const imkkep::MappedKey key = KEPEngineKey('0' + digit, codes[digit - 1], 0x80000, state);
    EXPECT_EQ(key.meaning, KeyMeaning::EngineKey);
    EXPECT_EQ(key.code, IME_KEY_TONE_BASE + digit - 1);
  }
  state.tone_control = false;
  EXPECT_EQ(KEPEngineKey('1', 18, 0x80000, state).meaning, KeyMeaning::Swallow);
  EXPECT_EQ(KEPEngineKey('8', 28, 0x80000, state).meaning, KeyMeaning::Swallow);
}

TEST(KeyRoadMapping, CharactersOutsideAsciiAreNoEngineKeys) {
  // First UTF-8 bytes of é, 中 and an emoji; as signed bytes they would be negative codes.
  for (int first_byte : {0xC3, 0xE4, 0xF0, 0xF7, 0xFF}) {
    SCOPED_TRACE(first_byte);
    const imkkep::MappedKey key = KEPEngineKey(first_byte, 0, 0, composing());
    EXPECT_EQ(key.meaning, KeyMeaning::NotHandled);
  }
  // Deleting a user word is Control+Option with a digit, and only that.
  const imkkep::MappedKey remove = KEPEngineKey('3', 20, 0x40000 | 0x80000, composing());
  EXPECT_EQ(remove.meaning, KeyMeaning::EngineKey);
  EXPECT_EQ(remove.code, -3);
}

TEST(KeyRoadMapping, KeysByTheirMeaning) {
  struct Case {
    const char* what;
    int ch;
    std::uint16_t kc;
    std::uint64_t mf;
    std::uint32_t mode;
    int expected;
  } cases[] = {
      {"space", ' ', 49, 0, 0, IME_KEY_SPACE},
      {"return", '\r', 36, 0, 0, IME_KEY_RETURN},
      {"backspace", 0x7f, 51, 0, 0, IME_KEY_BACKSPACE},
      {"forward delete", 0xEF, 117, 0, 0, IME_KEY_DELETE},
      {"zero", '0', 29, 0, 0, IME_KEY_ZERO},
      {"zero in D-mode", '0', 29, 0, IME_MODE_D, '0'},
      {"comma pages up", ',', 43, 0, 0, IME_KEY_PAGE_UP},
      {"period pages down", '.', 47, 0, 0, IME_KEY_PAGE_DOWN},
      {"up arrow", 0xEF, 126, 0, 0, IME_KEY_PAGE_UP},
      {"down arrow", 0xEF, 125, 0, 0, IME_KEY_PAGE_DOWN},
      {"option up", 0xEF, 126, 0x80000, 0, IME_KEY_OPTION_UP},
      {"left", 0xEF, 123, 0, 0, IME_KEY_LEFT},
      {"option left", 0xEF, 123, 0x80000, 0, IME_KEY_OPTION_LEFT},
      {"right", 0xEF, 124, 0, 0, IME_KEY_RIGHT},
      {"comma in D-mode", ',', 43, 0, IME_MODE_D, ','},
      {"letter", 'a', 0, 0, 0, 'a'},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    KeyMappingState state = composing();
    state.mode = k.mode;
    const imkkep::MappedKey key = KEPEngineKey(k.ch, k.kc, k.mf, state);
    EXPECT_EQ(key.meaning, KeyMeaning::EngineKey);
    EXPECT_EQ(key.code, k.expected);
  }
}

TEST(KeyRoadMapping, PeriodAfterAWebPrefixEntersTheText) {
  KeyMappingState state = composing();
  state.smart_web_prefixes = true;
  state.syllables = "www";
  EXPECT_EQ(KEPEngineKey('.', 47, 0, state).code, IME_KEY_COMMIT_RAW);
  state.syllables = "nihao";
  EXPECT_EQ(KEPEngineKey('.', 47, 0, state).code, IME_KEY_PAGE_DOWN);
  EXPECT_TRUE(imkkep::ContinuesWebPrefix("https", ':'));
  EXPECT_FALSE(imkkep::ContinuesWebPrefix("https", '.'));
}

}  // namespace
