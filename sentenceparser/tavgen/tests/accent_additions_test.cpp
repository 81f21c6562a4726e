#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "sentenceparser/tavgen/accent_additions_builder.h"
#include "tavgen_fixture.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

TEST(AccentAdditionsTest, ConfusableSyllablesAreRealOneSwapNeighbours) {
  const std::set<std::string> known = {"zhang", "zang", "zhan", "zan", "lan", "nan", "lang", "fu",   "hu",
                                       "sheng", "shen", "seng", "jin", "jing", "ba", "chuang", "chuan", "cuan"};
  const struct {
    const char* syllable;
    std::set<std::string> expected;
  } cases[] = {
      {"zhang", {"zang", "zhan"}}, {"zan", {"zhan", "zang"}},  {"lan", {"nan", "lang"}},
      {"fu", {"hu"}},              {"sheng", {"seng", "shen"}}, {"jin", {"jing"}},
      {"ba", {}},                  {"chuang", {"chuan"}},       {"cuan", {"chuan"}},
      {"zhan", {"zan", "zhang"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> found = confusable_syllables(c.syllable, known);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), c.expected) << c.syllable;
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()).size(), found.size()) << c.syllable;
  }
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
