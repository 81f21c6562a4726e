#include "sentenceparser/core/word_lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/certainty.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::code_of;
using sentence_test::utf8;

class OneSyllableWordTest : public sentence_test::CoreTest {
 protected:
  void SetUp() override { load_table({{"ji", "机几"}, {"ai", "爱"}}); }
};

TEST_F(OneSyllableWordTest, CharacterWithItsCertainty) {
  struct Case {
    const char* syllable;
    std::string character;
  } cases[] = {{"ji", "及"}, {"zhi", "之"}, {"ai", "爱"}};
  for (const auto& c : cases) {
    const std::string key = code_of(c.syllable);
    char text[16] = {};
    int weight = -1;
    unsigned char flags = 0;
    EXPECT_EQ(IsMyWord(0, 0, key.c_str(), 1, text, &weight, &flags, 0), 1) << c.syllable;
    EXPECT_EQ(utf8(text), c.character);
    int certainty = -1;
    GetDanPl(key.c_str(), &certainty);
    EXPECT_EQ(weight, certainty) << c.syllable;
    EXPECT_EQ(flags, 0x80);
  }
}

TEST_F(OneSyllableWordTest, NoGbkCharacterNoWord) {
  char text[16] = "keep";
  int weight = -1;
  unsigned char flags = 0;
  // No syllable: the letter choice hands the text back, which is no Chinese character.
  EXPECT_EQ(IsMyWord(0, 0, "5a", 1, text, &weight, &flags, 0), 0);
  EXPECT_EQ(weight, 0);
  EXPECT_EQ(flags, 0x80);
  EXPECT_STREQ(text, "keep");

  flags = 0;
  EXPECT_EQ(IsMyWord(0, 0, "j\x01", 1, text, &weight, &flags, 0), 0);
  EXPECT_EQ(flags, 0);
}

TEST_F(OneSyllableWordTest, LongerWordsAreNotFoundHere) {
  const std::string key = code_of("ji") + code_of("ai");
  char text[16] = {};
  int weight = 0;
  unsigned char flags = 0;
  for (int n : {0, 2, 7, 8}) EXPECT_EQ(IsMyWord(0, n - 1, key.c_str(), n, text, &weight, &flags, 1), 0) << n;
}

}  // namespace
