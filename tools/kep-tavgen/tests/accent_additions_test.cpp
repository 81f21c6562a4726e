#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/accent_additions_builder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

struct NeighbourCase {
  const char* syllable;
  std::set<std::string> expected;
};

// Each syllable's neighbours as `find` gives them: the expected ones, each once.
void expect_neighbours(std::vector<std::string> (*find)(std::string_view, const std::set<std::string>&),
                       const std::set<std::string>& known, std::initializer_list<NeighbourCase> cases) {
  for (const NeighbourCase& c : cases) {
    const std::vector<std::string> found = find(c.syllable, known);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), c.expected) << c.syllable;
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()).size(), found.size()) << c.syllable;
  }
}

TEST(AccentAdditionsTest, ConfusableSyllablesAreRealOneSwapNeighbours) {
  const std::set<std::string> known = {"zhang", "zang", "zhan", "zan", "lan", "nan", "lang", "fu",   "hu",
                                       "sheng", "shen", "seng", "jin", "jing", "ba", "chuang", "chuan", "cuan"};
  expect_neighbours(confusable_syllables, known,
                    {
                        {"zhang", {"zang", "zhan"}}, {"zan", {"zhan", "zang"}},  {"lan", {"nan", "lang"}},
                        {"fu", {"hu"}},              {"sheng", {"seng", "shen"}}, {"jin", {"jing"}},
                        {"ba", {}},                  {"chuang", {"chuan"}},       {"cuan", {"chuan"}},
                        {"zhan", {"zan", "zhang"}},
                    });
}

TEST(AccentAdditionsTest, GivenRowsStayAndOtherKeysDrawFromTheirConfusables) {
  CharacterWeights weights;
  weights.add("zan", gb("咱"), 100);
  weights.add("zan", gb("赞"), 90);
  weights.add("zhan", gb("站"), 500);
  weights.add("zhan", gb("赞"), 400);  // already in the zan row: not added again
  weights.add("zang", gb("脏"), 450);
  for (int i = 0; i < 20; ++i) weights.add("zang", gb2312_by_sequence(4000 + i), 10 - i / 4);
  weights.add("bai", gb("白"), 10);  // a key with no confusable syllable
  weights.add("zi", gb("子"), 10);
  weights.add("zhi", gb("之"), 10);
  weights.add("zei", gb("贼"), 10);
  weights.add("zhei", gb("这"), 10);
  const std::vector<AccentEntry> entries = build_accent_additions(build_dan_rows(weights), weights);

  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return std::strcmp(a.syllable.c_str(), b.syllable.c_str()) < 0;
  }));
  std::map<std::string, std::vector<GbkChar>> additions;
  for (const auto& entry : entries) additions[entry.syllable] = entry.characters;

  EXPECT_EQ(additions.at("zi"), gbs("制之治指质职志织只支至知值直识执致置止植机济其计系技及期基"));
  EXPECT_EQ(additions.at("e"), gbs("而二尔儿耳饵迩贰洱铒鸸珥鲕佴玉掌家结解"));
  const std::vector<GbkChar>& zan = additions.at("zan");
  ASSERT_EQ(zan.size(), kMaxDrawnAdditions);
  EXPECT_EQ(zan[0], gb("站"));
  EXPECT_EQ(zan[1], gb("脏"));
  EXPECT_EQ(zan[2], gb2312_by_sequence(4000));
  EXPECT_EQ(std::count(zan.begin(), zan.end(), gb("赞")), 0);
  EXPECT_EQ(std::count(zan.begin(), zan.end(), gb("咱")), 0);
  // zhan draws from zan and zhang; its own 赞 is skipped although zan weighs it.
  const std::vector<GbkChar>& zhan = additions.at("zhan");
  EXPECT_EQ(zhan.front(), gb("咱"));
  EXPECT_EQ(std::count(zhan.begin(), zhan.end(), gb("赞")), 0);
  EXPECT_FALSE(additions.contains("bai"));
  EXPECT_EQ(additions.at("zang"), (std::vector<GbkChar>{gb("咱"), gb("赞")}));
  EXPECT_FALSE(additions.contains("zei"));  // confusable with zhei, but no key of the additions
}

TEST(AccentAdditionsTest, NearSyllablesAreRealNeighboursThatAreNotConfusable) {
  const std::set<std::string> known = {"ba",   "pa",  "bao", "fa",  "zhang", "zheng", "chang", "zang", "zhan",
                                       "lin",  "li",  "ling", "e",  "er",    "an",    "ai",    "ban", "pai",
                                       "bai",  "pan", "zi",  "ci",  "zhi"};
  expect_neighbours(near_syllables, known,
                    {
                        {"ba", {"pa", "fa", "bao"}}, {"zhang", {"chang", "zheng"}}, {"lin", {"li"}},
                        {"ling", {"li"}},            {"e", {"er"}},                 {"er", {"e"}},
                        {"an", {"ai"}},              {"pai", {"bai", "pan"}},       {"zi", {"ci"}},
                        {"zhi", {}},  // chi is unknown, and zi is confusable with it rather than near
                    });
}

TEST(AccentAdditionsTest, SecondReadingsAreCommonCharactersReadLessWithTheSyllables) {
  CharacterWeights weights;
  weights.add("pu", gb("普"), 500);
  weights.add("pu", gb("暴"), 5);
  weights.add("bao", gb("暴"), 900);  // read bao mostly
  weights.add("fu", gb("服"), 600);
  weights.add("fu", gb("佛"), 3);
  weights.add("fo", gb("佛"), 700);
  weights.add("pu", gb("璞"), 0);  // weighed nowhere: no reading is lesser
  weights.add("pu", gb("镤"), 1);  // second level: no common character
  weights.add("pa", gb("镤"), 50);
  weights.add("bu", gb("不"), 1000);
  weights.add("bu", gb("服"), 0);
  const auto heaviest = heaviest_weights(weights);
  EXPECT_EQ(heaviest.at(gb("暴")), 900u);
  EXPECT_EQ(heaviest.at(gb("璞")), 0u);
  const std::vector<std::string> near = {"pu", "fu"};
  EXPECT_EQ(second_readings(weights, heaviest, near, gbs("不"), 8), gbs("暴佛"));  // commonest first
  EXPECT_EQ(second_readings(weights, heaviest, near, gbs("不"), 1), gbs("暴"));
  EXPECT_EQ(second_readings(weights, heaviest, near, gbs("不暴"), 8), gbs("佛"));  // the row has it
  EXPECT_TRUE(second_readings(weights, heaviest, {"nonesuch"}, {}, 8).empty());
  // A character read with the key itself as a lesser reading is in the key's row already.
  EXPECT_TRUE(second_readings(weights, heaviest, {"bu"}, gbs("不服"), 8).empty());
}

TEST(AccentAdditionsTest, KeysDrawFromNearSyllablesAndSecondReadingsAfterTheirConfusables) {
  CharacterWeights weights;
  weights.add("pai", gb("派"), 100);
  weights.add("pai", gb("牌"), 90);
  weights.add("bai", gb("白"), 500);
  weights.add("bai", gb("百"), 400);
  weights.add("bai", gb("拜"), 300);
  weights.add("bai", gb("败"), 200);
  weights.add("bai", gb("派"), 900);  // pai's own: never added to it
  weights.add("bai", gb("伯"), 1);    // a second reading, too light to be drawn by weight
  weights.add("bo", gb("伯"), 800);
  weights.add("pan", gb("盘"), 50);
  weights.add("pan", gb("白"), 40);  // drawn from bai already
  weights.add("pan", gb("判"), 30);
  weights.add("pan", gb("攀"), 20);
  weights.add("pan", gb("胖"), 2);
  weights.add("pang", gb("胖"), 600);
  const std::vector<AccentEntry> entries = build_accent_additions(build_dan_rows(weights), weights);
  std::map<std::string, std::vector<GbkChar>> additions;
  for (const auto& entry : entries) additions[entry.syllable] = entry.characters;
  // Up to three of each near syllable (bai, pan) that pai lacks, then the second readings.
  EXPECT_EQ(additions.at("pai"), gbs("白百拜盘判攀伯胖"));
  // bai's near syllable pai: 牌 (派 is bai's own).
  EXPECT_EQ(additions.at("bai"), gbs("牌"));
}

TEST(AccentAdditionsTest, EveryGivenRowIsPresentWithNoData) {
  const std::vector<AccentEntry> entries = build_accent_additions(build_dan_rows(CharacterWeights{}), {});
  std::set<std::string> keys;
  for (const auto& entry : entries) {
    keys.insert(entry.syllable);
    EXPECT_FALSE(entry.characters.empty()) << entry.syllable;
  }
  EXPECT_EQ(keys, (std::set<std::string>{"ai", "an", "ang", "ba", "bang", "bu", "e", "en", "fu", "hu", "lan", "lin",
                                         "nan", "zi"}));
}

}  // namespace
}  // namespace tavgen
