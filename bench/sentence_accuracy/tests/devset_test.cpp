// The committed development set keeps to its rules: enough sentences, each 4-30 GB2312 hanzi,
// none twice.
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
  for (const std::string& sentence : *sentences) {
    const std::vector<std::string> characters = utf8_characters(sentence);
    EXPECT_GE(characters.size(), 4u) << sentence;
    EXPECT_LE(characters.size(), 30u) << sentence;
    for (const std::string& character : characters) EXPECT_TRUE(is_gb2312_hanzi(character)) << sentence;
    EXPECT_TRUE(seen.insert(sentence).second) << "twice: " << sentence;
  }
}

}  // namespace
}  // namespace sentence_accuracy
