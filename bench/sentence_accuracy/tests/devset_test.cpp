// The committed development set keeps to its rules: enough sentences, each 4-30 characters of
// which at least 4 are GB2312 hanzi and the others ASCII digits or the marks the set's script
// takes, none twice; some with digits and some with marks.
#include <gtest/gtest.h>

#include <set>

#include "platform/text.h"
#include "sentence_score.h"

namespace sentence_accuracy {
namespace {

bool is_gb2312_hanzi(const std::string& character) {
  const std::optional<std::string> gbk = platform::text::from_utf8(character, platform::text::Encoding::Gbk);
  if (!gbk || gbk->size() != 2) return false;
  const auto lead = static_cast<unsigned char>((*gbk)[0]);
  const auto trail = static_cast<unsigned char>((*gbk)[1]);
  // GB2312's hanzi rows, as GBK encodes them.
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

bool is_digit_or_mark(const std::string& character) {
  static const std::set<std::string> kMarks = {"，", "。", "：", "；", "？", "！", "、", "（", "）"};
  return (character.size() == 1 && character[0] >= '0' && character[0] <= '9') || kMarks.count(character) != 0;
}

TEST(DevelopmentSet, HoldsEnoughSentencesOfGb2312Hanzi) {
  EXPECT_TRUE(is_gb2312_hanzi("设"));
  EXPECT_FALSE(is_gb2312_hanzi("，"));
  EXPECT_FALSE(is_gb2312_hanzi("a"));
  EXPECT_FALSE(is_gb2312_hanzi("镕"));  // GBK, not GB2312

  std::string error;
  const auto sentences = read_sentences(KEP_SENTENCE_DEVSET, &error);
  ASSERT_TRUE(sentences) << error;
  EXPECT_GE(sentences->size(), 300u);
  std::set<std::string> seen;
  std::size_t with_digits = 0;
  std::size_t with_marks = 0;
  for (const std::string& sentence : *sentences) {
    const std::vector<std::string> characters = utf8_characters(sentence);
    EXPECT_GE(characters.size(), 4u) << sentence;
    EXPECT_LE(characters.size(), 30u) << sentence;
    std::size_t hanzi = 0;
    bool digit = false;
    for (const std::string& character : characters) {
      hanzi += is_gb2312_hanzi(character);
      digit |= character[0] >= '0' && character[0] <= '9';
      EXPECT_TRUE(is_gb2312_hanzi(character) || is_digit_or_mark(character)) << sentence;
    }
    EXPECT_GE(hanzi, 4u) << sentence;
    with_digits += digit;
    with_marks += !digit && hanzi < characters.size();
    EXPECT_TRUE(seen.insert(sentence).second) << "twice: " << sentence;
  }
  EXPECT_GE(with_digits, 100u);
  EXPECT_GE(with_marks, 50u);
}

}  // namespace
}  // namespace sentence_accuracy
