// The learned words as the word lookups and the convert entry see them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_store.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/tests/library_fixture.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::utf8;
using sentence_test::word_key;

class LearnedLookupTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_words_table({{"ni", "你泥"}, {"hao", "好号"}, {"aP", "阿啊"}, {"men", "们门"}});
    InputProperty.UseLearnedWords = 1;
    AllowWriteUB = 1;
    clear_learned_table();
  }
  void TearDown() override {
    clear_learned_table();
    AllowWriteUB = 0;
    LibraryTest::TearDown();
  }
  static void learn(const char* pinyin, const std::string& word, const char* count,
                    const char* type = "A") {
    char pinyin_buffer[64] = {};
    char count_buffer[64] = {};
    std::strncpy(pinyin_buffer, pinyin, sizeof pinyin_buffer - 1);
    std::strncpy(count_buffer, count, sizeof count_buffer - 1);
    ASSERT_EQ(save_memci(pinyin_buffer, word.c_str(), count_buffer, type, 0), 1) << pinyin;
  }
};

TEST_F(LearnedLookupTest, FullKeysTurnBackIntoTheLearnedPinyin) {
  learn("ni-hao", gbk("泥号"), "4");
  learn("a-men", gbk("啊门"), "2");
  struct Case {
    std::string key;
    int n;
    int count;
    const char* word;
  } cases[] = {
      {word_key({"ni", "hao"}), 2, 4, "泥号"},
      {word_key({"a", "men"}), 2, 2, "啊门"},
      {word_key({"ni", "men"}), 2, 0, ""},
      {word_key({"ni", "hao"}), 3, 0, ""},  // another length: another pinyin
  };
  for (const auto& c : cases) {
    char text[kWordTextSize] = {};
    int count = -1;
    EXPECT_EQ(in_youxian(c.key.c_str(), c.n, text, &count, 0), c.count) << c.word;
    EXPECT_EQ(count, c.count);
    if (c.count > 0) {
      EXPECT_EQ(utf8(text), c.word);
    }
  }
}

TEST_F(LearnedLookupTest, AWordOfAnotherLengthNeverStandsForTheKey) {
  learn("ni-hao", gbk("泥号啊"), "4");  // hand-written: three characters for two syllables
  char text[kWordTextSize] = {};
  int count = 0;
  EXPECT_EQ(in_youxian(word_key({"ni", "hao"}).c_str(), 2, text, &count, 0), 0);
}

TEST_F(LearnedLookupTest, WordLookupsAnswerWithTheLearnedWord) {
  learn("ni-hao", gbk("泥号"), "7");
  const std::string key = word_key({"ni", "hao"});
  CurrentItem = 4;

  char text[kWordTextSize] = "AAAA";
  int weight = 0;
  unsigned char flags = 0;
  EXPECT_EQ(IsMyWord(0, 1, key.c_str(), 2, text, &weight, &flags, 0), 0);  // no library, not asked
  EXPECT_EQ(IsMyWord(0, 1, key.c_str(), 2, text, &weight, &flags, 1), 1);
  EXPECT_EQ(utf8(text), "泥号");
  EXPECT_EQ(weight, fix_user_wordpl(2, 7, 1));
  EXPECT_EQ(flags, 0x80);

  std::strcpy(text, "AAAA");
  weight = 0;
  flags = 0;
  // In the middle of the input: the head-and-end library would not be asked.
  EXPECT_EQ(IsHeadEndWord(1, 2, key.c_str(), 2, text, &weight, &flags), 1);
  EXPECT_EQ(utf8(text), "泥号");
  EXPECT_EQ(weight, fix_user_wordpl(2, 7, 1));
  EXPECT_EQ(flags, 0x80);

  std::strcpy(text, "AAAA");
  EXPECT_EQ(IsWholeWord(0, 1, key.c_str(), 2, text), 1);
  EXPECT_EQ(utf8(text), "泥号");

  // A fixed character that disagrees finds nothing.
  std::strcpy(text, ("AA" + gbk("好")).c_str());
  EXPECT_EQ(IsWholeWord(0, 1, key.c_str(), 2, text), 0);
}

TEST_F(LearnedLookupTest, AbbreviationLookupAnswersWithTheLearnedInitials) {
  learn("NiHao", gbk("你好"), "5");
  char text[kWordTextSize] = {};
  int weight = 0;
  EXPECT_EQ(IsJpWord("NH", 2, text, &weight), 1);
  EXPECT_EQ(utf8(text), "你好");
  EXPECT_EQ(weight, fix_user_wordpl(2, 5, 0));
}

TEST_F(LearnedLookupTest, AUserDefinedWordAnswersTheConvertAsNothingToConvert) {
  learn("dz", gbk("北京市海淀区"), "1", "U");
  std::string input = "d_z";
  input.push_back('\0');
  char output[1024] = "";
  EXPECT_EQ(ConvertStream(input.data(), output, 0), kConvertNothing);
  EXPECT_EQ(utf8(output), "北京市海淀区");
  EXPECT_EQ(CurrentItem, 0);
  // Another mode builds the items as always.
  input = "d_z";
  input.push_back('\0');
  output[0] = '\0';
  ConvertStream(input.data(), output, 1);
  EXPECT_EQ(CurrentItem, 2);
}

}  // namespace
