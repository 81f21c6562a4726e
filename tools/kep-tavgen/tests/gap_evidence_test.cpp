#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/gap_evidence.h"

namespace tavgen {
namespace {

using testing::gb;

// The candidate of these characters and syllables, or nullptr.
const GapCandidate* seen(const GapCandidates& candidates, const std::string& characters,
                         const std::vector<std::string>& syllables) {
  for (const auto& [key, candidate] : candidates) {
    std::string text;
    for (const std::string& c : candidate.characters) text += c;
    if (text == characters && candidate.syllables == syllables) return &candidate;
  }
  return nullptr;
}

std::set<std::string> contexts(const GapCandidate* candidate) {
  return candidate == nullptr ? std::set<std::string>{} : candidate->contexts;
}

TEST(GapEvidenceTest, NumeralCompoundsGiveWordsAfterAndBetweenNumbers) {
  const std::vector<datasources::RimeEntry> words = {
      {"三个", {"san", "ge"}, 100},
      {"两个", {"liang", "ge"}, 50},
      {"二十个", {"er", "shi", "ge"}, 7},                   // 十 again: no new context
      {"十五分钟", {"shi", "wu", "fen", "zhong"}, 30},
      {"一般", {"yi", "ban"}, 9000},
      {"二十一章", {"er", "shi", "yi", "zhang"}, 30},
      {"二十二章", {"er", "shi", "er", "zhang"}, 30},
      {"一到两年", {"yi", "dao", "liang", "nian"}, 10},
      {"三分之一", {"san", "fen", "zhi", "yi"}, 10},
      {"一道一道", {"yi", "dao", "yi", "dao"}, 99},         // the frame 一X一
      {"千刀万剐", {"qian", "dao", "wan", "gua"}, 5},       // an idiom
      {"三个代表", {"san", "ge", "dai", "biao"}, 500},      // three characters after the numeral
      {"中国", {"zhong", "guo"}, 100},                      // no numeral
      {"三四", {"san", "si"}, 100},                         // numerals only
      {"三个", {"san"}, 100},                               // a syllable short
  };
  GapEvidence evidence;
  add_numeral_compounds(words, {"千刀万剐"}, &evidence);

  const GapCandidate* ge = seen(evidence.after_numbers, "个", {"ge"});
  ASSERT_NE(ge, nullptr);
  EXPECT_EQ(ge->contexts, (std::set<std::string>{"三", "两", "十"}));
  EXPECT_EQ(ge->weight, 157u);
  EXPECT_EQ(contexts(seen(evidence.after_numbers, "分钟", {"fen", "zhong"})), std::set<std::string>{"五"});
  EXPECT_EQ(contexts(seen(evidence.after_numbers, "般", {"ban"})), std::set<std::string>{"一"});
  EXPECT_EQ(contexts(seen(evidence.after_numbers, "章", {"zhang"})), (std::set<std::string>{"一", "二"}));
  EXPECT_EQ(evidence.after_numbers.size(), 4u);

  EXPECT_EQ(contexts(seen(evidence.between_numbers, "到", {"dao"})), std::set<std::string>{"一-两"});
  EXPECT_EQ(contexts(seen(evidence.between_numbers, "分之", {"fen", "zhi"})), std::set<std::string>{"三-一"});
  EXPECT_EQ(evidence.between_numbers.size(), 2u);
  EXPECT_TRUE(evidence.after_letters.empty());
}

TEST(GapEvidenceTest, UnitsAreReadAsTheCompoundsReadThem) {
  CharacterWeights weights;
  weights.add("shi", gb("石"), 900);
  weights.add("dan", gb("石"), 10);
  weights.add("mi", gb("米"), 50);
  GapEvidence evidence;
  add_numeral_compounds({{"三石", {"san", "dan"}, 5}, {"五石", {"wu", "dan"}, 5}}, {}, &evidence);
  add_units({"石", "米", "℃", "千克", "#", "盒"}, weights, &evidence);

  const GapCandidate* dan = seen(evidence.after_numbers, "石", {"dan"});
  ASSERT_NE(dan, nullptr);
  EXPECT_TRUE(dan->unit);
  EXPECT_EQ(dan->contexts.size(), 2u);
  EXPECT_EQ(seen(evidence.after_numbers, "石", {"shi"}), nullptr);
  const GapCandidate* mi = seen(evidence.after_numbers, "米", {"mi"});
  ASSERT_NE(mi, nullptr);
  EXPECT_TRUE(mi->unit);
  EXPECT_TRUE(mi->contexts.empty());
  // ℃ is no hanzi, 千克 two characters, 盒 has no reading here.
  EXPECT_EQ(evidence.after_numbers.size(), 2u);
}

TEST(GapEvidenceTest, LetterWordsGiveTheirCharactersAfterTheLetters) {
  CharacterWeights weights;
  weights.add("gu", gb("股"), 90);
  weights.add("pan", gb("盘"), 90);
  weights.add("di", gb("地"), 90);
  weights.add("de", gb("地"), 900);
  weights.add("zhi", gb("址"), 90);
  GapEvidence evidence;
  add_letter_words({"a股", "H股", "ip地址", "c盘", "卡拉ok", "x-射线", "b超声波"},
                   {{"地址", {"di", "zhi"}, 500}}, weights, &evidence);

  EXPECT_EQ(contexts(seen(evidence.after_letters, "股", {"gu"})), (std::set<std::string>{"a", "h"}));
  EXPECT_EQ(contexts(seen(evidence.after_letters, "地址", {"di", "zhi"})), std::set<std::string>{"ip"});
  EXPECT_EQ(contexts(seen(evidence.after_letters, "盘", {"pan"})), std::set<std::string>{"c"});
  // No letters first, a mark after them, three characters (超 has no reading either).
  EXPECT_EQ(evidence.after_letters.size(), 3u);
}

TEST(GapEvidenceTest, NumeralsAreTheChineseNumberCharacters) {
  for (const char* numeral : {"一", "九", "十", "百", "千", "万", "亿", "两", "零", "〇", "几"}) {
    EXPECT_TRUE(is_numeral(numeral)) << numeral;
  }
  for (const char* other : {"个", "3", "第", "半", ""}) EXPECT_FALSE(is_numeral(other)) << other;
}

}  // namespace
}  // namespace tavgen
